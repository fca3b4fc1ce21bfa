// A bare HTTP client for the server tests: exact bytes out, everything the server sends back in.
#pragma once

#include <cstdint>
#include <string>

struct HttpReply {
    int nStatus = 0;        // 0 when no status line came back
    std::string strHead;    // status line and headers
    std::string strBody;
};

// Connects to 127.0.0.1:uPort, sends strRequest, reads until the server closes.
HttpReply SendRaw(uint16_t uPort, const std::string& strRequest);

// A request with Connection: close and, for a body, Content-Length.
std::string MakeRequest(const std::string& strMethod, const std::string& strTarget, const std::string& strBody = std::string(),
                        const std::string& strExtraHeaders = std::string());

// A connected socket to 127.0.0.1:uPort (-1 on failure); the caller closes it.
int ConnectLoopback(uint16_t uPort);
bool SendAll(int nFd, const std::string& strBytes);
HttpReply ReadReply(int nFd);
