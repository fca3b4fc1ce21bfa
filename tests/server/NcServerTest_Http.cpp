#include "server/NcServerTest_Http.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

int ConnectLoopback(uint16_t uPort) {
    const int nFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (nFd < 0) return -1;
    timeval tv{10, 0};  // a server that never answers fails the test instead of hanging it
    setsockopt(nFd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
    sockaddr_in addr;
    std::memset(&addr, 0, sizeof(addr));
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uPort);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(nFd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        close(nFd);
        return -1;
    }
    return nFd;
}

bool SendAll(int nFd, const std::string& strBytes) {
    size_t uSent = 0;
    while (uSent < strBytes.size()) {
        const ssize_t n = send(nFd, strBytes.data() + uSent, strBytes.size() - uSent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        uSent += static_cast<size_t>(n);
    }
    return true;
}

HttpReply ReadReply(int nFd) {
    std::string strAll;
    char buf[4096];
    ssize_t n;
    while ((n = recv(nFd, buf, sizeof(buf), 0)) > 0) strAll.append(buf, static_cast<size_t>(n));
    HttpReply reply;
    size_t uHeadEnd = strAll.find("\r\n\r\n");
    if (uHeadEnd == std::string::npos) {
        reply.strHead = strAll;
        return reply;
    }
    reply.strHead = strAll.substr(0, uHeadEnd);
    reply.strBody = strAll.substr(uHeadEnd + 4);
    if (reply.strHead.compare(0, 5, "HTTP/") == 0 && reply.strHead.size() > 12) {
        reply.nStatus = std::atoi(reply.strHead.c_str() + 9);
    }
    return reply;
}

HttpReply SendRaw(uint16_t uPort, const std::string& strRequest) {
    const int nFd = ConnectLoopback(uPort);
    if (nFd < 0) return HttpReply();
    SendAll(nFd, strRequest);
    HttpReply reply = ReadReply(nFd);
    close(nFd);
    return reply;
}

std::string MakeRequest(const std::string& strMethod, const std::string& strTarget, const std::string& strBody,
                        const std::string& strExtraHeaders) {
    std::string req = strMethod + " " + strTarget + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    if (!strBody.empty() || strMethod == "POST" || strMethod == "PUT") {
        req += "Content-Length: " + std::to_string(strBody.size()) + "\r\n";
    }
    req += strExtraHeaders;
    req += "\r\n";
    return req + strBody;
}
