// The socket library on POSIX: BSD sockets need no start-up; names resolve through getaddrinfo.
#include "../KXPlatform_Sockets.h"

#include "../KXPlatform_Encoding.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace KXPlatform {

namespace {
thread_local int t_nLastError = 0;
}

int StartupSockets() { return 0; }

void CleanupSockets() {}

int GetLastSocketError() { return t_nLastError; }

bool ParseIPv4(const char* szText, uint32_t& uAddress) {
    if (!szText) return false;
    const in_addr_t a = ::inet_addr(szText);
    if (a == INADDR_NONE) return false;
    uAddress = static_cast<uint32_t>(a);
    return true;
}

std::string FormatIPv4(uint32_t uAddress) {
    in_addr a{};
    a.s_addr = uAddress;
    char sz[INET_ADDRSTRLEN] = {};
    return ::inet_ntop(AF_INET, &a, sz, sizeof(sz)) ? std::string(sz) : std::string();
}

bool ResolveHostIPv4(const char* szHost, uint32_t& uAddress) {
    const std::string host = GbkToUtf8(szHost ? szHost : "");
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* pList = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &pList);
    if (rc != 0 || !pList) {
        t_nLastError = rc == EAI_SYSTEM ? errno : rc;
        if (pList) ::freeaddrinfo(pList);
        return false;
    }
    uAddress = reinterpret_cast<const sockaddr_in*>(pList->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(pList);
    t_nLastError = 0;
    return true;
}

}  // namespace KXPlatform
