// The PostgreSQL backend's connections: a small pool shared by the server's worker threads, and the few
// libpq calls every query goes through. Only NcStore_PgPool.cpp and NcStore_Postgres.cpp include libpq.
#pragma once

#include <libpq-fe.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct NcPgResultFree {
    void operator()(PGresult* pResult) const { PQclear(pResult); }
};
using NcPgResult = std::unique_ptr<PGresult, NcPgResultFree>;

// One structured line on stderr, like the rest of the server's log: level=LEVEL where=TAG what="…" and,
// when there is one, postgresql="…" with the server's or libpq's message on one line.
void NcPgLog(const char* szLevel, const char* szTag, const std::string& strWhat, const char* szDetail = nullptr);

// Runs one parameterised statement (text parameters, text results). A parameter is never interpolated
// into the SQL. vecParams entries that are null are sent as SQL NULL.
NcPgResult NcPgExec(PGconn* pConn, const char* szSql, const std::vector<const char*>& vecParams = {});

// True when the result is the expected kind (PGRES_COMMAND_OK or PGRES_TUPLES_OK); otherwise logs the
// server's message with szWhat as the tag and returns false.
bool NcPgOk(const NcPgResult& result, PGconn* pConn, const char* szWhat);

// Connections to one database, opened on demand up to nMax, reused, and handed to one thread at a time.
// A connection the database dropped (restart, outage) is reconnected when it is next used, so the server
// recovers by itself once the database is back.
class CNcPgPool {
public:
    CNcPgPool(std::string strConnInfo, size_t nMax);
    ~CNcPgPool();
    CNcPgPool(const CNcPgPool&) = delete;
    CNcPgPool& operator=(const CNcPgPool&) = delete;

    // Opens the first connection, so a wrong address or password shows at start. False with *pError set.
    bool Open(std::string* pError);

    // One connection for the caller's thread until the lease ends. Get() is null when the database
    // cannot be reached (logged).
    class CLease {
    public:
        explicit CLease(CNcPgPool& pool) : m_pool(pool), m_pConn(pool.Acquire()) {}
        ~CLease() { m_pool.Release(m_pConn); }
        CLease(const CLease&) = delete;
        CLease& operator=(const CLease&) = delete;
        PGconn* Get() const { return m_pConn; }

    private:
        CNcPgPool& m_pool;
        PGconn* m_pConn;
    };

    // The first statement of a unit of work (BEGIN, or a lone read). When it fails because the server
    // closed the connection while it sat idle in the pool, the connection is re-established and the
    // statement sent once more: nothing of the unit had reached the database, so the repeat is safe.
    // Never use it for a statement after the first.
    static NcPgResult ExecFirst(PGconn* pConn, const char* szSql, const std::vector<const char*>& vecParams = {});

private:
    PGconn* Acquire();
    void Release(PGconn* pConn);
    PGconn* Connect(std::string* pError);

    std::string m_strConnInfo;
    size_t m_nMax;
    size_t m_nOpen = 0;   // idle + leased
    std::vector<PGconn*> m_vecIdle;
    std::mutex m_lock;
    std::condition_variable m_cvIdle;
};
