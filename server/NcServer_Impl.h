// The server's insides, shared by its lifecycle (NcServer.cpp) and its request handlers
// (NcServer_Routes.cpp). libmicrohttpd is seen by these two files only.
#pragma once

#include "server/NcServer.h"
#include "server/NcServer_Files.h"
#include "server/site/NcSite.h"

#include <microhttpd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>

// What one request accumulates between the calls libmicrohttpd makes for it.
struct NcRequestState {
    enum class Kind { Report, Dump, Site, Immediate };

    std::chrono::steady_clock::time_point tStart = std::chrono::steady_clock::now();
    Kind kind = Kind::Immediate;
    std::string strMethod;
    std::string strTarget;     // as received, surrounding spaces trimmed
    std::string strPeer;       // the caller's address after the trusted-proxy rule
    std::string strBody;       // a report's body
    bool bOverLimit = false;
    CNcDumpWriter dump;
    std::string strDumpName;
    int nStatus = 0;           // what was answered; 0 when nothing was
    std::string strLogExtra;   // " ret=5 outcome=stored" and the like
};

class CNcServerImpl {
public:
    CNcServerImpl(const NcServerConfig& config, INcStore& store, NcServerHooks hooks);
    ~CNcServerImpl();

    bool Start(std::string* pError);
    void Stop();
    uint16_t Port() const { return m_uPort; }

    void Log(const std::string& strLine);
    int64_t NowSec() const;

    // NcServer_Routes.cpp
    MHD_Result OnRequest(MHD_Connection* pConn, const char* szUrl, const char* szMethod, const char* pData,
                         size_t* pSize, void** ppState);
    void OnCompleted(MHD_Connection* pConn, NcRequestState* pState, MHD_RequestTerminationCode toe);

    // The read deadline: a connection whose request has not arrived whole after RequestTimeoutSec is cut,
    // however slowly it trickles (libmicrohttpd's own time-out only sees idle connections).
    void OnConnection(MHD_Connection* pConn, MHD_ConnectionNotificationCode code);
    void MarkRequestRead(MHD_Connection* pConn);
    // After a request ended: the next one on the connection gets a fresh deadline. True the first time,
    // when the connection has answered its first request.
    bool RestartReadClock(MHD_Connection* pConn);

private:
    MHD_Result Answer(MHD_Connection* pConn, NcRequestState* pState, int nStatus, const std::string& strBody,
                      const char* szContentType);
    MHD_Result BeginRequest(MHD_Connection* pConn, NcRequestState* pState);
    MHD_Result FinishReport(MHD_Connection* pConn, NcRequestState* pState);
    MHD_Result FinishDump(MHD_Connection* pConn, NcRequestState* pState);
    MHD_Result ServeCatalogue(MHD_Connection* pConn, NcRequestState* pState);
    MHD_Result FinishSite(MHD_Connection* pConn, NcRequestState* pState);
    std::string ClientAddress(MHD_Connection* pConn) const;
    bool PeerIsTrustedProxy(MHD_Connection* pConn) const;
    void WatchReads();
    int HandOverQueued(MHD_socket nListen);
    bool AnyRequestArriving();
    // MHD_queue_response; once the stop has begun the answer also closes the connection, so that a
    // client (nginx's pool) sends nothing more on it.
    MHD_Result QueueResponse(MHD_Connection* pConn, unsigned int uStatus, MHD_Response* pResponse);

    NcServerConfig m_config;
    INcStore& m_store;
    NcServerHooks m_hooks;
    CNcSite m_site;
    MHD_Daemon* m_pDaemon = nullptr;
    std::atomic<bool> m_bStopping{false};
    uint16_t m_uPort = 0;

    struct ReadClock {
        int nFd = -1;
        std::chrono::steady_clock::time_point tStart;
        bool bRead = false;
        bool bAnswered = false;   // a request on it has been answered
    };
    std::mutex m_clockLock;
    std::unordered_map<MHD_Connection*, ReadClock> m_mapClocks;
    std::condition_variable m_wakeWatch;
    bool m_bStopWatch = false;
    std::thread m_watch;

    std::mutex m_flightLock;
    std::condition_variable m_flightDone;
    int m_nInFlight = 0;   // requests begun and not yet completed
    uint64_t m_uBegun = 0; // requests begun since the start
    // Open connections that have not answered a request yet: a stop waits for them as for requests in
    // flight, since their clients have sent, or are about to send, a request they expect answered.
    int m_nUnanswered = 0;
    // Sockets the stop took from the listen queue and handed to the daemon, not yet announced by it.
    std::unordered_set<int> m_setHandedOver;
    friend struct NcFlight;
};
