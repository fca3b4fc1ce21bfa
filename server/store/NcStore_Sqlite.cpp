// The SQLite report store. One connection per store, used by one thread at a time (the server's worker
// threads take turns through m_lock); SQLite's own file locks keep several processes on one file apart.
// Writes that must see a consistent picture (the 10-minute rule, migrations) start with BEGIN IMMEDIATE,
// which takes the database's write lock before the first read, so two processes can never both find
// "no recent report" and both insert.
#include "server/store/NcStore_Sqlite.h"

#include "server/store/NcStore_SqliteImpl.h"

namespace {

// Each entry moves the schema one version up. Never edit a released entry: add a new one.
const char* const kMigrations[] = {
    // 1: reports with their raw fields, the figures per target, the account table.
    "CREATE TABLE reports ("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
    "  user_name TEXT NOT NULL, question_type TEXT NOT NULL, server_name TEXT NOT NULL,"
    "  net_type TEXT NOT NULL, description TEXT NOT NULL, check_content TEXT NOT NULL,"
    "  client_addr TEXT NOT NULL, received_at INTEGER NOT NULL);"
    "CREATE INDEX reports_user_time ON reports (user_name, received_at);"
    "CREATE TABLE report_figures ("
    "  report_id INTEGER NOT NULL REFERENCES reports (id) ON DELETE CASCADE,"
    "  seq INTEGER NOT NULL, target TEXT NOT NULL, loss_pct INTEGER NOT NULL, avg_ms INTEGER NOT NULL,"
    "  min_ms INTEGER NOT NULL, max_ms INTEGER NOT NULL, jitter_ms REAL NOT NULL, replies INTEGER NOT NULL,"
    "  PRIMARY KEY (report_id, seq));"
    "CREATE TABLE accounts (name TEXT PRIMARY KEY);",
    // 2: the verdict line of each report, the support staff and their sessions, indexes for the support site.
    "ALTER TABLE reports ADD COLUMN verdict INTEGER NOT NULL DEFAULT -1;"
    "CREATE INDEX reports_time ON reports (received_at);"
    "CREATE INDEX reports_server ON reports (server_name, received_at);"
    "CREATE INDEX reports_carrier ON reports (net_type, received_at);"
    "CREATE TABLE staff (name TEXT PRIMARY KEY, pw_hash TEXT NOT NULL, created_at INTEGER NOT NULL);"
    "CREATE TABLE staff_sessions (token TEXT PRIMARY KEY, staff_name TEXT NOT NULL, csrf TEXT NOT NULL,"
    "  expires_at INTEGER NOT NULL);",
    // 3: a trigram index of the descriptions, so a search for a phrase does not read every report.
    "CREATE VIRTUAL TABLE reports_text USING fts5(description, content='reports', content_rowid='id',"
    "  tokenize='trigram case_sensitive 1');"
    "INSERT INTO reports_text (reports_text) VALUES ('rebuild');"
    "CREATE TRIGGER reports_text_insert AFTER INSERT ON reports BEGIN"
    "  INSERT INTO reports_text (rowid, description) VALUES (new.id, new.description); END;"
    "CREATE TRIGGER reports_text_delete AFTER DELETE ON reports BEGIN"
    "  INSERT INTO reports_text (reports_text, rowid, description) VALUES ('delete', old.id, old.description); END;"
    "CREATE TRIGGER reports_text_update AFTER UPDATE OF description ON reports BEGIN"
    "  INSERT INTO reports_text (reports_text, rowid, description) VALUES ('delete', old.id, old.description);"
    "  INSERT INTO reports_text (rowid, description) VALUES (new.id, new.description); END;",
    // 4: the first, hourly rollup of the analytics page (replaced by 5).
    "CREATE TABLE analytics_hours ("
    "  hour INTEGER NOT NULL, dim INTEGER NOT NULL, key1 TEXT NOT NULL, key2 TEXT NOT NULL, target TEXT NOT NULL,"
    "  reports INTEGER NOT NULL, bad INTEGER NOT NULL, samples INTEGER NOT NULL, jitter_sum REAL NOT NULL,"
    "  jitter_n INTEGER NOT NULL, lat BLOB NOT NULL, loss BLOB NOT NULL,"
    "  PRIMARY KEY (hour, dim, key1, key2, target)) WITHOUT ROWID;",
    // 5: the hourly and daily rollup of the analytics page, counted from the stored reports up to
    // done_until (NcStore_SqliteRollup.cpp).
    "DROP TABLE IF EXISTS analytics_hours;"
    "CREATE TABLE analytics_rollup_state (done_until INTEGER NOT NULL);"
    "INSERT INTO analytics_rollup_state (done_until) VALUES (-9223372036854775807 - 1);"
    "CREATE TABLE analytics_rollup ("
    "  dim INTEGER NOT NULL, start_at INTEGER NOT NULL, key1 TEXT NOT NULL, key2 TEXT NOT NULL, target TEXT NOT NULL,"
    "  reports INTEGER NOT NULL, bad INTEGER NOT NULL, samples INTEGER NOT NULL, jitter_sum REAL NOT NULL,"
    "  jitter_n INTEGER NOT NULL, lat BLOB NOT NULL, loss BLOB NOT NULL,"
    "  PRIMARY KEY (dim, start_at, key1, key2, target)) WITHOUT ROWID;",
};
const int32_t kSchemaVersion = static_cast<int32_t>(sizeof(kMigrations) / sizeof(kMigrations[0]));

const int kBusyTimeoutMs = 10000;

}  // namespace

