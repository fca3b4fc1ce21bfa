// A one-connection-at-a-time HTTP stand-in on 127.0.0.1 for the upload tests: it records the bytes of
// each request and answers as scripted.
#pragma once

#include "common/NcTest_Socket.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LoopbackServer {
public:
    enum class Mode {
        Answer,      // read the whole request (headers and Content-Length bytes), send the reply, close
        Silent,      // read the request, then never answer until the client goes or the server stops
        CloseEarly,  // close as soon as the connection is accepted
    };

    explicit LoopbackServer(Mode eMode, std::string strReply = std::string(), size_t uChunkBytes = 0);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    uint16_t Port() const { return m_uPort; }
    // The bytes of every request received so far, one entry per connection.
    std::vector<std::string> Requests() const;
    // Whether a silent connection saw its client close (the client let go of its socket).
    bool SawClientClose() const { return m_bClientClosed.load(); }
    // Waits up to uMilliseconds for SawClientClose.
    bool WaitClientClose(uint32_t uMilliseconds) const;

    // A port on 127.0.0.1 where nothing listens (bound once and released).
    static uint16_t UnusedPort();

private:
    void Run();
    void Serve(NcSocket nConnection);

    Mode m_eMode;
    std::string m_strReply;
    size_t m_uChunkBytes;
    NcSocket m_nListen = kNoSocket;
    NcSocket m_aStop[2] = {kNoSocket, kNoSocket};  // a byte into [0] wakes every wait on [1]
    uint16_t m_uPort = 0;
    std::thread m_Thread;
    mutable std::mutex m_Mutex;
    std::vector<std::string> m_vecRequests;
    std::atomic<bool> m_bClientClosed{false};
};
