// The PostgreSQL store's reads and writes for the support site: staff, sessions, the report list and the
// rows analytics are computed from.
#include "server/store/NcStore_PostgresImpl.h"

namespace ncpg {

namespace {

bool AnyNul(std::initializer_list<const std::string*> fields) {
    for (const std::string* p : fields) {
        if (HasNul(*p)) return true;
    }
    return false;
}

}  // namespace

bool CNcStorePostgres::PutStaff(const std::string& strName, const std::string& strHash, int64_t nNowSec) {
    if (AnyNul({&strName, &strHash})) return false;
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    if (!pConn) return false;
    const std::string strNow = std::to_string(nNowSec);
    return NcPgOk(CNcPgPool::ExecFirst(pConn,
                                       "INSERT INTO staff (name, pw_hash, created_at) VALUES ($1, $2, $3)"
                                       " ON CONFLICT (name) DO UPDATE SET pw_hash = excluded.pw_hash",
                                       {strName.c_str(), strHash.c_str(), strNow.c_str()}),
                  pConn, "NcStorePostgres::PutStaff");
}

int32_t CNcStorePostgres::GetStaffHash(const std::string& strName, std::string* pHash) {
    if (HasNul(strName)) return 0;
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    if (!pConn) return -1;
    NcPgResult result = CNcPgPool::ExecFirst(pConn, "SELECT pw_hash FROM staff WHERE name = $1", {strName.c_str()});
    if (!NcPgOk(result, pConn, "NcStorePostgres::GetStaffHash")) return -1;
    if (PQntuples(result.get()) == 0) return 0;
    *pHash = PQgetvalue(result.get(), 0, 0);
    return 1;
}

bool CNcStorePostgres::CreateSession(const std::string& strToken, const NcStaffSession& session) {
    if (AnyNul({&strToken, &session.strName, &session.strCsrf})) return false;
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    if (!pConn) return false;
    // Expired sessions go when new ones come, so the table stays small without a sweeper.
    const std::string strSweep = std::to_string(session.nExpiresAt - 7 * 24 * 3600);
    if (!NcPgOk(CNcPgPool::ExecFirst(pConn, "DELETE FROM staff_sessions WHERE expires_at <= $1", {strSweep.c_str()}),
                pConn, "NcStorePostgres::CreateSession"))
        return false;
    const std::string strExpires = std::to_string(session.nExpiresAt);
    return NcPgOk(NcPgExec(pConn, "INSERT INTO staff_sessions (token, staff_name, csrf, expires_at) VALUES ($1, $2, $3, $4)",
                           {strToken.c_str(), session.strName.c_str(), session.strCsrf.c_str(), strExpires.c_str()}),
                  pConn, "NcStorePostgres::CreateSession");
}

int32_t CNcStorePostgres::GetSession(const std::string& strToken, int64_t nNowSec, NcStaffSession* pSession) {
    if (HasNul(strToken)) return 0;
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    if (!pConn) return -1;
    const std::string strNow = std::to_string(nNowSec);
    NcPgResult result = CNcPgPool::ExecFirst(
        pConn, "SELECT staff_name, csrf, expires_at FROM staff_sessions WHERE token = $1 AND expires_at > $2",
        {strToken.c_str(), strNow.c_str()});
    if (!NcPgOk(result, pConn, "NcStorePostgres::GetSession")) return -1;
    if (PQntuples(result.get()) == 0) return 0;
    pSession->strName = PQgetvalue(result.get(), 0, 0);
    pSession->strCsrf = PQgetvalue(result.get(), 0, 1);
    pSession->nExpiresAt = ToInt64(PQgetvalue(result.get(), 0, 2));
    return 1;
}

bool CNcStorePostgres::DeleteSession(const std::string& strToken) {
    if (HasNul(strToken)) return true;
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    return pConn && NcPgOk(CNcPgPool::ExecFirst(pConn, "DELETE FROM staff_sessions WHERE token = $1", {strToken.c_str()}),
                           pConn, "NcStorePostgres::DeleteSession");
}

bool CNcStorePostgres::ListReports(const NcReportFilter& filter, int64_t nOffset, int32_t nLimit,
                                   std::vector<NcReportRow>* pRows) {
    pRows->clear();
    std::vector<NcSqlParam> vecParams;
    std::string strSql =
        "SELECT id, received_at, user_name, server_name, question_type, net_type, client_addr,"
        " substr(description, 1, 120), verdict FROM reports WHERE " +
        NcReportWhere(filter, true, &vecParams);
    std::vector<std::string> vecText;
    for (const NcSqlParam& param : vecParams) {
        if (!param.bInt && HasNul(param.strValue)) return true;   // no stored text holds a NUL
        vecText.push_back(param.bInt ? std::to_string(param.nValue) : param.strValue);
    }
    strSql += " ORDER BY id DESC LIMIT $" + std::to_string(vecText.size() + 1) + " OFFSET $" +
              std::to_string(vecText.size() + 2);
    vecText.push_back(std::to_string(nLimit));
    vecText.push_back(std::to_string(nOffset));
    std::vector<const char*> vecPtr;
    for (const std::string& str : vecText) vecPtr.push_back(str.c_str());

    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    if (!pConn) return false;
    NcPgResult result = CNcPgPool::ExecFirst(pConn, strSql.c_str(), vecPtr);
    if (!NcPgOk(result, pConn, "NcStorePostgres::ListReports")) return false;
    PGresult* r = result.get();
    for (int i = 0; i < PQntuples(r); ++i) {
        NcReportRow row;
        row.nId = ToInt64(PQgetvalue(r, i, 0));
        row.nReceivedAt = ToInt64(PQgetvalue(r, i, 1));
        row.strUserName = PQgetvalue(r, i, 2);
        row.strServerName = PQgetvalue(r, i, 3);
        row.strQuestionType = PQgetvalue(r, i, 4);
        row.strNetType = PQgetvalue(r, i, 5);
        row.strClientAddr = PQgetvalue(r, i, 6);
        row.strDescription = PQgetvalue(r, i, 7);
        row.nVerdict = static_cast<int32_t>(ToInt64(PQgetvalue(r, i, 8)));
        pRows->push_back(std::move(row));
    }
    return true;
}

bool CNcStorePostgres::ListFigures(int64_t nFrom, int64_t nTo, size_t nMaxRows, std::vector<NcFigureRow>* pRows) {
    pRows->clear();
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    if (!pConn) return false;
    const char* kTag = "NcStorePostgres::ListFigures";
    if (!NcPgOk(CNcPgPool::ExecFirst(pConn, "BEGIN READ ONLY"), pConn, kTag) ||
        !NcPgReadFigures(pConn, nFrom, nTo, nMaxRows > INT64_MAX ? INT64_MAX : static_cast<int64_t>(nMaxRows), pRows))
        return false;
    NcPgExec(pConn, "COMMIT");
    return true;
}

}  // namespace ncpg
