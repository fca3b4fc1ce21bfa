// The server's lifecycle: the libmicrohttpd daemon with its limits, the read deadline, the graceful stop.
#include "server/NcServer_Impl.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

MHD_Result OnRequestThunk(void* pCls, MHD_Connection* pConn, const char* szUrl, const char* szMethod,
                          const char* /*szVersion*/, const char* pData, size_t* pSize, void** ppState) {
    return static_cast<CNcServerImpl*>(pCls)->OnRequest(pConn, szUrl, szMethod, pData, pSize, ppState);
}

void OnCompletedThunk(void* pCls, MHD_Connection* pConn, void** ppState, MHD_RequestTerminationCode toe) {
    NcRequestState* pState = static_cast<NcRequestState*>(*ppState);
    *ppState = nullptr;
    static_cast<CNcServerImpl*>(pCls)->OnCompleted(pConn, pState, toe);
}

void OnConnectionThunk(void* pCls, MHD_Connection* pConn, void** /*ppSocket*/, MHD_ConnectionNotificationCode code) {
    static_cast<CNcServerImpl*>(pCls)->OnConnection(pConn, code);
}

// Targets reach the handlers as received: names are decoded by our own rules, so that an escaped NUL or
// slash can be refused instead of silently cutting or splitting a name.
size_t KeepEscapes(void* /*pCls*/, MHD_Connection* /*pConn*/, char* sz) { return std::strlen(sz); }

void MhdLog(void* pCls, const char* szFormat, va_list args) {
    char buf[512];
    std::vsnprintf(buf, sizeof(buf), szFormat, args);
    size_t n = std::strlen(buf);
    while (n > 0 && (buf[n - 1] == '\n' || buf[n - 1] == '\r')) buf[--n] = '\0';
    for (size_t i = 0; i < n; ++i) {
        if (buf[i] == '"' || buf[i] == '\n' || buf[i] == '\r') buf[i] = '\'';
    }
    static_cast<CNcServerImpl*>(pCls)->Log(std::string("event=mhd what=\"") + buf + "\"");
}

}  // namespace

namespace {

NcSiteOptions SiteOptions(const NcServerConfig& config, const NcServerHooks& hooks, CNcServerImpl* pServer) {
    NcSiteOptions options;
    options.strDumpDir = config.strDumpDir;
    options.nFailDelayMs = config.nSignInDelayMs;
    options.fnNowSec = hooks.fnNowSec;
    options.fnLog = [pServer](const std::string& strLine) { pServer->Log(strLine); };
    return options;
}

}  // namespace

CNcServerImpl::CNcServerImpl(const NcServerConfig& config, INcStore& store, NcServerHooks hooks)
    : m_config(config), m_store(store), m_hooks(std::move(hooks)), m_site(store, SiteOptions(config, m_hooks, this)) {}

CNcServerImpl::~CNcServerImpl() { Stop(); }

void CNcServerImpl::Log(const std::string& strLine) {
    if (m_hooks.fnLog) {
        m_hooks.fnLog(strLine);
        return;
    }
    char stamp[32];
    const std::time_t t = std::time(nullptr);
    std::tm tmUtc;
    gmtime_r(&t, &tmUtc);
    std::strftime(stamp, sizeof(stamp), "%Y-%m-%dT%H:%M:%SZ", &tmUtc);
    std::fprintf(stderr, "time=%s %s\n", stamp, strLine.c_str());
}

int64_t CNcServerImpl::NowSec() const {
    if (m_hooks.fnNowSec) return m_hooks.fnNowSec();
    return static_cast<int64_t>(std::time(nullptr));
}

bool CNcServerImpl::Start(std::string* pError) {
    uint32_t uHost = 0;
    if (!NcParseIpv4(m_config.strListenHost, &uHost)) {
        *pError = "not an IPv4 address to listen on: " + m_config.strListenHost;
        return false;
    }
    sockaddr_in addr;
    std::memset(&addr, 0, sizeof(addr));
    addr.sin_family = AF_INET;
    addr.sin_port = htons(m_config.uPort);
    addr.sin_addr.s_addr = htonl(uHost);

    const unsigned int uFlags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_ITC | MHD_USE_ERROR_LOG;
    m_pDaemon = MHD_start_daemon(
        uFlags, 0, nullptr, nullptr, &OnRequestThunk, this,
        MHD_OPTION_EXTERNAL_LOGGER, &MhdLog, this,
        MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr*>(&addr),
        MHD_OPTION_THREAD_POOL_SIZE, static_cast<unsigned int>(m_config.uThreads),
        MHD_OPTION_CONNECTION_LIMIT, static_cast<unsigned int>(m_config.uMaxConnections),
        MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned int>(m_config.uIdleTimeoutSec),
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<size_t>(m_config.uHeaderMemoryBytes),
        MHD_OPTION_NOTIFY_COMPLETED, &OnCompletedThunk, this,
        MHD_OPTION_NOTIFY_CONNECTION, &OnConnectionThunk, this,
        MHD_OPTION_UNESCAPE_CALLBACK, &KeepEscapes, this,
        MHD_OPTION_END);
    if (!m_pDaemon) {
        *pError = "cannot listen on " + m_config.strListenHost + ":" + std::to_string(m_config.uPort);
        return false;
    }
    const MHD_DaemonInfo* pInfo = MHD_get_daemon_info(m_pDaemon, MHD_DAEMON_INFO_BIND_PORT);
    m_uPort = pInfo ? pInfo->port : m_config.uPort;
    m_bStopping = false;
    {
        std::lock_guard<std::mutex> guard(m_clockLock);
        m_bStopWatch = false;
    }
    m_watch = std::thread(&CNcServerImpl::WatchReads, this);
    Log("event=listening addr=" + m_config.strListenHost + ":" + std::to_string(m_uPort));
    return true;
}

