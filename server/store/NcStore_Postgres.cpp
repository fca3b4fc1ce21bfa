// The report store on PostgreSQL: migrations, the ten-minute rule across processes, reading back.
//
// Several ncserver processes may share the database, so everything that must not interleave is
// serialised by the database itself with transaction-level advisory locks: one lock for migrating, one
// per account (keyed by a hash of the name) for "check the account's last report, then insert". The lock
// ends with the transaction, so a crashed process never leaves one behind.
#include "server/store/NcStore_Postgres.h"

#include "server/store/NcStore_PostgresImpl.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Advisory lock key spaces (first half of the two-int key), kept apart from anything else in the database.
constexpr const char* kMigrateLock = "SELECT pg_advisory_xact_lock(1313013761, 0)";
constexpr const char* kAccountLock = "SELECT pg_advisory_xact_lock(1313013762, hashtext($1))";

// Each migration's statements, applied in one transaction; index + 1 is the schema version it brings.
// Never edit a published migration: add the next one.
const std::vector<std::vector<const char*>> kMigrations = {
    {
        "CREATE TABLE reports ("
        " id BIGSERIAL PRIMARY KEY,"
        " user_name TEXT NOT NULL,"
        " question_type TEXT NOT NULL,"
        " server_name TEXT NOT NULL,"
        " net_type TEXT NOT NULL,"
        " description TEXT NOT NULL,"
        " check_content TEXT NOT NULL,"
        " client_addr TEXT NOT NULL,"
        " received_at BIGINT NOT NULL)",
        "CREATE INDEX reports_user_time ON reports (user_name, received_at)",
        "CREATE TABLE report_figures ("
        " report_id BIGINT NOT NULL REFERENCES reports (id) ON DELETE CASCADE,"
        " seq INTEGER NOT NULL,"
        " target TEXT NOT NULL,"
        " loss_pct INTEGER NOT NULL,"
        " avg_ms INTEGER NOT NULL,"
        " min_ms INTEGER NOT NULL,"
        " max_ms INTEGER NOT NULL,"
        " jitter_ms DOUBLE PRECISION NOT NULL,"
        " replies INTEGER NOT NULL,"
        " PRIMARY KEY (report_id, seq))",
        "CREATE TABLE accounts (name TEXT PRIMARY KEY)",
    },
    {
        // The verdict line of each report, the support staff and their sessions, indexes for the site.
        "ALTER TABLE reports ADD COLUMN verdict INTEGER NOT NULL DEFAULT -1",
        "CREATE INDEX reports_time ON reports (received_at)",
        "CREATE INDEX reports_server ON reports (server_name, received_at)",
        "CREATE INDEX reports_carrier ON reports (net_type, received_at)",
        "CREATE TABLE staff (name TEXT PRIMARY KEY, pw_hash TEXT NOT NULL, created_at BIGINT NOT NULL)",
        "CREATE TABLE staff_sessions (token TEXT PRIMARY KEY, staff_name TEXT NOT NULL, csrf TEXT NOT NULL,"
        " expires_at BIGINT NOT NULL)",
    },
    {
        // A trigram index of the descriptions, so a search for a phrase does not read every report.
        // pg_trgm is a trusted extension: the database's owner may create it.
        "CREATE EXTENSION IF NOT EXISTS pg_trgm",
        "CREATE INDEX reports_description_trgm ON reports USING gin (description gin_trgm_ops)",
    },
    {
        // The first, hourly rollup of the analytics page (replaced by the next migration).
        "CREATE TABLE analytics_hours ("
        " hour BIGINT NOT NULL, dim INTEGER NOT NULL, key1 TEXT NOT NULL, key2 TEXT NOT NULL, target TEXT NOT NULL,"
        " reports BIGINT NOT NULL, bad BIGINT NOT NULL, samples BIGINT NOT NULL, jitter_sum DOUBLE PRECISION NOT NULL,"
        " jitter_n BIGINT NOT NULL, lat BYTEA NOT NULL, loss BYTEA NOT NULL,"
        " PRIMARY KEY (hour, dim, key1, key2, target))",
    },
    {
        // The hourly and daily rollup of the analytics page, counted from the stored reports up to
        // done_until (NcStore_PostgresRollup.cpp).
        "DROP TABLE IF EXISTS analytics_hours",
        "CREATE TABLE analytics_rollup_state (done_until BIGINT NOT NULL)",
        "INSERT INTO analytics_rollup_state (done_until) VALUES (-9223372036854775808)",
        "CREATE TABLE analytics_rollup ("
        " dim INTEGER NOT NULL, start_at BIGINT NOT NULL, key1 TEXT NOT NULL, key2 TEXT NOT NULL, target TEXT NOT NULL,"
        " reports BIGINT NOT NULL, bad BIGINT NOT NULL, samples BIGINT NOT NULL, jitter_sum DOUBLE PRECISION NOT NULL,"
        " jitter_n BIGINT NOT NULL, lat BYTEA NOT NULL, loss BYTEA NOT NULL,"
        " PRIMARY KEY (dim, start_at, key1, key2, target))",
    },
};

}  // namespace

