// Winsock: start-up for version 2.2, inet_addr's rules, getaddrinfo and WSAGetLastError.
#include "KX_Platform/KXPlatform_Sockets.h"

#include "KXPlatform_Win32.h"

namespace KXPlatform {

namespace {
thread_local int t_nLastError = 0;
}

int StartupSockets() {
    WSADATA data{};
    return ::WSAStartup(MAKEWORD(2, 2), &data);
}

void CleanupSockets() { ::WSACleanup(); }

int GetLastSocketError() { return t_nLastError; }

bool ParseIPv4(const char* szText, uint32_t& uAddress) {
    if (!szText) return false;
    const unsigned long a = ::inet_addr(szText);
    if (a == INADDR_NONE) return false;
    uAddress = static_cast<uint32_t>(a);
    return true;
}

std::string FormatIPv4(uint32_t uAddress) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(&uAddress);
    return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
           std::to_string(b[3]);
}

// The ANSI resolver takes the host name in the system's code page, which is the program's GBK. An empty
// name is refused as on POSIX: Windows would answer it with the machine's own addresses.
bool ResolveHostIPv4(const char* szHost, uint32_t& uAddress) {
    if (!szHost || !*szHost) {
        t_nLastError = WSAHOST_NOT_FOUND;
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* pList = nullptr;
    const int rc = ::getaddrinfo(szHost ? szHost : "", nullptr, &hints, &pList);
    if (rc != 0 || !pList) {
        t_nLastError = rc != 0 ? rc : WSAHOST_NOT_FOUND;
        if (pList) ::freeaddrinfo(pList);
        return false;
    }
    uAddress = reinterpret_cast<const sockaddr_in*>(pList->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(pList);
    t_nLastError = 0;
    return true;
}

}  // namespace KXPlatform