namespace ncsqlite {

int32_t CNcStoreSqlite::VersionLocked() {
    CStatement create(m_pDb, "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
    if (!create.Ok() || create.Step() != SQLITE_DONE) return -1;
    CStatement query(m_pDb, "SELECT COALESCE(MAX(version), 0) FROM schema_version");
    if (!query.Ok() || query.Step() != SQLITE_ROW) return -1;
    return static_cast<int32_t>(query.ColumnInt(0));
}

bool CNcStoreSqlite::Migrate() {
    std::lock_guard<std::mutex> guard(m_lock);
    for (;;) {
        // One transaction per step: another process migrating at the same time waits on the lock and
        // then finds the step done.
        if (!Exec("BEGIN IMMEDIATE", "NcStoreSqlite::Migrate")) return false;
        const int32_t nVersion = VersionLocked();
        if (nVersion < 0 || nVersion > kSchemaVersion) {
            if (nVersion > kSchemaVersion) {
                std::fprintf(stderr, "level=error where=NcStoreSqlite::Migrate what=\"database schema %d is newer than this build (%d)\"\n",
                             nVersion, kSchemaVersion);
            } else {
                LogSqlite("NcStoreSqlite::Migrate", m_pDb, "reading the schema version");
            }
            Rollback();
            return false;
        }
        if (nVersion == kSchemaVersion) return Exec("COMMIT", "NcStoreSqlite::Migrate");
        if (!Exec(kMigrations[nVersion], "NcStoreSqlite::Migrate")) {
            Rollback();
            return false;
        }
        CStatement record(m_pDb, "INSERT INTO schema_version (version) VALUES (?)");
        if (!record.Ok()) {
            Rollback();
            return false;
        }
        record.Int(1, nVersion + 1);
        if (record.Step() != SQLITE_DONE || !Exec("COMMIT", "NcStoreSqlite::Migrate")) {
            LogSqlite("NcStoreSqlite::Migrate", m_pDb, "recording the schema version");
            Rollback();
            return false;
        }
    }
}

int32_t CNcStoreSqlite::SchemaVersion() {
    std::lock_guard<std::mutex> guard(m_lock);
    CStatement query(m_pDb, "SELECT MAX(version) FROM schema_version");
    if (!query.Ok() || query.Step() != SQLITE_ROW) return -1;
    return static_cast<int32_t>(query.ColumnInt(0));
}

bool CNcStoreSqlite::InsertLocked(const NcReport& report, int64_t* pId) {
    CStatement insert(m_pDb,
                      "INSERT INTO reports (user_name, question_type, server_name, net_type, description,"
                      " check_content, client_addr, received_at, verdict) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    if (!insert.Ok()) return false;
    insert.Text(1, report.strUserName);
    insert.Text(2, report.strQuestionType);
    insert.Text(3, report.strServerName);
    insert.Text(4, report.strNetType);
    insert.Text(5, report.strDescription);
    insert.Text(6, report.strCheckContent);
    insert.Text(7, report.strClientAddr);
    insert.Int(8, report.nReceivedAt);
    insert.Int(9, report.nVerdict);
    if (insert.Step() != SQLITE_DONE) return false;
    const int64_t nId = sqlite3_last_insert_rowid(m_pDb);

    CStatement figures(m_pDb,
                       "INSERT INTO report_figures (report_id, seq, target, loss_pct, avg_ms, min_ms, max_ms,"
                       " jitter_ms, replies) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    if (!figures.Ok()) return false;
    int64_t nSeq = 0;
    for (const NcTargetFigures& f : report.vecFigures) {
        sqlite3_reset(figures.Get());
        figures.Int(1, nId);
        figures.Int(2, nSeq++);
        figures.Text(3, f.strTarget);
        figures.Int(4, f.nLoss);
        figures.Int(5, f.nAvgMs);
        figures.Int(6, f.nMinMs);
        figures.Int(7, f.nMaxMs);
        figures.Real(8, f.dJitterMs);
        figures.Int(9, f.nReplies);
        if (figures.Step() != SQLITE_DONE) return false;
    }
    *pId = nId;
    return true;
}

NcInsertOutcome CNcStoreSqlite::InsertReport(const NcReport& report, int64_t nNowSec, int64_t nWindowSec,
                                             int64_t* pId) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!Exec("BEGIN IMMEDIATE", "NcStoreSqlite::InsertReport")) return NcInsertOutcome::Failed;
    CStatement recent(m_pDb, "SELECT 1 FROM reports WHERE user_name = ? AND received_at > ? LIMIT 1");
    if (!recent.Ok()) {
        LogSqlite("NcStoreSqlite::InsertReport", m_pDb, "preparing the recent-report query");
        Rollback();
        return NcInsertOutcome::Failed;
    }
    recent.Text(1, report.strUserName);
    recent.Int(2, nNowSec - nWindowSec);
    const int nRecent = recent.Step();
    if (nRecent == SQLITE_ROW) {
        Rollback();
        return NcInsertOutcome::RecentAccount;
    }
    int64_t nId = 0;
    if (nRecent != SQLITE_DONE || !InsertLocked(report, &nId)) {
        LogSqlite("NcStoreSqlite::InsertReport", m_pDb, "storing a report");
        Rollback();
        return NcInsertOutcome::Failed;
    }
    if (!Exec("COMMIT", "NcStoreSqlite::InsertReport")) {
        Rollback();
        return NcInsertOutcome::Failed;
    }
    if (pId) *pId = nId;
    return NcInsertOutcome::Stored;
}

bool CNcStoreSqlite::ImportAccounts(const std::vector<std::string>& vecNames, size_t* pAdded) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!Exec("BEGIN IMMEDIATE", "NcStoreSqlite::ImportAccounts")) return false;
    CStatement insert(m_pDb, "INSERT OR IGNORE INTO accounts (name) VALUES (?)");
    size_t uAdded = 0;
    bool bOk = insert.Ok();
    for (size_t i = 0; bOk && i < vecNames.size(); ++i) {
        sqlite3_reset(insert.Get());
        insert.Text(1, vecNames[i]);
        bOk = insert.Step() == SQLITE_DONE;
        if (bOk) uAdded += static_cast<size_t>(sqlite3_changes(m_pDb));
    }
    if (!bOk || !Exec("COMMIT", "NcStoreSqlite::ImportAccounts")) {
        LogSqlite("NcStoreSqlite::ImportAccounts", m_pDb, "importing accounts");
        Rollback();
        return false;
    }
    if (pAdded) *pAdded = uAdded;
    return true;
}

