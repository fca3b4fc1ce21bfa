// The SQLite store's analytics rollup: hours counted once they are over, read by the analytics page.
#include "server/store/NcStore_SqliteImpl.h"

#include <functional>

namespace ncsqlite {

namespace {

const char* const kTag = "NcStoreSqlite::Rollup";

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

bool ReadRollupRows(sqlite3* pDb, int32_t nDim, int64_t nFrom, int64_t nTo, std::vector<NcRollupRow>* pRows) {
    CStatement query(pDb,
                     "SELECT start_at, key1, key2, target, reports, bad, samples, jitter_sum, jitter_n, lat, loss"
                     " FROM analytics_rollup WHERE dim = ? AND start_at >= ? AND start_at < ?");
    if (!query.Ok()) {
        LogSqlite(kTag, pDb, "preparing");
        return false;
    }
    query.Int(1, nDim);
    query.Int(2, nFrom);
    query.Int(3, nTo);
    int nStep;
    while ((nStep = query.Step()) == SQLITE_ROW) {
        NcRollupRow row;
        row.nDim = nDim;
        row.nStart = query.ColumnInt(0);
        row.strKey = query.ColumnText(1);
        row.strKey2 = query.ColumnText(2);
        row.strTarget = query.ColumnText(3);
        if (!ReadFigures(query, 4, &row)) {
            std::fprintf(stderr, "level=error where=%s what=\"damaged rollup row\" start=%lld dim=%d\n", kTag,
                         static_cast<long long>(row.nStart), row.nDim);
            return false;
        }
        pRows->push_back(std::move(row));
    }
    if (nStep == SQLITE_DONE) return true;
    LogSqlite(kTag, pDb, "reading the rollup");
    return false;
}

// The roll-up's reads and writes on the store's connection, inside its transaction.
class CSqliteRollupTx : public INcRollupTx {
public:
    CSqliteRollupTx(sqlite3* pDb, std::function<bool(int64_t, int64_t, std::vector<NcFigureRow>*)> fnRead)
        : m_pDb(pDb), m_fnRead(std::move(fnRead)) {}

    bool NextReportTime(int64_t nFrom, int64_t* pTime, bool* pAny) override {
        CStatement next(m_pDb, "SELECT MIN(received_at) FROM reports WHERE received_at >= ?");
        if (!next.Ok()) return Fail("preparing");
        next.Int(1, nFrom);
        if (next.Step() != SQLITE_ROW) return Fail("finding the next report");
        *pAny = sqlite3_column_type(next.Get(), 0) != SQLITE_NULL;
        *pTime = next.ColumnInt(0);
        return true;
    }
    bool ReadFigures(int64_t nFrom, int64_t nTo, std::vector<NcFigureRow>* pRows) override {
        return m_fnRead(nFrom, nTo, pRows);
    }
    bool ReadRows(int32_t nDim, int64_t nFrom, int64_t nTo, std::vector<NcRollupRow>* pRows) override {
        return ReadRollupRows(m_pDb, nDim, nFrom, nTo, pRows);
    }
    bool WriteRows(const std::vector<NcRollupRow>& vecRows) override {
        CStatement put(m_pDb,
                       "INSERT INTO analytics_rollup (dim, start_at, key1, key2, target, reports, bad, samples,"
                       " jitter_sum, jitter_n, lat, loss) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        if (!put.Ok()) return Fail("preparing");
        for (const NcRollupRow& row : vecRows) {
            sqlite3_reset(put.Get());
            put.Int(1, row.nDim);
            put.Int(2, row.nStart);
            put.Text(3, row.strKey);
            put.Text(4, row.strKey2);
            put.Text(5, row.strTarget);
            put.Int(6, row.nReports);
            put.Int(7, row.nBad);
            put.Int(8, row.nSamples);
            put.Real(9, row.dJitterSum);
            put.Int(10, row.nJitter);
            BindBlob(put, 11, NcEncodeHistogram(row.lat));
            BindBlob(put, 12, NcEncodeHistogram(row.loss));
            if (put.Step() != SQLITE_DONE) return Fail("writing a rollup row");
        }
        return true;
    }

private:
    bool Fail(const char* szWhat) {
        LogSqlite(kTag, m_pDb, szWhat);
        return false;
    }

    sqlite3* m_pDb;
    std::function<bool(int64_t, int64_t, std::vector<NcFigureRow>*)> m_fnRead;
};

}  // namespace

bool CNcStoreSqlite::RollUpLocked(int64_t nUntil, bool bAll, int64_t* pDoneUntil) {
    CStatement mark(m_pDb, "SELECT done_until FROM analytics_rollup_state");
    if (!mark.Ok() || mark.Step() != SQLITE_ROW) {
        LogSqlite(kTag, m_pDb, "reading the rollup's mark");
        return false;
    }
    int64_t nDone = mark.ColumnInt(0);
    CSqliteRollupTx tx(m_pDb, [this](int64_t nFrom, int64_t nTo, std::vector<NcFigureRow>* pRows) {
        return ReadFiguresLocked(nFrom, nTo, INT64_MAX, pRows);
    });
    for (;;) {
        const int64_t nBefore = nDone;
        if (!NcRollupCount(tx, nUntil, kNcRollupStepSec, &nDone)) return false;
        if (nDone >= nUntil || !bAll || nDone <= nBefore) break;
    }
    CStatement move(m_pDb, "UPDATE analytics_rollup_state SET done_until = ?");
    if (!move.Ok()) return false;
    move.Int(1, nDone);
    if (move.Step() != SQLITE_DONE) {
        LogSqlite(kTag, m_pDb, "moving the rollup's mark");
        return false;
    }
    *pDoneUntil = nDone;
    return true;
}

bool CNcStoreSqlite::RollUp(int64_t nUntil, int64_t* pDoneUntil) {
    std::lock_guard<std::mutex> guard(m_lock);
    {
        // Mostly there is nothing to count: a read, without the write lock and a commit to disk.
        CStatement mark(m_pDb, "SELECT done_until FROM analytics_rollup_state");
        if (mark.Ok() && mark.Step() == SQLITE_ROW && mark.ColumnInt(0) >= nUntil) {
            *pDoneUntil = mark.ColumnInt(0);
            return true;
        }
    }
    if (!Exec("BEGIN IMMEDIATE", "NcStoreSqlite::RollUp")) return false;
    if (!RollUpLocked(nUntil, false, pDoneUntil) || !Exec("COMMIT", "NcStoreSqlite::RollUp")) {
        Rollback();
        return false;
    }
    return true;
}

bool CNcStoreSqlite::RebuildRollup(int64_t nUntil) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!Exec("BEGIN IMMEDIATE", "NcStoreSqlite::RebuildRollup")) return false;
    int64_t nDone = 0;
    if (!Exec("DELETE FROM analytics_rollup; UPDATE analytics_rollup_state SET done_until = -9223372036854775807 - 1",
              "NcStoreSqlite::RebuildRollup") ||
        !RollUpLocked(nUntil, true, &nDone) || !Exec("COMMIT", "NcStoreSqlite::RebuildRollup")) {
        Rollback();
        return false;
    }
    return true;
}

bool CNcStoreSqlite::ListRollup(int32_t nDim, int64_t nFrom, int64_t nTo, std::vector<NcRollupRow>* pRows) {
    std::lock_guard<std::mutex> guard(m_lock);
    return ReadRollupRows(m_pDb, nDim, nFrom, nTo, pRows);
}

}  // namespace ncsqlite