void CNcServerImpl::Stop() {
    if (!m_pDaemon) return;
    Log("event=stopping");
    m_bStopping = true;
    // No new connections from here on. The listening socket is ours now. Connections the kernel has
    // already completed into its queue were made before the stop and are answered: they are taken and
    // handed to the daemon. Then the socket is shut, so that from that moment a client (or the balancer
    // in front) is refused instead of queueing on a server that will not answer. It is closed only
    // after the daemon has stopped, since one of its threads may still be looking at it.
    const MHD_socket nListen = MHD_quiesce_daemon(m_pDaemon);
    if (nListen != MHD_INVALID_SOCKET) {
        const int nQueued = HandOverQueued(nListen);
        if (shutdown(nListen, SHUT_RD) != 0) {
            Log("event=stopping what=\"cannot shut the listening socket\" errno=" + std::to_string(errno));
        }
        Log("event=drained queued=" + std::to_string(nQueued));
    }
    {
        // Done when no request is in flight, every connection has been answered, and none has bytes of
        // a next request waiting to be read (a keep-alive connection the client has just used again);
        // and still so 50 ms later with no request begun meanwhile, since a worker that has just read a
        // request off its socket has not begun it yet.
        const auto tDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(m_config.uShutdownGraceSec);
        std::unique_lock<std::mutex> lock(m_flightLock);
        auto quiet = [&] {
            if (m_nInFlight > 0 || m_nUnanswered > 0) return false;
            lock.unlock();
            const bool bArriving = AnyRequestArriving();
            lock.lock();
            return !bArriving && m_nInFlight == 0 && m_nUnanswered == 0;
        };
        for (;;) {
            const auto tNow = std::chrono::steady_clock::now();
            if (tNow >= tDeadline) break;
            if (!quiet()) {
                m_flightDone.wait_until(lock, std::min(tDeadline, tNow + std::chrono::milliseconds(20)));
                continue;
            }
            const uint64_t uBegun = m_uBegun;
            m_flightDone.wait_until(lock, std::min(tDeadline, tNow + std::chrono::milliseconds(50)),
                                    [&] { return m_uBegun != uBegun; });
            if (m_uBegun == uBegun && quiet()) break;
        }
        if (m_nInFlight > 0 || m_nUnanswered > 0) {
            Log("event=stopping what=\"still waiting after the grace\" requests=" + std::to_string(m_nInFlight) +
                " unanswered=" + std::to_string(m_nUnanswered));
        }
    }
    MHD_stop_daemon(m_pDaemon);
    m_pDaemon = nullptr;
    if (nListen != MHD_INVALID_SOCKET) close(nListen);
    {
        std::lock_guard<std::mutex> guard(m_flightLock);
        m_setHandedOver.clear();
        m_nUnanswered = 0;
    }
    {
        std::lock_guard<std::mutex> guard(m_clockLock);
        m_bStopWatch = true;
        m_mapClocks.clear();
    }
    m_wakeWatch.notify_all();
    if (m_watch.joinable()) m_watch.join();
    Log("event=stopped");
}

bool CNcServerImpl::AnyRequestArriving() {
    // Under the lock the connections' sockets stay open: a closing connection leaves the map first.
    std::lock_guard<std::mutex> guard(m_clockLock);
    for (const auto& entry : m_mapClocks) {
        int nBytes = 0;
        if (entry.second.nFd >= 0 && ioctl(entry.second.nFd, FIONREAD, &nBytes) == 0 && nBytes > 0) return true;
    }
    return false;
}

MHD_Result CNcServerImpl::QueueResponse(MHD_Connection* pConn, unsigned int uStatus, MHD_Response* pResponse) {
    if (m_bStopping) MHD_add_response_header(pResponse, MHD_HTTP_HEADER_CONNECTION, "close");
    return MHD_queue_response(pConn, uStatus, pResponse);
}

