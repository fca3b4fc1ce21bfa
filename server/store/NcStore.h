// Where ncserver keeps what it receives: reports with the figures read from them, the account table and
// the schema version. One small interface, two backends (SQLite file, PostgreSQL server), chosen by the
// connection string. Every statement is parameterised; texts are UTF-8 as they arrived.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Figures of one ping target, read from the command's output inside CheckContent.
struct NcTargetFigures {
    std::string strTarget;   // the address or name the command pinged
    int32_t nLoss = 100;     // percent
    int32_t nAvgMs = -1;     // -1 when no usable average
    int32_t nMinMs = -1;     // from the per-reply lines; -1 when there were none
    int32_t nMaxMs = -1;
    double dJitterMs = -1;   // mean absolute difference of consecutive reply times; -1 below two replies
    int32_t nReplies = 0;    // reply lines seen
};

// One report as the client sent it, plus what the server adds.
struct NcReport {
    std::string strUserName;
    std::string strQuestionType;
    std::string strServerName;
    std::string strNetType;
    std::string strDescription;
    std::string strCheckContent;          // as received ("@@@" joined)
    std::string strClientAddr;            // IPv4 text of the caller (after the trusted-proxy rule)
    int64_t nReceivedAt = 0;              // unix seconds, from the server's (injectable) clock
    std::vector<NcTargetFigures> vecFigures;
};

enum class NcInsertOutcome {
    Stored,           // committed; *pId holds the new report number
    RecentAccount,    // the same account has a report newer than the window: nothing stored
    Failed,           // database error (logged): nothing stored
};

class INcStore {
public:
    virtual ~INcStore() = default;

    // Applies the migrations this build knows, in order, each in its own transaction; safe to run from
    // several processes at once. False (logged) when the database is unusable or newer than this build.
    virtual bool Migrate() = 0;
    virtual int32_t SchemaVersion() = 0;   // -1 on error

    // In ONE transaction: refuses when the same account stored a report less than nWindowSec before
    // nNowSec (a report exactly nWindowSec old no longer counts), otherwise inserts the report and its figures. Holds across processes.
    virtual NcInsertOutcome InsertReport(const NcReport& report, int64_t nNowSec, int64_t nWindowSec,
                                         int64_t* pId) = 0;

    // The account table (used when the account policy is "table").
    virtual bool ImportAccounts(const std::vector<std::string>& vecNames, size_t* pAdded) = 0;
    virtual int32_t HasAccount(const std::string& strName) = 0;   // 1 yes, 0 no, -1 error

    // Reading back (tests, the support site later).
    virtual bool GetReport(int64_t nId, NcReport* pReport) = 0;
    virtual int64_t CountReports() = 0;   // -1 on error

    // True while the database answers (health check, recovery after an outage).
    virtual bool Ping() = 0;
};

// "sqlite:PATH" (WAL mode, created when missing) or "postgresql://…" / "postgres://…".
// Null with *pError set when the string is not understood or the database cannot be opened.
std::unique_ptr<INcStore> NcOpenStore(const std::string& strConnection, std::string* pError);