int32_t CNcStoreSqlite::HasAccount(const std::string& strName) {
    std::lock_guard<std::mutex> guard(m_lock);
    CStatement query(m_pDb, "SELECT 1 FROM accounts WHERE name = ?");
    if (!query.Ok()) return -1;
    query.Text(1, strName);
    const int nStep = query.Step();
    if (nStep == SQLITE_ROW) return 1;
    return nStep == SQLITE_DONE ? 0 : -1;
}

bool CNcStoreSqlite::GetReport(int64_t nId, NcReport* pReport) {
    std::lock_guard<std::mutex> guard(m_lock);
    CStatement query(m_pDb,
                     "SELECT user_name, question_type, server_name, net_type, description, check_content,"
                     " client_addr, received_at, verdict FROM reports WHERE id = ?");
    if (!query.Ok()) return false;
    query.Int(1, nId);
    if (query.Step() != SQLITE_ROW) return false;
    NcReport report;
    report.strUserName = query.ColumnText(0);
    report.strQuestionType = query.ColumnText(1);
    report.strServerName = query.ColumnText(2);
    report.strNetType = query.ColumnText(3);
    report.strDescription = query.ColumnText(4);
    report.strCheckContent = query.ColumnText(5);
    report.strClientAddr = query.ColumnText(6);
    report.nReceivedAt = query.ColumnInt(7);
    report.nVerdict = static_cast<int32_t>(query.ColumnInt(8));

    CStatement figures(m_pDb,
                       "SELECT target, loss_pct, avg_ms, min_ms, max_ms, jitter_ms, replies FROM report_figures"
                       " WHERE report_id = ? ORDER BY seq");
    if (!figures.Ok()) return false;
    figures.Int(1, nId);
    int nStep;
    while ((nStep = figures.Step()) == SQLITE_ROW) {
        NcTargetFigures f;
        f.strTarget = figures.ColumnText(0);
        f.nLoss = static_cast<int32_t>(figures.ColumnInt(1));
        f.nAvgMs = static_cast<int32_t>(figures.ColumnInt(2));
        f.nMinMs = static_cast<int32_t>(figures.ColumnInt(3));
        f.nMaxMs = static_cast<int32_t>(figures.ColumnInt(4));
        f.dJitterMs = figures.ColumnReal(5);
        f.nReplies = static_cast<int32_t>(figures.ColumnInt(6));
        report.vecFigures.push_back(f);
    }
    if (nStep != SQLITE_DONE) return false;
    *pReport = std::move(report);
    return true;
}