namespace ncpg {

int CNcStorePostgres::MigrateOneStep(PGconn* pConn) {
    if (!NcPgOk(CNcPgPool::ExecFirst(pConn, "BEGIN"), pConn, "NcStorePostgres::Migrate") ||
        !NcPgOk(NcPgExec(pConn, kMigrateLock), pConn, "NcStorePostgres::Migrate") ||
        // Building an index over a large table may take longer than a request may.
        !NcPgOk(NcPgExec(pConn, "SET LOCAL statement_timeout = 0"), pConn, "NcStorePostgres::Migrate") ||
        !NcPgOk(NcPgExec(pConn, "CREATE TABLE IF NOT EXISTS schema_version ("
                                " version INTEGER PRIMARY KEY,"
                                " applied_at TIMESTAMPTZ NOT NULL DEFAULT now())"),
                pConn, "NcStorePostgres::Migrate"))
        return -1;
    NcPgResult current = NcPgExec(pConn, "SELECT COALESCE(MAX(version), 0) FROM schema_version");
    if (!NcPgOk(current, pConn, "NcStorePostgres::Migrate"))
        return -1;
    const int64_t nVersion = ToInt64(PQgetvalue(current.get(), 0, 0));
    const int64_t nKnown = static_cast<int64_t>(kMigrations.size());
    if (nVersion > nKnown) {
        NcPgLog("error", "NcStorePostgres::Migrate",
                "database schema " + std::to_string(nVersion) + " is newer than this build (" +
                    std::to_string(nKnown) + ")");
        return -1;
    }
    if (nVersion == nKnown)
        return NcPgOk(NcPgExec(pConn, "COMMIT"), pConn, "NcStorePostgres::Migrate") ? 0 : -1;
    for (const char* szStatement : kMigrations[static_cast<size_t>(nVersion)]) {
        if (!NcPgOk(NcPgExec(pConn, szStatement), pConn, "NcStorePostgres::Migrate"))
            return -1;
    }
    const std::string strNext = std::to_string(nVersion + 1);
    if (!NcPgOk(NcPgExec(pConn, "INSERT INTO schema_version (version) VALUES ($1)", {strNext.c_str()}), pConn,
                "NcStorePostgres::Migrate") ||
        !NcPgOk(NcPgExec(pConn, "COMMIT"), pConn, "NcStorePostgres::Migrate"))
        return -1;
    NcPgLog("info", "NcStorePostgres::Migrate", "schema version " + strNext + " applied");
    return 1;
}

bool CNcStorePostgres::Migrate() {
    CNcPgPool::CLease lease(m_pool);
    if (!lease.Get())
        return false;
    for (;;) {
        int nStep = MigrateOneStep(lease.Get());
        if (nStep <= 0)
            return nStep == 0;
    }
}

int32_t CNcStorePostgres::SchemaVersion() {
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    if (!pConn)
        return -1;
    NcPgResult exists = CNcPgPool::ExecFirst(pConn, "SELECT to_regclass('schema_version') IS NOT NULL");
    if (!NcPgOk(exists, pConn, "NcStorePostgres::SchemaVersion"))
        return -1;
    if (PQgetvalue(exists.get(), 0, 0)[0] != 't')
        return 0;
    NcPgResult version = NcPgExec(pConn, "SELECT COALESCE(MAX(version), 0) FROM schema_version");
    if (!NcPgOk(version, pConn, "NcStorePostgres::SchemaVersion"))
        return -1;
    return static_cast<int32_t>(ToInt64(PQgetvalue(version.get(), 0, 0)));
}

NcInsertOutcome CNcStorePostgres::InsertReport(const NcReport& report, int64_t nNowSec, int64_t nWindowSec,
                                               int64_t* pId) {
    const char* kTag = "NcStorePostgres::InsertReport";
    for (const std::string* pField : {&report.strUserName, &report.strQuestionType, &report.strServerName,
                                      &report.strNetType, &report.strDescription, &report.strCheckContent,
                                      &report.strClientAddr}) {
        if (HasNul(*pField)) {
            NcPgLog("error", kTag, "a field holds a NUL byte; refused");
            return NcInsertOutcome::Failed;
        }
    }
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    if (!pConn)
        return NcInsertOutcome::Failed;
    if (!NcPgOk(CNcPgPool::ExecFirst(pConn, "BEGIN"), pConn, kTag) ||
        !NcPgOk(NcPgExec(pConn, kAccountLock, {report.strUserName.c_str()}), pConn, kTag))
        return NcInsertOutcome::Failed;

    // Under the account's lock, so a second process inserting for the same account waits here and then
    // sees this transaction's row.
    const std::string strSince = std::to_string(nNowSec - nWindowSec);
    NcPgResult recent = NcPgExec(pConn, "SELECT 1 FROM reports WHERE user_name = $1 AND received_at > $2 LIMIT 1",
                                 {report.strUserName.c_str(), strSince.c_str()});
    if (!NcPgOk(recent, pConn, kTag))
        return NcInsertOutcome::Failed;
    if (PQntuples(recent.get()) > 0) {
        NcPgExec(pConn, "ROLLBACK");
        return NcInsertOutcome::RecentAccount;
    }

    const std::string strReceived = std::to_string(report.nReceivedAt);
    const std::string strVerdict = std::to_string(report.nVerdict);
    NcPgResult inserted = NcPgExec(
        pConn,
        "INSERT INTO reports (user_name, question_type, server_name, net_type, description, check_content,"
        " client_addr, received_at, verdict) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9) RETURNING id",
        {report.strUserName.c_str(), report.strQuestionType.c_str(), report.strServerName.c_str(),
         report.strNetType.c_str(), report.strDescription.c_str(), report.strCheckContent.c_str(),
         report.strClientAddr.c_str(), strReceived.c_str(), strVerdict.c_str()});
    if (!NcPgOk(inserted, pConn, kTag) || PQntuples(inserted.get()) != 1)
        return NcInsertOutcome::Failed;
    const std::string strId = PQgetvalue(inserted.get(), 0, 0);

    for (size_t i = 0; i < report.vecFigures.size(); ++i) {
        const NcTargetFigures& fig = report.vecFigures[i];
        if (HasNul(fig.strTarget)) {
            NcPgLog("error", kTag, "a target name holds a NUL byte; refused");
            return NcInsertOutcome::Failed;
        }
        char szJitter[40];
        std::snprintf(szJitter, sizeof(szJitter), "%.17g", std::isfinite(fig.dJitterMs) ? fig.dJitterMs : -1.0);
        const std::string aNumbers[] = {std::to_string(i),          std::to_string(fig.nLoss),
                                        std::to_string(fig.nAvgMs), std::to_string(fig.nMinMs),
                                        std::to_string(fig.nMaxMs), std::to_string(fig.nReplies)};
        if (!NcPgOk(NcPgExec(pConn,
                             "INSERT INTO report_figures (report_id, seq, target, loss_pct, avg_ms, min_ms, max_ms,"
                             " jitter_ms, replies) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9)",
                             {strId.c_str(), aNumbers[0].c_str(), fig.strTarget.c_str(), aNumbers[1].c_str(),
                              aNumbers[2].c_str(), aNumbers[3].c_str(), aNumbers[4].c_str(), szJitter,
                              aNumbers[5].c_str()}),
                    pConn, kTag))
            return NcInsertOutcome::Failed;
    }
    // The report counts only once COMMIT came back: a lost connection here means "not acknowledged".
    if (!NcPgOk(NcPgExec(pConn, "COMMIT"), pConn, kTag))
        return NcInsertOutcome::Failed;
    if (pId)
        *pId = ToInt64(strId.c_str());
    return NcInsertOutcome::Stored;
}

bool CNcStorePostgres::ImportAccounts(const std::vector<std::string>& vecNames, size_t* pAdded) {
    const char* kTag = "NcStorePostgres::ImportAccounts";
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    if (!pConn || !NcPgOk(CNcPgPool::ExecFirst(pConn, "BEGIN"), pConn, kTag))
        return false;
    size_t nAdded = 0;
    for (const std::string& strName : vecNames) {
        if (HasNul(strName)) {
            NcPgLog("error", kTag, "an account name holds a NUL byte; nothing imported");
            return false;
        }
        NcPgResult result =
            NcPgExec(pConn, "INSERT INTO accounts (name) VALUES ($1) ON CONFLICT DO NOTHING", {strName.c_str()});
        if (!NcPgOk(result, pConn, kTag))
            return false;
        nAdded += static_cast<size_t>(ToInt64(PQcmdTuples(result.get())));
    }
    if (!NcPgOk(NcPgExec(pConn, "COMMIT"), pConn, kTag))
        return false;
    if (pAdded)
        *pAdded = nAdded;
    return true;
}

int32_t CNcStorePostgres::HasAccount(const std::string& strName) {
    if (HasNul(strName))
        return 0;   // no stored name can hold one
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    if (!pConn)
        return -1;
    NcPgResult result = CNcPgPool::ExecFirst(pConn, "SELECT 1 FROM accounts WHERE name = $1", {strName.c_str()});
    if (!NcPgOk(result, pConn, "NcStorePostgres::HasAccount"))
        return -1;
    return PQntuples(result.get()) > 0 ? 1 : 0;
}

bool CNcStorePostgres::GetReport(int64_t nId, NcReport* pReport) {
    const char* kTag = "NcStorePostgres::GetReport";
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    if (!pConn || !pReport)
        return false;
    const std::string strId = std::to_string(nId);
    // One snapshot for the row and its figures.
    if (!NcPgOk(CNcPgPool::ExecFirst(pConn, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"), pConn, kTag))
        return false;
    NcPgResult row = NcPgExec(pConn,
                              "SELECT user_name, question_type, server_name, net_type, description, check_content,"
                              " client_addr, received_at, verdict FROM reports WHERE id = $1",
                              {strId.c_str()});
    if (!NcPgOk(row, pConn, kTag) || PQntuples(row.get()) != 1)
        return false;
    NcPgResult figs = NcPgExec(pConn,
                               "SELECT target, loss_pct, avg_ms, min_ms, max_ms, jitter_ms, replies FROM report_figures"
                               " WHERE report_id = $1 ORDER BY seq",
                               {strId.c_str()});
    if (!NcPgOk(figs, pConn, kTag))
        return false;
    NcPgExec(pConn, "COMMIT");

    PGresult* r = row.get();
    NcReport out;
    out.strUserName = PQgetvalue(r, 0, 0);
    out.strQuestionType = PQgetvalue(r, 0, 1);
    out.strServerName = PQgetvalue(r, 0, 2);
    out.strNetType = PQgetvalue(r, 0, 3);
    out.strDescription = PQgetvalue(r, 0, 4);
    out.strCheckContent = PQgetvalue(r, 0, 5);
    out.strClientAddr = PQgetvalue(r, 0, 6);
    out.nReceivedAt = ToInt64(PQgetvalue(r, 0, 7));
    out.nVerdict = static_cast<int32_t>(ToInt64(PQgetvalue(r, 0, 8)));
    PGresult* f = figs.get();
    for (int i = 0; i < PQntuples(f); ++i) {
        NcTargetFigures fig;
        fig.strTarget = PQgetvalue(f, i, 0);
        fig.nLoss = static_cast<int32_t>(ToInt64(PQgetvalue(f, i, 1)));
        fig.nAvgMs = static_cast<int32_t>(ToInt64(PQgetvalue(f, i, 2)));
        fig.nMinMs = static_cast<int32_t>(ToInt64(PQgetvalue(f, i, 3)));
        fig.nMaxMs = static_cast<int32_t>(ToInt64(PQgetvalue(f, i, 4)));
        fig.dJitterMs = std::strtod(PQgetvalue(f, i, 5), nullptr);
        fig.nReplies = static_cast<int32_t>(ToInt64(PQgetvalue(f, i, 6)));
        out.vecFigures.push_back(fig);
    }
    *pReport = std::move(out);
    return true;
}

int64_t CNcStorePostgres::CountReports() {
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    if (!pConn)
        return -1;
    NcPgResult result = CNcPgPool::ExecFirst(pConn, "SELECT COUNT(*) FROM reports");
    if (!NcPgOk(result, pConn, "NcStorePostgres::CountReports"))
        return -1;
    return ToInt64(PQgetvalue(result.get(), 0, 0));
}

bool CNcStorePostgres::Ping() {
    CNcPgPool::CLease lease(m_pool);
    PGconn* pConn = lease.Get();
    return pConn && NcPgOk(CNcPgPool::ExecFirst(pConn, "SELECT 1"), pConn, "NcStorePostgres::Ping");
}

}  // namespace ncpg

using ncpg::CNcStorePostgres;

std::unique_ptr<INcStore> NcOpenPostgresStore(const std::string& strUrl, std::string* pError) {
    auto pStore = std::make_unique<CNcStorePostgres>(strUrl);
    std::string strError;
    if (!pStore->Open(&strError)) {
        while (!strError.empty() && (strError.back() == '\n' || strError.back() == ' '))
            strError.pop_back();
        NcPgLog("error", "NcOpenPostgresStore", "cannot connect", strError.c_str());
        if (pError)
            *pError = strError;
        return nullptr;
    }
    return pStore;
}
