// One TCP client connection (IPv4) that another thread can cancel at any time: every wait inside
// Connect, Send and Receive also wakes on Cancel, so a worker blocked on a silent server can be
// released without ending its thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace KXPlatform {

class ITcpClient {
public:
    virtual ~ITcpClient() = default;

    // Connects to an address in network byte order and a port in host order. False on failure or
    // when cancelled; GetLastError then tells why.
    virtual bool Connect(uint32_t uAddress, uint16_t uPort) = 0;
    // Sends all uLength bytes; returns how many went out (less than uLength after an error or a
    // cancel), -1 when nothing could be sent.
    virtual int64_t Send(const char* pData, size_t uLength) = 0;
    // Waits for bytes and returns how many were stored (at most uSize), 0 when the peer has closed
    // the connection, -1 on an error or when cancelled.
    virtual int64_t Receive(char* pBuffer, size_t uSize) = 0;
    // Closes the connection; later calls fail. Safe to call more than once.
    virtual void Close() = 0;
    // Thread-safe: wakes any wait of the other calls, which then fail; so do all later ones.
    virtual void Cancel() = 0;
    virtual bool IsCancelled() const = 0;
    // The system error of the last failing call (a cancel reports the system's "interrupted").
    virtual int GetLastError() const = 0;
};

// A new client with its socket created; null when the system cannot create a socket (nErrorCode set).
std::unique_ptr<ITcpClient> CreateTcpClient(int& nErrorCode);

}  // namespace KXPlatform
