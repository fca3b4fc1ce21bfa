// Where ncserver keeps what it receives: reports with the figures read from them, the account table and
// the schema version. One small interface, two backends (SQLite file, PostgreSQL server), chosen by the
// connection string. Every statement is parameterised; texts are UTF-8 as they arrived.
#pragma once

#include <cstdint>
#include <climits>
#include <memory>
#include <string>
#include <utility>
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
    int32_t nVerdict = -1;                // 0 good, 1 common, 2 bad, -1 no verdict line in the content
    std::vector<NcTargetFigures> vecFigures;
};

// What the support site's report list may narrow by; empty texts and nVerdict -2 narrow nothing.
struct NcReportFilter {
    std::string strAccount;     // exact user name
    std::string strServer;      // exact server name
    std::string strGroup;       // exact question type
    std::string strCarrier;     // exact net type
    int32_t nVerdict = -2;      // -2 any, else the stored verdict (-1 none)
    int64_t nFrom = 0;          // received_at >= nFrom
    int64_t nTo = INT64_MAX;    // received_at < nTo
    std::string strText;        // substring of the description (exact bytes)
};

// One line of the report list.
struct NcReportRow {
    int64_t nId = 0;
    int64_t nReceivedAt = 0;
    std::string strUserName, strServerName, strQuestionType, strNetType, strClientAddr;
    std::string strDescription;   // the first 120 characters
    int32_t nVerdict = -1;
};

// One report of an analytics window with one of its targets (strTarget empty: the report had none).
struct NcFigureRow {
    int64_t nReportId = 0;
    int64_t nReceivedAt = 0;
    std::string strServerName, strQuestionType, strNetType, strTarget;
    int32_t nVerdict = -1;
    int32_t nLoss = 100;
    int32_t nAvgMs = -1;
    double dJitterMs = -1;
};

// Counts of the values of one integer figure (latency in ms, loss in percent): (value, how often),
// values ascending, counts positive. Percentiles read from it are the nearest-rank percentiles of the
// values themselves, so hours can be added up without losing anything.
using NcHistogram = std::vector<std::pair<int32_t, int64_t>>;

// What one rollup row is kept per. Every dimension but the whole hour is kept twice: per hour, for the
// partial days at a window's edges, and per UTC day (the same number + kNcRollupDayOffset), so a month
// reads 31 days of them instead of 744 hours.
enum NcRollupDim : int32_t {
    kNcRollupHour = 0,      // the whole hour
    kNcRollupServer = 1,    // strKey: server name
    kNcRollupGroup = 2,     // strKey: question type
    kNcRollupCarrier = 3,   // strKey: net type
    kNcRollupPair = 4,      // strKey: server name, strKey2: net type
    kNcRollupDayOffset = 10,
};

// One hour (or day) of the analytics, counted from the reports once it is over. For the hour and the
// pairs only the row with an empty strTarget exists (reports, bad ones, latency of every target);
// server, group and carrier have that row for the report counts plus one row per target (samples,
// latency, loss, jitter).
struct NcRollupRow {
    int64_t nStart = 0;   // unix seconds: the hour's start (a multiple of 3600), or the day's (of 86400)
    int32_t nDim = kNcRollupHour;
    std::string strKey, strKey2, strTarget;
    int64_t nReports = 0, nBad = 0;
    int64_t nSamples = 0;      // target rows
    double dJitterSum = 0;
    int64_t nJitter = 0;       // target rows with a jitter figure
    NcHistogram lat, loss;
};

// A signed-in support session.
struct NcStaffSession {
    std::string strName;
    std::string strCsrf;
    int64_t nExpiresAt = 0;
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

    // Support staff and their sessions. A name is added or its hash replaced; 1 found, 0 not, -1 error.
    virtual bool PutStaff(const std::string& strName, const std::string& strHash, int64_t nNowSec) = 0;
    virtual int32_t GetStaffHash(const std::string& strName, std::string* pHash) = 0;
    virtual bool CreateSession(const std::string& strToken, const NcStaffSession& session) = 0;
    // Only a session that has not expired at nNowSec is found.
    virtual int32_t GetSession(const std::string& strToken, int64_t nNowSec, NcStaffSession* pSession) = 0;
    virtual bool DeleteSession(const std::string& strToken) = 0;

    // The support site's reads. Newest first, nLimit rows from nOffset on.
    virtual bool ListReports(const NcReportFilter& filter, int64_t nOffset, int32_t nLimit,
                             std::vector<NcReportRow>* pRows) = 0;
    // Every report received in [nFrom, nTo) with its targets, at most nMaxRows rows; the rows of one
    // report come together, in target order, and reports roughly oldest first.
    virtual bool ListFigures(int64_t nFrom, int64_t nTo, size_t nMaxRows, std::vector<NcFigureRow>* pRows) = 0;

    // The analytics rollup. Reports carry the server's clock, so an hour that is over gets no more of
    // them: the rollup counts whole hours once they are over, and stays a mark behind the present
    // (done_until). Adds to *pRows the rows of one dimension whose hour or day starts in [nFrom, nTo), in
    // no particular order. False (logged) on a database error or a row that does not read back whole (a
    // damaged histogram): the caller then has to count from the reports themselves.
    virtual bool ListRollup(int32_t nDim, int64_t nFrom, int64_t nTo, std::vector<NcRollupRow>* pRows) = 0;
    // Counts the hours from the mark on, up to nUntil (a whole hour) but at most kNcRollupStepSec of
    // reports, in one transaction, and gives the new mark (INT64_MIN: nothing counted yet). Several
    // processes may call it at once: they take turns.
    virtual bool RollUp(int64_t nUntil, int64_t* pDoneUntil) = 0;
    // Forgets the rollup and counts it again up to nUntil from every stored report, in one transaction
    // (after reports were loaded or removed behind the server's back, or a row was damaged).
    virtual bool RebuildRollup(int64_t nUntil) = 0;

    // True while the database answers (health check, recovery after an outage).
    virtual bool Ping() = 0;
};

// "sqlite:PATH" (WAL mode, created when missing) or "postgresql://…" / "postgres://…".
// Null with *pError set when the string is not understood or the database cannot be opened.
std::unique_ptr<INcStore> NcOpenStore(const std::string& strConnection, std::string* pError);

// The WHERE clause of a report list (without the word WHERE; "1=1" when nothing narrows) over the
// reports table, with its parameters in order; placeholders are "?" or, with bDollar, "$1", "$2", ….
struct NcSqlParam {
    bool bInt = false;
    int64_t nValue = 0;
    std::string strValue;
};
std::string NcReportWhere(const NcReportFilter& filter, bool bDollar, std::vector<NcSqlParam>* pParams);
