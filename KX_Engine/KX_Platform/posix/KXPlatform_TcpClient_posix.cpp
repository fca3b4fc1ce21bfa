// The cancellable TCP client on POSIX: a non-blocking socket plus an event descriptor; every wait polls
// both, so Cancel (which writes the event descriptor) releases a blocked call at once.
#include "KX_Platform/KXPlatform_TcpClient.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>

namespace KXPlatform {

namespace {

class CTcpClientPosix final : public ITcpClient {
public:
    CTcpClientPosix(int nSocket, int nWake) : m_nSocket(nSocket), m_nWake(nWake) {}
    ~CTcpClientPosix() override {
        Close();
        ::close(m_nWake);
    }

    bool Connect(uint32_t uAddress, uint16_t uPort) override {
        if (!Usable()) return false;
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(uPort);
        addr.sin_addr.s_addr = uAddress;
        if (::connect(m_nSocket, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == 0) return true;
        if (errno != EINPROGRESS) return Fail(errno);
        if (!WaitFor(POLLOUT)) return false;
        int nError = 0;
        socklen_t uLen = sizeof(nError);
        if (::getsockopt(m_nSocket, SOL_SOCKET, SO_ERROR, &nError, &uLen) != 0) return Fail(errno);
        return nError == 0 ? true : Fail(nError);
    }

    int64_t Send(const char* pData, size_t uLength) override {
        if (!Usable()) return -1;
        size_t uSent = 0;
        while (uSent < uLength) {
            const ssize_t n = ::send(m_nSocket, pData + uSent, uLength - uSent, MSG_NOSIGNAL);
            if (n > 0) {
                uSent += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (!WaitFor(POLLOUT)) break;
                continue;
            }
            Fail(n < 0 ? errno : EPIPE);
            break;
        }
        return uSent == 0 && uLength > 0 ? -1 : static_cast<int64_t>(uSent);
    }

    int64_t Receive(char* pBuffer, size_t uSize) override {
        for (;;) {
            if (!Usable()) return -1;
            const ssize_t n = ::recv(m_nSocket, pBuffer, uSize, 0);
            if (n >= 0) return n;
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                Fail(errno);
                return -1;
            }
            if (!WaitFor(POLLIN)) return -1;
        }
    }

    void Close() override {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_nSocket >= 0) {
            ::close(m_nSocket);
            m_nSocket = -1;
        }
    }

    void Cancel() override {
        m_bCancelled.store(true);
        const uint64_t uOne = 1;
        // The wake descriptor lives as long as the object, so this never writes to a reused number.
        ssize_t n = ::write(m_nWake, &uOne, sizeof(uOne));
        (void)n;
    }

    bool IsCancelled() const override { return m_bCancelled.load(); }
    int GetLastError() const override { return m_nLastError.load(); }

private:
    bool Usable() {
        if (m_bCancelled.load()) return Fail(EINTR);
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_nSocket < 0) {
            m_nLastError.store(EBADF);
            return false;
        }
        return true;
    }

    bool Fail(int nError) {
        m_nLastError.store(m_bCancelled.load() ? EINTR : nError);
        return false;
    }

    // Waits until the socket is ready for uEvents, or a cancel; false on a cancel or an error.
    bool WaitFor(short uEvents) {
        for (;;) {
            pollfd fds[2] = {{m_nSocket, uEvents, 0}, {m_nWake, POLLIN, 0}};
            const int rc = ::poll(fds, 2, -1);
            if (rc < 0 && errno == EINTR) continue;
            if (rc < 0) return Fail(errno);
            if (fds[1].revents != 0 || m_bCancelled.load()) return Fail(EINTR);
            if (fds[0].revents != 0) return true;  // ready, or an error the next call reports
        }
    }

    std::mutex m_Mutex;
    int m_nSocket;
    const int m_nWake;
    std::atomic<bool> m_bCancelled{false};
    std::atomic<int> m_nLastError{0};
};

}  // namespace

std::unique_ptr<ITcpClient> CreateTcpClient(int& nErrorCode) {
    nErrorCode = 0;
    const int nSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (nSocket < 0) {
        nErrorCode = errno;
        return nullptr;
    }
    const int nWake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (nWake < 0) {
        nErrorCode = errno;
        ::close(nSocket);
        return nullptr;
    }
    return std::make_unique<CTcpClientPosix>(nSocket, nWake);
}

}  // namespace KXPlatform
