// The test sockets on Winsock and WSAPoll. Winsock is started on first use and stays started.
#include "common/NcTest_Socket.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>
#include <vector>

namespace {

void StartWinsock() {
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data{};
        ::WSAStartup(MAKEWORD(2, 2), &data);
    });
}

sockaddr_in Loopback(uint16_t uPort) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(uPort);
    return addr;
}

SOCKET NewSocket() {
    StartWinsock();
    return ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
}

NcSocket Wrap(SOCKET s) { return s == INVALID_SOCKET ? kNoSocket : static_cast<NcSocket>(s); }

}  // namespace

NcSocket NcListenLoopback(uint16_t& uPort, int nBacklog) {
    const SOCKET s = NewSocket();
    if (s == INVALID_SOCKET) return kNoSocket;
    sockaddr_in addr = Loopback(0);
    int len = sizeof(addr);
    if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || ::listen(s, nBacklog) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::closesocket(s);
        return kNoSocket;
    }
    uPort = ntohs(addr.sin_port);
    return Wrap(s);
}

NcSocket NcConnectLoopback(uint16_t uPort) {
    const SOCKET s = NewSocket();
    if (s == INVALID_SOCKET) return kNoSocket;
    const sockaddr_in addr = Loopback(uPort);
    if (::connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) != 0) {
        ::closesocket(s);
        return kNoSocket;
    }
    return Wrap(s);
}

NcSocket NcAccept(NcSocket nListen) { return Wrap(::accept(static_cast<SOCKET>(nListen), nullptr, nullptr)); }

int64_t NcReceive(NcSocket nSocket, char* pBuffer, size_t uSize) {
    const int nWant = static_cast<int>(uSize < (1u << 30) ? uSize : (1u << 30));
    return ::recv(static_cast<SOCKET>(nSocket), pBuffer, nWant, 0);
}

int64_t NcSend(NcSocket nSocket, const char* pData, size_t uLength) {
    const int nLen = static_cast<int>(uLength < (1u << 30) ? uLength : (1u << 30));
    return ::send(static_cast<SOCKET>(nSocket), pData, nLen, 0);
}

void NcSetNoDelay(NcSocket nSocket) {
    const BOOL bOne = TRUE;
    ::setsockopt(static_cast<SOCKET>(nSocket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&bOne),
                 sizeof(bOne));
}

void NcCloseSocket(NcSocket nSocket) {
    if (nSocket != kNoSocket) ::closesocket(static_cast<SOCKET>(nSocket));
}

int NcWaitReadable(const NcSocket* pSockets, size_t uCount, int nTimeoutMs) {
    std::vector<WSAPOLLFD> fds(uCount);
    for (size_t i = 0; i < uCount; ++i) fds[i] = {static_cast<SOCKET>(pSockets[i]), POLLRDNORM, 0};
    if (::WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), nTimeoutMs) <= 0) return -1;
    for (size_t i = 0; i < uCount; ++i) {
        if (fds[i].revents != 0) return static_cast<int>(i);
    }
    return -1;
}

// Windows has no socketpair: a listener on loopback, a connection to it, and the accepted end.
bool NcSocketPair(NcSocket aPair[2]) {
    uint16_t uPort = 0;
    const NcSocket nListen = NcListenLoopback(uPort, 1);
    if (nListen == kNoSocket) return false;
    aPair[0] = NcConnectLoopback(uPort);
    aPair[1] = aPair[0] == kNoSocket ? kNoSocket : NcAccept(nListen);
    NcCloseSocket(nListen);
    if (aPair[1] == kNoSocket) {
        NcCloseSocket(aPair[0]);
        aPair[0] = kNoSocket;
        return false;
    }
    return true;
}
