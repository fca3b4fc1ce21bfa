// The PostgreSQL store's analytics rollup: hours counted once they are over, read by the analytics page.
// Several processes may count at once; a transaction-level advisory lock lets one count while the others
// wait and then find the hours done.
#include "server/store/NcStore_PostgresImpl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace ncpg {

namespace {

const char* const kTag = "NcStorePostgres::Rollup";
const size_t kInsertBatch = 200;   // rows per INSERT
constexpr const char* kRollupLock = "SELECT pg_advisory_xact_lock(1313013763, 0)";
const char* const kColumns =
    "dim, start_at, key1, key2, target, reports, bad, samples, jitter_sum, jitter_n, lat, loss";

std::string ByteaText(const std::string& strBytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string strOut = "\\x";
    for (const char c : strBytes) {
        strOut += kHex[(static_cast<unsigned char>(c) >> 4) & 0xF];
        strOut += kHex[static_cast<unsigned char>(c) & 0xF];
    }
    return strOut;
}

// The twelve column values of a row as text parameters.
std::vector<std::string> RowText(const NcRollupRow& row) {
    char szJitter[40];
    std::snprintf(szJitter, sizeof(szJitter), "%.17g", row.dJitterSum);
    return {std::to_string(row.nDim), std::to_string(row.nStart), row.strKey, row.strKey2, row.strTarget,
            std::to_string(row.nReports), std::to_string(row.nBad), std::to_string(row.nSamples), szJitter,
            std::to_string(row.nJitter), ByteaText(NcEncodeHistogram(row.lat)), ByteaText(NcEncodeHistogram(row.loss))};
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
    if (!BinaryInt(r, i, 0, 4, &nDim) || !BinaryInt(r, i, 1, 8, &pRow->nStart) ||
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

bool InsertBatch(PGconn* pConn, const std::vector<NcRollupRow>& vecRows, size_t uFirst, size_t uEnd) {
    std::string strSql = std::string("INSERT INTO analytics_rollup (") + kColumns + ") VALUES ";
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

namespace {

bool ReadRollupRows(PGconn* pConn, int32_t nDim, int64_t nFrom, int64_t nTo, std::vector<NcRollupRow>* pRows) {
    // The histograms come as bytes rather than as hex text.
    const std::string strDim = std::to_string(nDim), strFrom = std::to_string(nFrom), strTo = std::to_string(nTo);
    const char* apParams[] = {strDim.c_str(), strFrom.c_str(), strTo.c_str()};
    const std::string strSql =
        std::string("SELECT ") + kColumns + " FROM analytics_rollup WHERE dim = $1 AND start_at >= $2 AND start_at < $3";
    NcPgResult result(PQexecParams(pConn, strSql.c_str(), 3, nullptr, apParams, nullptr, nullptr, 1));
    if (!NcPgOk(result, pConn, kTag)) return false;
    PGresult* r = result.get();
    if (PQnfields(r) != 12) return false;
    for (int i = 0; i < PQntuples(r); ++i) {
        NcRollupRow row;
        if (!ReadBinaryRow(r, i, &row)) {
            NcPgLog("error", kTag, "damaged rollup row (dim " + strDim + ", start " + std::to_string(row.nStart) + ")");
            return false;
        }
        pRows->push_back(std::move(row));
    }
    return true;
}

// The roll-up's reads and writes on one connection, inside its transaction.
class CPgRollupTx : public INcRollupTx {
public:
    explicit CPgRollupTx(PGconn* pConn) : m_pConn(pConn) {}

    bool NextReportTime(int64_t nFrom, int64_t* pTime, bool* pAny) override {
        const std::string strFrom = std::to_string(nFrom);
        NcPgResult next = NcPgExec(m_pConn, "SELECT MIN(received_at) FROM reports WHERE received_at >= $1",
                                   {strFrom.c_str()});
        if (!NcPgOk(next, m_pConn, kTag)) return false;
        *pAny = !PQgetisnull(next.get(), 0, 0);
        *pTime = *pAny ? ToInt64(PQgetvalue(next.get(), 0, 0)) : 0;
        return true;
    }
    bool ReadFigures(int64_t nFrom, int64_t nTo, std::vector<NcFigureRow>* pRows) override {
        return NcPgReadFigures(m_pConn, nFrom, nTo, INT64_MAX, pRows);
    }
    bool ReadRows(int32_t nDim, int64_t nFrom, int64_t nTo, std::vector<NcRollupRow>* pRows) override {
        return ReadRollupRows(m_pConn, nDim, nFrom, nTo, pRows);
    }
    bool WriteRows(const std::vector<NcRollupRow>& vecRows) override {
        for (const NcRollupRow& row : vecRows) {
            if (AnyNul(row)) {
                NcPgLog("error", kTag, "a name holds a NUL byte; refused");
                return false;
            }
        }
        for (size_t i = 0; i < vecRows.size(); i += kInsertBatch) {
            if (!InsertBatch(m_pConn, vecRows, i, std::min(vecRows.size(), i + kInsertBatch))) return false;
        }
        return true;
    }

private:
    PGconn* m_pConn;
};

// Inside a transaction that holds the roll-up lock: one step towards nUntil, or (bAll) every step up to
// it; the mark moved.
bool RollUpLocked(PGconn* pConn, int64_t nUntil, bool bAll, int64_t* pDoneUntil) {
    NcPgResult mark = NcPgExec(pConn, "SELECT done_until FROM analytics_rollup_state");
    if (!NcPgOk(mark, pConn, kTag) || PQntuples(mark.get()) != 1) return false;
    int64_t nDone = ToInt64(PQgetvalue(mark.get(), 0, 0));
    CPgRollupTx tx(pConn);
    for (;;) {
        const int64_t nBefore = nDone;
        if (!NcRollupCount(tx, nUntil, kNcRollupStepSec, &nDone)) return false;
        if (nDone >= nUntil || !bAll || nDone <= nBefore) break;
    }
    const std::string strDone = std::to_string(nDone);
    if (!NcPgOk(NcPgExec(pConn, "UPDATE analytics_rollup_state SET done_until = $1", {strDone.c_str()}), pConn, kTag))
        return false;
    *pDoneUntil = nDone;
    return true;
}

}  // namespace

bool CNcStorePostgres::RollUp(int64_t nUntil, int64_t* pDoneUntil) {
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    if (!pConn) return false;
    // Mostly there is nothing to count: one read, no lock.
    NcPgResult mark = CNcPgPool::ExecFirst(pConn, "SELECT done_until FROM analytics_rollup_state");
    if (!NcPgOk(mark, pConn, kTag) || PQntuples(mark.get()) != 1) return false;
    if (ToInt64(PQgetvalue(mark.get(), 0, 0)) >= nUntil) {
        *pDoneUntil = ToInt64(PQgetvalue(mark.get(), 0, 0));
        return true;
    }
    return NcPgOk(NcPgExec(pConn, "BEGIN"), pConn, kTag) &&
           NcPgOk(NcPgExec(pConn, kRollupLock), pConn, kTag) && RollUpLocked(pConn, nUntil, false, pDoneUntil) &&
           NcPgOk(NcPgExec(pConn, "COMMIT"), pConn, kTag);
}

bool CNcStorePostgres::RebuildRollup(int64_t nUntil) {
    const char* kRebuildTag = "NcStorePostgres::RebuildRollup";
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    int64_t nDone = 0;
    return pConn && NcPgOk(CNcPgPool::ExecFirst(pConn, "BEGIN"), pConn, kRebuildTag) &&
           NcPgOk(NcPgExec(pConn, "SET LOCAL statement_timeout = 0"), pConn, kRebuildTag) &&
           NcPgOk(NcPgExec(pConn, kRollupLock), pConn, kRebuildTag) &&
           NcPgOk(NcPgExec(pConn, "DELETE FROM analytics_rollup"), pConn, kRebuildTag) &&
           NcPgOk(NcPgExec(pConn, "UPDATE analytics_rollup_state SET done_until = -9223372036854775808"), pConn,
                  kRebuildTag) &&
           RollUpLocked(pConn, nUntil, true, &nDone) && NcPgOk(NcPgExec(pConn, "COMMIT"), pConn, kRebuildTag);
}

bool CNcStorePostgres::ListRollup(int32_t nDim, int64_t nFrom, int64_t nTo, std::vector<NcRollupRow>* pRows) {
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    if (!pConn || !NcPgOk(CNcPgPool::ExecFirst(pConn, "BEGIN READ ONLY"), pConn, kTag) ||
        !ReadRollupRows(pConn, nDim, nFrom, nTo, pRows))
        return false;
    NcPgExec(pConn, "COMMIT");
    return true;
}

}  // namespace ncpg