int64_t CNcStoreSqlite::CountReports() {
    std::lock_guard<std::mutex> guard(m_lock);
    CStatement query(m_pDb, "SELECT COUNT(*) FROM reports");
    if (!query.Ok() || query.Step() != SQLITE_ROW) return -1;
    return query.ColumnInt(0);
}

bool CNcStoreSqlite::Ping() {
    std::lock_guard<std::mutex> guard(m_lock);
    CStatement query(m_pDb, "SELECT COUNT(*) FROM schema_version");
    return query.Ok() && query.Step() == SQLITE_ROW;
}

}  // namespace ncsqlite

using ncsqlite::CNcStoreSqlite;

std::unique_ptr<INcStore> NcOpenSqliteStore(const std::string& strPath, std::string* pError) {
    if (strPath.empty()) {
        if (pError) *pError = "sqlite: needs a file path";
        return nullptr;
    }
    sqlite3* pDb = nullptr;
    // FULLMUTEX is cheap insurance; the store serialises its own calls anyway.
    const int nFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(strPath.c_str(), &pDb, nFlags, nullptr) != SQLITE_OK) {
        if (pError) *pError = std::string("cannot open ") + strPath + ": " + (pDb ? sqlite3_errmsg(pDb) : "out of memory");
        sqlite3_close(pDb);
        return nullptr;
    }
    sqlite3_busy_timeout(pDb, kBusyTimeoutMs);
    // WAL: readers never wait for the writer. synchronous=FULL: a report acknowledged after COMMIT
    // survives a power cut, not only a crash of the process.
    const char* const kSetup = "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;";
    if (sqlite3_exec(pDb, kSetup, nullptr, nullptr, nullptr) != SQLITE_OK) {
        if (pError) *pError = std::string("cannot set up ") + strPath + ": " + sqlite3_errmsg(pDb);
        sqlite3_close(pDb);
        return nullptr;
    }
    return std::make_unique<CNcStoreSqlite>(pDb);
}