// Takes every connection waiting in the listen queue and hands it to the daemon, which answers it like
// one it accepted itself. Returns how many it took over.
int CNcServerImpl::HandOverQueued(MHD_socket nListen) {
    const int nFlags = fcntl(nListen, F_GETFL);
    if (nFlags < 0 || fcntl(nListen, F_SETFL, nFlags | O_NONBLOCK) != 0) {
        Log("event=stopping what=\"cannot read the listen queue\" errno=" + std::to_string(errno));
        return 0;
    }
    int nHanded = 0;
    for (;;) {
        sockaddr_storage peer;
        socklen_t uPeerLen = sizeof(peer);
        const int nFd = accept4(nListen, reinterpret_cast<sockaddr*>(&peer), &uPeerLen, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (nFd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                Log("event=stopping what=\"cannot take a queued connection\" errno=" + std::to_string(errno));
            }
            return nHanded;
        }
        // Counted before the daemon can see it: its thread may announce it, or even answer it, at once.
        {
            std::lock_guard<std::mutex> guard(m_flightLock);
            m_setHandedOver.insert(nFd);
            ++m_nUnanswered;
        }
        if (MHD_add_connection(m_pDaemon, nFd, reinterpret_cast<sockaddr*>(&peer), uPeerLen) == MHD_YES) {
            ++nHanded;
            continue;
        }
        // Refused (connection limit, memory); the daemon has closed the socket.
        const int nError = errno;
        {
            std::lock_guard<std::mutex> guard(m_flightLock);
            if (m_setHandedOver.erase(nFd) > 0) --m_nUnanswered;
        }
        Log("event=stopping what=\"a queued connection was refused\" errno=" + std::to_string(nError));
    }
}

void CNcServerImpl::OnConnection(MHD_Connection* pConn, MHD_ConnectionNotificationCode code) {
    int nFd = -1;
    bool bClosedUnanswered = false;
    {
        std::lock_guard<std::mutex> guard(m_clockLock);
        if (code == MHD_CONNECTION_NOTIFY_STARTED) {
            const MHD_ConnectionInfo* pInfo = MHD_get_connection_info(pConn, MHD_CONNECTION_INFO_CONNECTION_FD);
            ReadClock clock;
            clock.nFd = pInfo ? pInfo->connect_fd : -1;
            clock.tStart = std::chrono::steady_clock::now();
            m_mapClocks[pConn] = clock;
            nFd = clock.nFd;
        } else {
            // Called before libmicrohttpd closes the socket: the watch never touches a number reused since.
            auto it = m_mapClocks.find(pConn);
            if (it != m_mapClocks.end()) {
                bClosedUnanswered = !it->second.bAnswered;
                m_mapClocks.erase(it);
            }
        }
    }
    std::lock_guard<std::mutex> guard(m_flightLock);
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
        // One the stop handed over was counted then.
        if (m_setHandedOver.erase(nFd) == 0) ++m_nUnanswered;
    } else if (bClosedUnanswered) {
        --m_nUnanswered;
        m_flightDone.notify_all();
    }
}

void CNcServerImpl::MarkRequestRead(MHD_Connection* pConn) {
    std::lock_guard<std::mutex> guard(m_clockLock);
    auto it = m_mapClocks.find(pConn);
    if (it != m_mapClocks.end()) it->second.bRead = true;
}

bool CNcServerImpl::RestartReadClock(MHD_Connection* pConn) {
    std::lock_guard<std::mutex> guard(m_clockLock);
    auto it = m_mapClocks.find(pConn);
    if (it == m_mapClocks.end()) return false;
    it->second.bRead = false;
    it->second.tStart = std::chrono::steady_clock::now();
    const bool bFirst = !it->second.bAnswered;
    it->second.bAnswered = true;
    return bFirst;
}

void CNcServerImpl::WatchReads() {
    const auto limit = std::chrono::seconds(m_config.uRequestTimeoutSec);
    std::unique_lock<std::mutex> lock(m_clockLock);
    while (!m_bStopWatch) {
        m_wakeWatch.wait_for(lock, std::chrono::milliseconds(500));
        const auto now = std::chrono::steady_clock::now();
        for (auto& entry : m_mapClocks) {
            ReadClock& clock = entry.second;
            if (clock.bRead || clock.nFd < 0 || now - clock.tStart < limit) continue;
            // Shutting the socket down (not closing it) makes libmicrohttpd see the end of the stream
            // and close the connection itself, on its own thread.
            shutdown(clock.nFd, SHUT_RDWR);
            clock.nFd = -1;
            Log("event=read_timeout");
        }
    }
}

CNcServer::CNcServer(const NcServerConfig& config, INcStore& store, NcServerHooks hooks)
    : m_pImpl(std::make_unique<CNcServerImpl>(config, store, std::move(hooks))) {}

CNcServer::~CNcServer() = default;

bool CNcServer::Start(std::string* pError) { return m_pImpl->Start(pError); }

uint16_t CNcServer::Port() const { return m_pImpl->Port(); }

void CNcServer::Stop() { m_pImpl->Stop(); }
