// The test sockets on BSD sockets and poll.
#include "common/NcTest_Socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

sockaddr_in Loopback(uint16_t uPort) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(uPort);
    return addr;
}

}  // namespace

NcSocket NcListenLoopback(uint16_t& uPort, int nBacklog) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return kNoSocket;
    sockaddr_in addr = Loopback(0);
    socklen_t len = sizeof(addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || ::listen(fd, nBacklog) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        return kNoSocket;
    }
    uPort = ntohs(addr.sin_port);
    return fd;
}

NcSocket NcConnectLoopback(uint16_t uPort) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return kNoSocket;
    const sockaddr_in addr = Loopback(uPort);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) != 0) {
        ::close(fd);
        return kNoSocket;
    }
    return fd;
}

NcSocket NcAccept(NcSocket nListen) {
    const int fd = ::accept4(static_cast<int>(nListen), nullptr, nullptr, SOCK_CLOEXEC);
    return fd < 0 ? kNoSocket : fd;
}

int64_t NcReceive(NcSocket nSocket, char* pBuffer, size_t uSize) {
    for (;;) {
        const ssize_t n = ::recv(static_cast<int>(nSocket), pBuffer, uSize, 0);
        if (n >= 0 || errno != EINTR) return n;
    }
}

int64_t NcSend(NcSocket nSocket, const char* pData, size_t uLength) {
    return ::send(static_cast<int>(nSocket), pData, uLength, MSG_NOSIGNAL);
}

void NcSetNoDelay(NcSocket nSocket) {
    const int nOne = 1;
    ::setsockopt(static_cast<int>(nSocket), IPPROTO_TCP, TCP_NODELAY, &nOne, sizeof(nOne));
}

void NcCloseSocket(NcSocket nSocket) {
    if (nSocket != kNoSocket) ::close(static_cast<int>(nSocket));
}

int NcWaitReadable(const NcSocket* pSockets, size_t uCount, int nTimeoutMs) {
    std::vector<pollfd> fds(uCount);
    for (size_t i = 0; i < uCount; ++i) fds[i] = {static_cast<int>(pSockets[i]), POLLIN, 0};
    int rc;
    do {
        rc = ::poll(fds.data(), fds.size(), nTimeoutMs);
    } while (rc < 0 && errno == EINTR);
    if (rc <= 0) return -1;
    for (size_t i = 0; i < uCount; ++i) {
        if (fds[i].revents != 0) return static_cast<int>(i);
    }
    return -1;
}

bool NcSocketPair(NcSocket aPair[2]) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return false;
    aPair[0] = fds[0];
    aPair[1] = fds[1];
    return true;
}
