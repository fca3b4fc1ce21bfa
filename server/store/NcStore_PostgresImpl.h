// The PostgreSQL store's insides, shared by its report half (NcStore_Postgres.cpp) and its support-site
// half (NcStore_PostgresSite.cpp).
#pragma once

#include "server/store/NcStore.h"
#include "server/store/NcStore_PgPool.h"
#include "server/store/NcStore_Rollup.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace ncpg {

inline int64_t ToInt64(const char* szText) { return std::strtoll(szText, nullptr, 10); }

// libpq sends text parameters as C strings: a NUL inside a field would cut it short without a word.
inline bool HasNul(const std::string& str) { return str.find('\0') != std::string::npos; }

// Inside the caller's transaction (NcStore_PostgresRollup.cpp): the reports of [nFrom, nTo) with their
// targets, as ListFigures gives them.
bool NcPgReadFigures(PGconn* pConn, int64_t nFrom, int64_t nTo, int64_t nMaxRows, std::vector<NcFigureRow>* pRows);

class CNcStorePostgres : public INcStore {
public:
    explicit CNcStorePostgres(const std::string& strUrl) : m_pool(strUrl, kPoolSize) {}

    bool Open(std::string* pError) { return m_pool.Open(pError); }

    bool Migrate() override;
    int32_t SchemaVersion() override;
    NcInsertOutcome InsertReport(const NcReport& report, int64_t nNowSec, int64_t nWindowSec, int64_t* pId) override;
    bool ImportAccounts(const std::vector<std::string>& vecNames, size_t* pAdded) override;
    int32_t HasAccount(const std::string& strName) override;
    bool GetReport(int64_t nId, NcReport* pReport) override;
    int64_t CountReports() override;
    bool Ping() override;
    // NcStore_PostgresSite.cpp
    bool PutStaff(const std::string& strName, const std::string& strHash, int64_t nNowSec) override;
    int32_t GetStaffHash(const std::string& strName, std::string* pHash) override;
    bool CreateSession(const std::string& strToken, const NcStaffSession& session) override;
    int32_t GetSession(const std::string& strToken, int64_t nNowSec, NcStaffSession* pSession) override;
    bool DeleteSession(const std::string& strToken) override;
    bool ListReports(const NcReportFilter& filter, int64_t nOffset, int32_t nLimit,
                     std::vector<NcReportRow>* pRows) override;
    bool ListFigures(int64_t nFrom, int64_t nTo, size_t nMaxRows, std::vector<NcFigureRow>* pRows) override;
    // NcStore_PostgresRollup.cpp
    bool ListRollup(int32_t nDim, int64_t nFrom, int64_t nTo, std::vector<NcRollupRow>* pRows) override;
    bool RollUp(int64_t nUntil, int64_t* pDoneUntil) override;
    bool RebuildRollup(int64_t nUntil) override;

private:
    // Enough for the server's worker threads; a caller beyond it waits for a free connection.
    static constexpr size_t kPoolSize = 16;

    // One migration step: 1 applied one, 0 nothing left to do, -1 failed (logged).
    int MigrateOneStep(PGconn* pConn);

    CNcPgPool m_pool;
};

}  // namespace ncpg
