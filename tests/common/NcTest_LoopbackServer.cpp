// The loopback stand-in for the report server; its thread waits on the connection and a stop socket.
#include "common/NcTest_LoopbackServer.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

// True when the request is complete: headers ended by an empty line and the announced body read.
bool RequestComplete(const std::string& strData) {
    // The program ends its headers with a bare LF pair; libcurl with CRLF pairs.
    size_t uHeadEnd = strData.find("\n\n");
    size_t uSeparator = 2;
    const size_t uCrLf = strData.find("\r\n\r\n");
    if (uCrLf != std::string::npos && (uHeadEnd == std::string::npos || uCrLf < uHeadEnd)) {
        uHeadEnd = uCrLf;
        uSeparator = 4;
    }
    if (uHeadEnd == std::string::npos) return false;
    const size_t uLen = strData.find("Content-Length: ");
    const size_t uBody = std::strtoul(uLen == std::string::npos ? "0" : strData.c_str() + uLen + 16, nullptr, 10);
    return strData.size() >= uHeadEnd + uSeparator + uBody;
}

}  // namespace

LoopbackServer::LoopbackServer(Mode eMode, std::string strReply, size_t uChunkBytes)
    : m_eMode(eMode), m_strReply(std::move(strReply)), m_uChunkBytes(uChunkBytes) {
    m_nListen = NcListenLoopback(m_uPort);
    if (m_nListen != kNoSocket && NcSocketPair(m_aStop)) m_Thread = std::thread(&LoopbackServer::Run, this);
}

LoopbackServer::~LoopbackServer() {
    if (m_aStop[0] != kNoSocket) NcSend(m_aStop[0], "x", 1);
    if (m_Thread.joinable()) m_Thread.join();
    NcCloseSocket(m_nListen);
    for (NcSocket s : m_aStop) NcCloseSocket(s);
}

std::vector<std::string> LoopbackServer::Requests() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_vecRequests;
}

bool LoopbackServer::WaitClientClose(uint32_t uMilliseconds) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(uMilliseconds);
    while (!m_bClientClosed.load()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

uint16_t LoopbackServer::UnusedPort() {
    uint16_t uPort = 0;
    NcCloseSocket(NcListenLoopback(uPort));
    return uPort;
}

void LoopbackServer::Run() {
    for (;;) {
        const NcSocket aWait[2] = {m_nListen, m_aStop[1]};
        const int nReady = NcWaitReadable(aWait, 2, -1);
        if (nReady == 1) return;
        if (nReady != 0) continue;
        const NcSocket nConn = NcAccept(m_nListen);
        if (nConn == kNoSocket) continue;
        Serve(nConn);
        NcCloseSocket(nConn);
    }
}

void LoopbackServer::Serve(NcSocket nConn) {
    if (m_eMode == Mode::CloseEarly) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_vecRequests.emplace_back();
        return;
    }
    std::string strData;
    char buf[4096];
    bool bStopped = false;
    for (;;) {
        if (m_eMode == Mode::Answer && RequestComplete(strData)) break;
        const NcSocket aWait[2] = {nConn, m_aStop[1]};
        const int nReady = NcWaitReadable(aWait, 2, -1);
        if (nReady == 1) {
            bStopped = true;
            break;
        }
        if (nReady != 0) continue;
        const int64_t n = NcReceive(nConn, buf, sizeof(buf));
        if (n <= 0) {
            m_bClientClosed.store(true);
            break;
        }
        strData.append(buf, static_cast<size_t>(n));
    }
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_vecRequests.push_back(strData);
    }
    if (m_eMode != Mode::Answer || bStopped) return;
    NcSetNoDelay(nConn);
    const size_t uChunk = m_uChunkBytes == 0 ? m_strReply.size() : m_uChunkBytes;
    for (size_t uOff = 0; uOff < m_strReply.size(); uOff += uChunk) {
        const size_t uLen = std::min(uChunk, m_strReply.size() - uOff);
        if (NcSend(nConn, m_strReply.data() + uOff, uLen) != static_cast<int64_t>(uLen)) break;
        if (m_uChunkBytes != 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}
