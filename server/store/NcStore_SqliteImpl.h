// The SQLite store's insides, shared by its report half (NcStore_Sqlite.cpp) and its support-site half
// (NcStore_SqliteSite.cpp). sqlite3 is seen by these files only.
#pragma once

#include "server/store/NcStore.h"
#include "server/store/NcStore_Rollup.h"

#include <sqlite3.h>

#include <cstdio>
#include <mutex>

namespace ncsqlite {

inline void LogSqlite(const char* szTag, sqlite3* pDb, const char* szWhat) {
    std::fprintf(stderr, "level=error where=%s what=\"%s\" sqlite=\"%s\"\n", szTag, szWhat,
                 pDb ? sqlite3_errmsg(pDb) : "no connection");
}

// A prepared statement finalized on every path.
class CStatement {
public:
    CStatement(sqlite3* pDb, const char* szSql) {
        if (sqlite3_prepare_v2(pDb, szSql, -1, &m_pStmt, nullptr) != SQLITE_OK) m_pStmt = nullptr;
    }
    ~CStatement() { sqlite3_finalize(m_pStmt); }
    CStatement(const CStatement&) = delete;
    CStatement& operator=(const CStatement&) = delete;

    bool Ok() const { return m_pStmt != nullptr; }
    sqlite3_stmt* Get() const { return m_pStmt; }
    void Text(int nIndex, const std::string& str) {
        sqlite3_bind_text(m_pStmt, nIndex, str.data(), static_cast<int>(str.size()), SQLITE_TRANSIENT);
    }
    void Int(int nIndex, int64_t n) { sqlite3_bind_int64(m_pStmt, nIndex, n); }
    void Real(int nIndex, double d) { sqlite3_bind_double(m_pStmt, nIndex, d); }
    int Step() { return sqlite3_step(m_pStmt); }
    std::string ColumnText(int nCol) const {
        const unsigned char* p = sqlite3_column_text(m_pStmt, nCol);
        return p ? std::string(reinterpret_cast<const char*>(p), sqlite3_column_bytes(m_pStmt, nCol)) : std::string();
    }
    int64_t ColumnInt(int nCol) const { return sqlite3_column_int64(m_pStmt, nCol); }
    double ColumnReal(int nCol) const { return sqlite3_column_double(m_pStmt, nCol); }

private:
    sqlite3_stmt* m_pStmt = nullptr;
};

class CNcStoreSqlite : public INcStore {
public:
    explicit CNcStoreSqlite(sqlite3* pDb) : m_pDb(pDb) {}
    ~CNcStoreSqlite() override { sqlite3_close(m_pDb); }

    bool Migrate() override;
    int32_t SchemaVersion() override;
    NcInsertOutcome InsertReport(const NcReport& report, int64_t nNowSec, int64_t nWindowSec, int64_t* pId) override;
    bool ImportAccounts(const std::vector<std::string>& vecNames, size_t* pAdded) override;
    int32_t HasAccount(const std::string& strName) override;
    bool GetReport(int64_t nId, NcReport* pReport) override;
    int64_t CountReports() override;
    bool Ping() override;
    // NcStore_SqliteSite.cpp
    bool PutStaff(const std::string& strName, const std::string& strHash, int64_t nNowSec) override;
    int32_t GetStaffHash(const std::string& strName, std::string* pHash) override;
    bool CreateSession(const std::string& strToken, const NcStaffSession& session) override;
    int32_t GetSession(const std::string& strToken, int64_t nNowSec, NcStaffSession* pSession) override;
    bool DeleteSession(const std::string& strToken) override;
    bool ListReports(const NcReportFilter& filter, int64_t nOffset, int32_t nLimit,
                     std::vector<NcReportRow>* pRows) override;
    bool ListFigures(int64_t nFrom, int64_t nTo, size_t nMaxRows, std::vector<NcFigureRow>* pRows) override;
    // NcStore_SqliteRollup.cpp
    bool ListRollup(int32_t nDim, int64_t nFrom, int64_t nTo, std::vector<NcRollupRow>* pRows) override;
    bool RollUp(int64_t nUntil, int64_t* pDoneUntil) override;
    bool RebuildRollup(int64_t nUntil) override;

private:
    bool Exec(const char* szSql, const char* szTag) {
        if (sqlite3_exec(m_pDb, szSql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
        LogSqlite(szTag, m_pDb, szSql);
        return false;
    }
    void Rollback() { sqlite3_exec(m_pDb, "ROLLBACK", nullptr, nullptr, nullptr); }
    int32_t VersionLocked();
    bool InsertLocked(const NcReport& report, int64_t* pId);
    bool ReadFiguresLocked(int64_t nFrom, int64_t nTo, int64_t nMaxRows, std::vector<NcFigureRow>* pRows);
    // Inside a transaction: one step towards nUntil, or (bAll) every step up to it; the mark moved.
    bool RollUpLocked(int64_t nUntil, bool bAll, int64_t* pDoneUntil);

    std::mutex m_lock;
    sqlite3* m_pDb;
};

}  // namespace ncsqlite
