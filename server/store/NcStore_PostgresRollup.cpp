// The PostgreSQL store's hourly rollup: written with every report, counted from all reports on migration
// and rebuild, read by the analytics page.
//
// Several processes add to the same rows (every report of an hour touches that hour's row), so a row is
// taken with INSERT … ON CONFLICT DO NOTHING (which waits for a concurrent inserter of the same key) or
// else read FOR UPDATE and rewritten. Rows are always taken in the builder's key order, so two
// transactions never wait for each other in a circle.
#include "server/store/NcStore_PostgresImpl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace ncpg {

namespace {

const char* const kTag = "NcStorePostgres::Rollup";
const int64_t kFillChunkSec = 86400;   // reports counted per read while filling
const size_t kInsertBatch = 200;       // rows per INSERT while filling
const char* const kColumns =
    "hour, dim, key1, key2, target, reports, bad, samples, jitter_sum, jitter_n, lat, loss";

std::string ByteaText(const std::string& strBytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string strOut = "\\x";
    for (const char c : strBytes) {
        strOut += kHex[(static_cast<unsigned char>(c) >> 4) & 0xF];
        strOut += kHex[static_cast<unsigned char>(c) & 0xF];
    }
    return strOut;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A bytea column in its hex text form ("\x…") to a histogram.
bool DecodeBytea(const char* szText, NcHistogram* pHist) {
    const std::string strText = szText;
    if (strText.size() < 2 || strText[0] != '\\' || strText[1] != 'x' || strText.size() % 2 != 0) return false;
    std::string strBytes;
    strBytes.reserve(strText.size() / 2);
    for (size_t i = 2; i < strText.size(); i += 2) {
        const int nHi = HexDigit(strText[i]), nLo = HexDigit(strText[i + 1]);
        if (nHi < 0 || nLo < 0) return false;
        strBytes += static_cast<char>(nHi * 16 + nLo);
    }
    return NcDecodeHistogram(strBytes.data(), strBytes.size(), pHist);
}

// The twelve column values of a row as text parameters.
std::vector<std::string> RowText(const NcRollupRow& row) {
    char szJitter[40];
    std::snprintf(szJitter, sizeof(szJitter), "%.17g", row.dJitterSum);
    return {std::to_string(row.nHour), std::to_string(row.nDim), row.strKey, row.strKey2, row.strTarget,
            std::to_string(row.nReports), std::to_string(row.nBad), std::to_string(row.nSamples), szJitter,
            std::to_string(row.nJitter), ByteaText(NcEncodeHistogram(row.lat)), ByteaText(NcEncodeHistogram(row.loss))};
}

// Result columns nFirst.. of reports, bad, samples, jitter_sum, jitter_n, lat, loss of line i.
bool ReadFigures(PGresult* r, int i, int nFirst, NcRollupRow* pRow) {
    pRow->nReports = ToInt64(PQgetvalue(r, i, nFirst));
    pRow->nBad = ToInt64(PQgetvalue(r, i, nFirst + 1));
    pRow->nSamples = ToInt64(PQgetvalue(r, i, nFirst + 2));
    pRow->dJitterSum = std::strtod(PQgetvalue(r, i, nFirst + 3), nullptr);
    pRow->nJitter = ToInt64(PQgetvalue(r, i, nFirst + 4));
    return DecodeBytea(PQgetvalue(r, i, nFirst + 5), &pRow->lat) &&
           DecodeBytea(PQgetvalue(r, i, nFirst + 6), &pRow->loss) && NcRollupRowSane(*pRow);
}

// Binary result columns: integers and doubles big-endian of their exact width, text and bytea as bytes.
bool BinaryInt(PGresult* r, int i, int c, int nWidth, int64_t* pValue) {
    if (PQgetisnull(r, i, c) || PQgetlength(r, i, c) != nWidth) return false;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(PQgetvalue(r, i, c));
    uint64_t u = 0;
    for (int k = 0; k < nWidth; ++k) u = (u << 8) | p[k];
    *pValue = nWidth == 4 ? static_cast<int32_t>(static_cast<uint32_t>(u)) : static_cast<int64_t>(u);
    return true;
}

std::string BinaryBytes(PGresult* r, int i, int c) {
    return std::string(PQgetvalue(r, i, c), static_cast<size_t>(PQgetlength(r, i, c)));
}

bool ReadBinaryRow(PGresult* r, int i, NcRollupRow* pRow) {
    int64_t nDim = 0, nJitterBits = 0;
    if (!BinaryInt(r, i, 0, 8, &pRow->nHour) || !BinaryInt(r, i, 1, 4, &nDim) ||
        !BinaryInt(r, i, 5, 8, &pRow->nReports) || !BinaryInt(r, i, 6, 8, &pRow->nBad) ||
        !BinaryInt(r, i, 7, 8, &pRow->nSamples) || !BinaryInt(r, i, 8, 8, &nJitterBits) ||
        !BinaryInt(r, i, 9, 8, &pRow->nJitter))
        return false;
    pRow->nDim = static_cast<int32_t>(nDim);
    const uint64_t uBits = static_cast<uint64_t>(nJitterBits);
    std::memcpy(&pRow->dJitterSum, &uBits, sizeof(double));
    pRow->strKey = BinaryBytes(r, i, 2);
    pRow->strKey2 = BinaryBytes(r, i, 3);
    pRow->strTarget = BinaryBytes(r, i, 4);
    return NcDecodeHistogram(PQgetvalue(r, i, 10), static_cast<size_t>(PQgetlength(r, i, 10)), &pRow->lat) &&
           NcDecodeHistogram(PQgetvalue(r, i, 11), static_cast<size_t>(PQgetlength(r, i, 11)), &pRow->loss) &&
           NcRollupRowSane(*pRow);
}

bool AnyNul(const NcRollupRow& row) { return HasNul(row.strKey) || HasNul(row.strKey2) || HasNul(row.strTarget); }

bool MergeRow(PGconn* pConn, const NcRollupRow& add) {
    const std::vector<std::string> vecText = RowText(add);
    std::vector<const char*> vecPtr;
    for (const std::string& str : vecText) vecPtr.push_back(str.c_str());
    NcPgResult inserted = NcPgExec(pConn,
                                   "INSERT INTO analytics_hours (hour, dim, key1, key2, target, reports, bad, samples,"
                                   " jitter_sum, jitter_n, lat, loss) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10,"
                                   " $11, $12) ON CONFLICT DO NOTHING RETURNING 1",
                                   vecPtr);
    if (!NcPgOk(inserted, pConn, kTag)) return false;
    if (PQntuples(inserted.get()) == 1) return true;
    const std::vector<const char*> vecKey(vecPtr.begin(), vecPtr.begin() + 5);
    NcPgResult found = NcPgExec(pConn,
                                "SELECT reports, bad, samples, jitter_sum, jitter_n, lat, loss FROM analytics_hours"
                                " WHERE hour = $1 AND dim = $2 AND key1 = $3 AND key2 = $4 AND target = $5 FOR UPDATE",
                                vecKey);
    if (!NcPgOk(found, pConn, kTag)) return false;
    if (PQntuples(found.get()) != 1) {
        NcPgLog("error", kTag, "a rollup row vanished while it was being added to");
        return false;
    }
    NcRollupRow row = add;
    if (!ReadFigures(found.get(), 0, 0, &row)) {
        // Left as it is: the page notices it and counts from the reports until a rebuild.
        NcPgLog("error", kTag, "damaged rollup row left alone (hour " + vecText[0] + ", dim " + vecText[1] + ")");
        return true;
    }
    NcMergeRollupRow(&row, add);
    const std::vector<std::string> vecNew = RowText(row);
    std::vector<const char*> vecNewPtr;
    for (const std::string& str : vecNew) vecNewPtr.push_back(str.c_str());
    return NcPgOk(NcPgExec(pConn,
                           "UPDATE analytics_hours SET reports = $6, bad = $7, samples = $8, jitter_sum = $9,"
                           " jitter_n = $10, lat = $11, loss = $12"
                           " WHERE hour = $1 AND dim = $2 AND key1 = $3 AND key2 = $4 AND target = $5",
                           vecNewPtr),
                  pConn, kTag);
}

bool InsertBatch(PGconn* pConn, const std::vector<NcRollupRow>& vecRows, size_t uFirst, size_t uEnd) {
    std::string strSql = std::string("INSERT INTO analytics_hours (") + kColumns + ") VALUES ";
    std::vector<std::string> vecText;
    for (size_t i = uFirst; i < uEnd; ++i) {
        strSql += i == uFirst ? "(" : ", (";
        for (int c = 0; c < 12; ++c) {
            strSql += (c ? ", $" : "$") + std::to_string(vecText.size() + 1 + c);
        }
        strSql += ")";
        for (std::string& str : RowText(vecRows[i])) vecText.push_back(std::move(str));
    }
    std::vector<const char*> vecPtr;
    for (const std::string& str : vecText) vecPtr.push_back(str.c_str());
    return NcPgOk(NcPgExec(pConn, strSql.c_str(), vecPtr), pConn, kTag);
}

}  // namespace

bool NcPgReadFigures(PGconn* pConn, int64_t nFrom, int64_t nTo, int64_t nMaxRows, std::vector<NcFigureRow>* pRows) {
    pRows->clear();
    const std::string strFrom = std::to_string(nFrom), strTo = std::to_string(nTo), strMax = std::to_string(nMaxRows);
    const char* kReadTag = "NcStorePostgres::ListFigures";
    // The window's reports come from the time index; their figures are fetched by the range of their
    // numbers (report numbers grow with time), so the planner reads that slice of the figures' primary key
    // instead of the whole table. The sort of a month's rows needs more than the default work_mem.
    if (!NcPgOk(NcPgExec(pConn, "SET LOCAL work_mem = '64MB'"), pConn, kReadTag)) return false;
    NcPgResult result = NcPgExec(
        pConn,
        "WITH w AS MATERIALIZED (SELECT id, received_at, server_name, question_type, net_type, verdict FROM reports"
        "  WHERE received_at >= $1 AND received_at < $2),"
        " b AS MATERIALIZED (SELECT min(id) AS lo, max(id) AS hi FROM w)"
        " SELECT r.id, r.received_at, r.server_name, r.question_type, r.net_type, r.verdict,"
        " f.target IS NOT NULL, f.target, f.loss_pct, f.avg_ms, f.jitter_ms"
        " FROM w r LEFT JOIN report_figures f ON f.report_id = r.id"
        "  AND f.report_id >= (SELECT lo FROM b) AND f.report_id <= (SELECT hi FROM b)"
        " ORDER BY r.id, f.seq LIMIT $3",
        {strFrom.c_str(), strTo.c_str(), strMax.c_str()});
    if (!NcPgOk(result, pConn, kReadTag)) return false;
    PGresult* r = result.get();
    pRows->reserve(static_cast<size_t>(PQntuples(r)));
    for (int i = 0; i < PQntuples(r); ++i) {
        NcFigureRow row;
        row.nReportId = ToInt64(PQgetvalue(r, i, 0));
        row.nReceivedAt = ToInt64(PQgetvalue(r, i, 1));
        row.strServerName = PQgetvalue(r, i, 2);
        row.strQuestionType = PQgetvalue(r, i, 3);
        row.strNetType = PQgetvalue(r, i, 4);
        row.nVerdict = static_cast<int32_t>(ToInt64(PQgetvalue(r, i, 5)));
        if (PQgetvalue(r, i, 6)[0] == 't') {
            row.strTarget = PQgetvalue(r, i, 7);
            row.nLoss = static_cast<int32_t>(ToInt64(PQgetvalue(r, i, 8)));
            row.nAvgMs = static_cast<int32_t>(ToInt64(PQgetvalue(r, i, 9)));
            row.dJitterMs = std::strtod(PQgetvalue(r, i, 10), nullptr);
        }
        pRows->push_back(std::move(row));
    }
    return true;
}

bool NcPgWriteRollup(PGconn* pConn, const std::vector<NcRollupRow>& vecRows, bool bMerge) {
    for (const NcRollupRow& row : vecRows) {
        if (AnyNul(row)) {
            NcPgLog("error", kTag, "a name holds a NUL byte; refused");
            return false;
        }
    }
    if (bMerge) {
        for (const NcRollupRow& row : vecRows) {
            if (!MergeRow(pConn, row)) return false;
        }
        return true;
    }
    for (size_t i = 0; i < vecRows.size(); i += kInsertBatch) {
        if (!InsertBatch(pConn, vecRows, i, std::min(vecRows.size(), i + kInsertBatch))) return false;
    }
    return true;
}

bool NcPgFillRollup(PGconn* pConn) {
    int64_t nCursor = INT64_MIN;
    std::vector<NcFigureRow> vecRows;
    for (;;) {
        // A day of reports at a time, skipping the days without any.
        const std::string strCursor = std::to_string(nCursor);
        NcPgResult next = NcPgExec(pConn, "SELECT MIN(received_at) FROM reports WHERE received_at >= $1",
                                   {strCursor.c_str()});
        if (!NcPgOk(next, pConn, kTag)) return false;
        if (PQgetisnull(next.get(), 0, 0)) return true;
        const int64_t nStart = NcHourOf(ToInt64(PQgetvalue(next.get(), 0, 0)));
        const int64_t nEnd = nStart > INT64_MAX - kFillChunkSec ? INT64_MAX : nStart + kFillChunkSec;
        if (!NcPgReadFigures(pConn, nStart, nEnd, INT64_MAX, &vecRows)) return false;
        CNcRollupBuilder builder;
        for (const NcFigureRow& row : vecRows) builder.Add(row);
        if (!NcPgWriteRollup(pConn, builder.Take(), false)) return false;
        if (nEnd == INT64_MAX) return true;
        nCursor = nEnd;
    }
}

bool CNcStorePostgres::RebuildRollup() {
    const char* kRebuildTag = "NcStorePostgres::RebuildRollup";
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    // The table lock waits for the reports being stored right now (they hold rows of it) and keeps new
    // ones from finishing until the count is done; they then add themselves to the new rows.
    return pConn && NcPgOk(CNcPgPool::ExecFirst(pConn, "BEGIN"), pConn, kRebuildTag) &&
           NcPgOk(NcPgExec(pConn, "SET LOCAL statement_timeout = 0"), pConn, kRebuildTag) &&
           NcPgOk(NcPgExec(pConn, "LOCK TABLE analytics_hours IN EXCLUSIVE MODE"), pConn, kRebuildTag) &&
           NcPgOk(NcPgExec(pConn, "DELETE FROM analytics_hours"), pConn, kRebuildTag) && NcPgFillRollup(pConn) &&
           NcPgOk(NcPgExec(pConn, "COMMIT"), pConn, kRebuildTag);
}

bool CNcStorePostgres::ListRollup(int64_t nFromHour, int64_t nToHour, std::vector<NcRollupRow>* pRows) {
    pRows->clear();
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    if (!pConn || !NcPgOk(CNcPgPool::ExecFirst(pConn, "BEGIN READ ONLY"), pConn, kTag)) return false;
    // A month is some 50,000 rows: their histograms come as bytes rather than as hex text.
    const std::string strFrom = std::to_string(nFromHour), strTo = std::to_string(nToHour);
    const char* apParams[] = {strFrom.c_str(), strTo.c_str()};
    const std::string strSql = std::string("SELECT ") + kColumns + " FROM analytics_hours WHERE hour >= $1 AND hour < $2";
    NcPgResult result(PQexecParams(pConn, strSql.c_str(), 2, nullptr, apParams, nullptr, nullptr, 1));
    if (!NcPgOk(result, pConn, kTag)) return false;
    NcPgExec(pConn, "COMMIT");
    PGresult* r = result.get();
    if (PQnfields(r) != 12) return false;
    pRows->reserve(static_cast<size_t>(PQntuples(r)));
    for (int i = 0; i < PQntuples(r); ++i) {
        NcRollupRow row;
        if (!ReadBinaryRow(r, i, &row)) {
            NcPgLog("error", kTag, "damaged rollup row (hour " + std::to_string(row.nHour) + ")");
            pRows->clear();
            return false;
        }
        pRows->push_back(std::move(row));
    }
    return true;
}

}  // namespace ncpg
