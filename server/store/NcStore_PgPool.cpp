// The PostgreSQL connection pool and statement helpers.
#include "server/store/NcStore_PgPool.h"

#include <cstdio>
#include <utility>

namespace {

// Without this libpq prints the server's notices ("relation already exists, skipping") on stderr.
void IgnoreNotice(void*, const char*) {}

bool IsBroken(PGconn* pConn) { return PQstatus(pConn) != CONNECTION_OK; }

// A message on one line, its double quotes turned single, so a log reader can split the fields. Messages
// may quote what a client sent: control bytes become spaces, so they cannot forge lines or steer a terminal.
std::string OneLine(const char* szText) {
    std::string out = szText ? szText : "";
    for (char& c : out) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            c = ' ';
        else if (c == '"')
            c = '\'';
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

}  // namespace

void NcPgLog(const char* szLevel, const char* szTag, const std::string& strWhat, const char* szDetail) {
    if (szDetail)
        std::fprintf(stderr, "level=%s where=%s what=\"%s\" postgresql=\"%s\"\n", szLevel, szTag,
                     OneLine(strWhat.c_str()).c_str(), OneLine(szDetail).c_str());
    else
        std::fprintf(stderr, "level=%s where=%s what=\"%s\"\n", szLevel, szTag, OneLine(strWhat.c_str()).c_str());
}

NcPgResult NcPgExec(PGconn* pConn, const char* szSql, const std::vector<const char*>& vecParams) {
    return NcPgResult(PQexecParams(pConn, szSql, static_cast<int>(vecParams.size()), nullptr,
                                   vecParams.empty() ? nullptr : vecParams.data(), nullptr, nullptr, 0));
}

bool NcPgOk(const NcPgResult& result, PGconn* pConn, const char* szWhat) {
    ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        return true;
    const char* szMessage = result ? PQresultErrorMessage(result.get()) : "";
    if (!szMessage || !*szMessage)
        szMessage = PQerrorMessage(pConn);
    NcPgLog("error", szWhat, "statement failed", szMessage);
    return false;
}

CNcPgPool::CNcPgPool(std::string strConnInfo, size_t nMax)
    : m_strConnInfo(std::move(strConnInfo)), m_nMax(nMax ? nMax : 1) {}

CNcPgPool::~CNcPgPool() {
    // Every lease has ended by now: the store outlives the requests that use it.
    for (PGconn* pConn : m_vecIdle)
        PQfinish(pConn);
}

PGconn* CNcPgPool::Connect(std::string* pError) {
    // Defaults first, the caller's string next (its settings win), then what the store relies on: texts
    // travel as UTF-8 whatever the server's or the environment's default is. The time limits keep a
    // worker thread from waiting forever on a database that hangs or a network that drops packets.
    const char* aKeys[] = {"connect_timeout", "application_name", "options", "keepalives_idle",
                           "tcp_user_timeout", "dbname", "client_encoding", nullptr};
    const char* aValues[] = {"5", "ncserver", "-c statement_timeout=30000 -c idle_in_transaction_session_timeout=60000",
                             "30", "30000", m_strConnInfo.c_str(), "UTF8", nullptr};
    PGconn* pConn = PQconnectdbParams(aKeys, aValues, 1);
    if (!pConn) {
        if (pError)
            *pError = "out of memory";
        return nullptr;
    }
    if (IsBroken(pConn)) {
        if (pError)
            *pError = PQerrorMessage(pConn);
        PQfinish(pConn);
        return nullptr;
    }
    PQsetNoticeProcessor(pConn, IgnoreNotice, nullptr);
    return pConn;
}

bool CNcPgPool::Open(std::string* pError) {
    PGconn* pConn = Connect(pError);
    if (!pConn)
        return false;
    std::lock_guard<std::mutex> guard(m_lock);
    ++m_nOpen;
    m_vecIdle.push_back(pConn);
    return true;
}

PGconn* CNcPgPool::Acquire() {
    std::unique_lock<std::mutex> guard(m_lock);
    m_cvIdle.wait(guard, [this] { return !m_vecIdle.empty() || m_nOpen < m_nMax; });
    if (!m_vecIdle.empty()) {
        PGconn* pConn = m_vecIdle.back();
        m_vecIdle.pop_back();
        guard.unlock();
        // Known dead (an earlier statement saw it go): reconnect before anything is sent.
        if (IsBroken(pConn))
            PQreset(pConn);
        if (IsBroken(pConn)) {
            NcPgLog("error", "CNcPgPool::Acquire", "database unreachable", PQerrorMessage(pConn));
            Release(pConn);
            return nullptr;
        }
        return pConn;
    }
    ++m_nOpen;   // reserve the slot, connect without holding the lock
    guard.unlock();
    std::string strError;
    PGconn* pConn = Connect(&strError);
    if (!pConn) {
        NcPgLog("error", "CNcPgPool::Acquire", "database unreachable", strError.c_str());
        std::lock_guard<std::mutex> relock(m_lock);
        --m_nOpen;
        m_cvIdle.notify_one();
    }
    return pConn;
}

void CNcPgPool::Release(PGconn* pConn) {
    if (!pConn)
        return;
    // A unit of work that failed half-way leaves its transaction open; end it so the next user starts clean.
    if (!IsBroken(pConn) && PQtransactionStatus(pConn) != PQTRANS_IDLE)
        NcPgExec(pConn, "ROLLBACK");
    std::lock_guard<std::mutex> guard(m_lock);
    m_vecIdle.push_back(pConn);
    m_cvIdle.notify_one();
}

NcPgResult CNcPgPool::ExecFirst(PGconn* pConn, const char* szSql, const std::vector<const char*>& vecParams) {
    NcPgResult result = NcPgExec(pConn, szSql, vecParams);
    ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if ((status == PGRES_FATAL_ERROR || status == PGRES_BAD_RESPONSE) && IsBroken(pConn)) {
        PQreset(pConn);
        if (!IsBroken(pConn))
            result = NcPgExec(pConn, szSql, vecParams);
    }
    return result;
}
