// The SQLite store's hourly rollup: written with every report, counted from all reports on migration
// and rebuild, read by the analytics page.
#include "server/store/NcStore_SqliteImpl.h"

namespace ncsqlite {

namespace {

const char* const kTag = "NcStoreSqlite::Rollup";
const int64_t kFillChunkSec = 86400;   // reports counted per read while filling

void BindKey(CStatement& st, const NcRollupRow& row) {
    st.Int(1, row.nHour);
    st.Int(2, row.nDim);
    st.Text(3, row.strKey);
    st.Text(4, row.strKey2);
    st.Text(5, row.strTarget);
}

void BindBlob(CStatement& st, int nIndex, const std::string& strBytes) {
    sqlite3_bind_blob(st.Get(), nIndex, strBytes.data(), static_cast<int>(strBytes.size()), SQLITE_TRANSIENT);
}

// Columns nFirst.. of reports, bad, samples, jitter_sum, jitter_n, lat, loss into *pRow; false when the
// histograms do not decode or the figures cannot belong together.
bool ReadFigures(const CStatement& st, int nFirst, NcRollupRow* pRow) {
    pRow->nReports = st.ColumnInt(nFirst);
    pRow->nBad = st.ColumnInt(nFirst + 1);
    pRow->nSamples = st.ColumnInt(nFirst + 2);
    pRow->dJitterSum = st.ColumnReal(nFirst + 3);
    pRow->nJitter = st.ColumnInt(nFirst + 4);
    sqlite3_stmt* p = st.Get();
    return NcDecodeHistogram(sqlite3_column_blob(p, nFirst + 5), static_cast<size_t>(sqlite3_column_bytes(p, nFirst + 5)),
                             &pRow->lat) &&
           NcDecodeHistogram(sqlite3_column_blob(p, nFirst + 6), static_cast<size_t>(sqlite3_column_bytes(p, nFirst + 6)),
                             &pRow->loss) &&
           NcRollupRowSane(*pRow);
}

}  // namespace

bool CNcStoreSqlite::WriteRollupLocked(const std::vector<NcRollupRow>& vecRows, bool bMerge) {
    CStatement find(m_pDb,
                    "SELECT reports, bad, samples, jitter_sum, jitter_n, lat, loss FROM analytics_hours"
                    " WHERE hour = ? AND dim = ? AND key1 = ? AND key2 = ? AND target = ?");
    CStatement put(m_pDb,
                   "INSERT OR REPLACE INTO analytics_hours (hour, dim, key1, key2, target, reports, bad, samples,"
                   " jitter_sum, jitter_n, lat, loss) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    if (!find.Ok() || !put.Ok()) {
        LogSqlite(kTag, m_pDb, "preparing");
        return false;
    }
    for (const NcRollupRow& add : vecRows) {
        NcRollupRow row = add;
        if (bMerge) {
            sqlite3_reset(find.Get());
            BindKey(find, add);
            const int nStep = find.Step();
            if (nStep == SQLITE_ROW) {
                NcRollupRow old = add;
                if (!ReadFigures(find, 0, &old)) {
                    // Left as it is: the page notices it and counts from the reports until a rebuild.
                    std::fprintf(stderr, "level=error where=%s what=\"damaged rollup row left alone\" hour=%lld dim=%d\n",
                                 kTag, static_cast<long long>(add.nHour), add.nDim);
                    continue;
                }
                NcMergeRollupRow(&old, add);
                row = std::move(old);
            } else if (nStep != SQLITE_DONE) {
                LogSqlite(kTag, m_pDb, "reading a rollup row");
                return false;
            }
        }
        sqlite3_reset(put.Get());
        BindKey(put, row);
        put.Int(6, row.nReports);
        put.Int(7, row.nBad);
        put.Int(8, row.nSamples);
        put.Real(9, row.dJitterSum);
        put.Int(10, row.nJitter);
        BindBlob(put, 11, NcEncodeHistogram(row.lat));
        BindBlob(put, 12, NcEncodeHistogram(row.loss));
        if (put.Step() != SQLITE_DONE) {
            LogSqlite(kTag, m_pDb, "writing a rollup row");
            return false;
        }
    }
    return true;
}

bool CNcStoreSqlite::FillRollupLocked() {
    CStatement next(m_pDb, "SELECT MIN(received_at) FROM reports WHERE received_at >= ?");
    if (!next.Ok()) {
        LogSqlite(kTag, m_pDb, "preparing");
        return false;
    }
    int64_t nCursor = INT64_MIN;
    std::vector<NcFigureRow> vecRows;
    for (;;) {
        // A day of reports at a time, skipping the days without any.
        sqlite3_reset(next.Get());
        next.Int(1, nCursor);
        if (next.Step() != SQLITE_ROW) {
            LogSqlite(kTag, m_pDb, "finding the next report");
            return false;
        }
        if (sqlite3_column_type(next.Get(), 0) == SQLITE_NULL) return true;
        const int64_t nStart = NcHourOf(next.ColumnInt(0));
        const int64_t nEnd = nStart > INT64_MAX - kFillChunkSec ? INT64_MAX : nStart + kFillChunkSec;
        if (!ReadFiguresLocked(nStart, nEnd, INT64_MAX, &vecRows)) return false;
        CNcRollupBuilder builder;
        for (const NcFigureRow& row : vecRows) builder.Add(row);
        if (!WriteRollupLocked(builder.Take(), false)) return false;
        if (nEnd == INT64_MAX) return true;
        nCursor = nEnd;
    }
}

bool CNcStoreSqlite::RebuildRollup() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!Exec("BEGIN IMMEDIATE", "NcStoreSqlite::RebuildRollup")) return false;
    if (!Exec("DELETE FROM analytics_hours", "NcStoreSqlite::RebuildRollup") || !FillRollupLocked() ||
        !Exec("COMMIT", "NcStoreSqlite::RebuildRollup")) {
        Rollback();
        return false;
    }
    return true;
}

bool CNcStoreSqlite::ListRollup(int64_t nFromHour, int64_t nToHour, std::vector<NcRollupRow>* pRows) {
    std::lock_guard<std::mutex> guard(m_lock);
    CStatement query(m_pDb,
                     "SELECT hour, dim, key1, key2, target, reports, bad, samples, jitter_sum, jitter_n, lat, loss"
                     " FROM analytics_hours WHERE hour >= ? AND hour < ? ORDER BY hour, dim, key1, key2, target");
    if (!query.Ok()) {
        LogSqlite(kTag, m_pDb, "preparing");
        return false;
    }
    query.Int(1, nFromHour);
    query.Int(2, nToHour);
    pRows->clear();
    int nStep;
    while ((nStep = query.Step()) == SQLITE_ROW) {
        NcRollupRow row;
        row.nHour = query.ColumnInt(0);
        row.nDim = static_cast<int32_t>(query.ColumnInt(1));
        row.strKey = query.ColumnText(2);
        row.strKey2 = query.ColumnText(3);
        row.strTarget = query.ColumnText(4);
        if (!ReadFigures(query, 5, &row)) {
            std::fprintf(stderr, "level=error where=%s what=\"damaged rollup row\" hour=%lld dim=%d\n", kTag,
                         static_cast<long long>(row.nHour), row.nDim);
            return false;
        }
        pRows->push_back(std::move(row));
    }
    if (nStep == SQLITE_DONE) return true;
    LogSqlite(kTag, m_pDb, "reading the rollup");
    return false;
}

}  // namespace ncsqlite
