// The few socket calls the loopback test servers need, the same on BSD sockets and Winsock: listen and
// connect on 127.0.0.1, accept, send, receive, and a wait on several sockets at once.
#pragma once

#include <cstddef>
#include <cstdint>

// A socket handle (a descriptor on POSIX, a SOCKET on Windows); kNoSocket when there is none.
using NcSocket = intptr_t;
constexpr NcSocket kNoSocket = -1;

// Listens on an ephemeral port of 127.0.0.1 and stores the port; kNoSocket on failure.
NcSocket NcListenLoopback(uint16_t& uPort, int nBacklog = 4);
// A blocking connection to 127.0.0.1:uPort; kNoSocket on failure.
NcSocket NcConnectLoopback(uint16_t uPort);
NcSocket NcAccept(NcSocket nListen);
// Bytes received (0 when the peer closed), -1 on an error.
int64_t NcReceive(NcSocket nSocket, char* pBuffer, size_t uSize);
// Bytes sent, -1 on an error; never raises a signal for a closed peer.
int64_t NcSend(NcSocket nSocket, const char* pData, size_t uLength);
void NcSetNoDelay(NcSocket nSocket);
void NcCloseSocket(NcSocket nSocket);

// Waits until one of the sockets can be read (data, a connection to accept, or the peer's close) and
// returns its index; -1 on an error or after nTimeoutMs (-1: no limit).
int NcWaitReadable(const NcSocket* pSockets, size_t uCount, int nTimeoutMs);

// A connected pair of loopback sockets: a byte sent into one end wakes a wait on the other.
bool NcSocketPair(NcSocket aPair[2]);
