// The loopback stand-in for the report server, on BSD sockets with poll.
#include "common/NcTest_LoopbackServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

int ListenOnLoopback(uint16_t& uPort) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof(addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || ::listen(fd, 4) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        return -1;
    }
    uPort = ntohs(addr.sin_port);
    return fd;
}

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
    m_nListen = ListenOnLoopback(m_uPort);
    if (::pipe2(m_nStopPipe, O_CLOEXEC) != 0) m_nStopPipe[0] = m_nStopPipe[1] = -1;
    if (m_nListen >= 0) m_Thread = std::thread(&LoopbackServer::Run, this);
}

LoopbackServer::~LoopbackServer() {
    if (m_nStopPipe[1] >= 0) {
        const char c = 'x';
        ssize_t n = ::write(m_nStopPipe[1], &c, 1);
        (void)n;
    }
    if (m_Thread.joinable()) m_Thread.join();
    if (m_nListen >= 0) ::close(m_nListen);
    for (int fd : m_nStopPipe) {
        if (fd >= 0) ::close(fd);
    }
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
    const int fd = ListenOnLoopback(uPort);
    if (fd >= 0) ::close(fd);
    return uPort;
}

void LoopbackServer::Run() {
    for (;;) {
        pollfd fds[2] = {{m_nListen, POLLIN, 0}, {m_nStopPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents != 0) return;
        const int nConn = ::accept4(m_nListen, nullptr, nullptr, SOCK_CLOEXEC);
        if (nConn < 0) continue;
        Serve(nConn);
        ::close(nConn);
    }
}

void LoopbackServer::Serve(int nConn) {
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
        pollfd fds[2] = {{nConn, POLLIN, 0}, {m_nStopPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents != 0) {
            bStopped = true;
            break;
        }
        const ssize_t n = ::recv(nConn, buf, sizeof(buf), 0);
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
    const int nOne = 1;
    ::setsockopt(nConn, IPPROTO_TCP, TCP_NODELAY, &nOne, sizeof(nOne));
    const size_t uChunk = m_uChunkBytes == 0 ? m_strReply.size() : m_uChunkBytes;
    for (size_t uOff = 0; uOff < m_strReply.size(); uOff += uChunk) {
        const size_t uLen = std::min(uChunk, m_strReply.size() - uOff);
        if (::send(nConn, m_strReply.data() + uOff, uLen, MSG_NOSIGNAL) != static_cast<ssize_t>(uLen)) break;
        if (m_uChunkBytes != 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}
