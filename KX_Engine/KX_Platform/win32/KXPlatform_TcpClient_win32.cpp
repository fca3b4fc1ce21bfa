// The cancellable TCP client on Windows: the socket signals an event object (WSAEventSelect, which also
// makes it non-blocking) and every wait is on that event and a cancel event together.
#include "KX_Platform/KXPlatform_TcpClient.h"

#include "KXPlatform_Win32.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace KXPlatform {

namespace {

class CTcpClientWin32 final : public ITcpClient {
public:
    CTcpClientWin32(SOCKET hSocket, WSAEVENT hNetEvent, HANDLE hCancel)
        : m_hSocket(hSocket), m_hNetEvent(hNetEvent), m_hCancel(hCancel) {}
    ~CTcpClientWin32() override {
        Close();
        ::WSACloseEvent(m_hNetEvent);
        ::CloseHandle(m_hCancel);
    }

    bool Connect(uint32_t uAddress, uint16_t uPort) override {
        if (!Usable()) return false;
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(uPort);
        addr.sin_addr.s_addr = uAddress;
        if (::connect(m_hSocket, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == 0) return true;
        const int nError = ::WSAGetLastError();
        if (nError != WSAEWOULDBLOCK) return Fail(nError);
        for (;;) {
            WSANETWORKEVENTS events{};
            if (!WaitNet(events)) return false;
            if (events.lNetworkEvents & FD_CONNECT) {
                const int nConnect = events.iErrorCode[FD_CONNECT_BIT];
                return nConnect == 0 ? true : Fail(nConnect);
            }
        }
    }

    int64_t Send(const char* pData, size_t uLength) override {
        if (!Usable()) return -1;
        size_t uSent = 0;
        while (uSent < uLength) {
            const int nChunk = static_cast<int>(std::min<size_t>(uLength - uSent, 1u << 20));
            const int n = ::send(m_hSocket, pData + uSent, nChunk, 0);
            if (n > 0) {
                uSent += static_cast<size_t>(n);
                continue;
            }
            const int nError = n < 0 ? ::WSAGetLastError() : WSAECONNRESET;
            if (nError == WSAEWOULDBLOCK) {
                WSANETWORKEVENTS events{};
                if (!WaitNet(events)) break;
                if (events.lNetworkEvents & FD_CLOSE) {
                    Fail(events.iErrorCode[FD_CLOSE_BIT] ? events.iErrorCode[FD_CLOSE_BIT] : WSAECONNRESET);
                    break;
                }
                continue;
            }
            Fail(nError);
            break;
        }
        return uSent == 0 && uLength > 0 ? -1 : static_cast<int64_t>(uSent);
    }

    int64_t Receive(char* pBuffer, size_t uSize) override {
        for (;;) {
            if (!Usable()) return -1;
            const int nWant = static_cast<int>(std::min<size_t>(uSize, 1u << 20));
            const int n = ::recv(m_hSocket, pBuffer, nWant, 0);
            if (n >= 0) return n;
            const int nError = ::WSAGetLastError();
            if (nError != WSAEWOULDBLOCK) {
                Fail(nError);
                return -1;
            }
            WSANETWORKEVENTS events{};
            if (!WaitNet(events)) return -1;
        }
    }

    void Close() override {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_hSocket != INVALID_SOCKET) {
            ::closesocket(m_hSocket);
            m_hSocket = INVALID_SOCKET;
        }
    }

    void Cancel() override {
        m_bCancelled.store(true);
        ::SetEvent(m_hCancel);
    }

    bool IsCancelled() const override { return m_bCancelled.load(); }
    int GetLastError() const override { return m_nLastError.load(); }

private:
    bool Usable() {
        if (m_bCancelled.load()) return Fail(WSAEINTR);
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_hSocket == INVALID_SOCKET) {
            m_nLastError.store(WSAENOTSOCK);
            return false;
        }
        return true;
    }

    bool Fail(int nError) {
        m_nLastError.store(m_bCancelled.load() ? WSAEINTR : nError);
        return false;
    }

    // Waits for a network event or a cancel; false on a cancel or an error. The events that arrived are
    // read (and so reset) into events.
    bool WaitNet(WSANETWORKEVENTS& events) {
        HANDLE handles[2] = {m_hCancel, m_hNetEvent};
        const DWORD rc = ::WSAWaitForMultipleEvents(2, handles, FALSE, WSA_INFINITE, FALSE);
        if (m_bCancelled.load() || rc == WSA_WAIT_EVENT_0) return Fail(WSAEINTR);
        if (rc != WSA_WAIT_EVENT_0 + 1) return Fail(::WSAGetLastError());
        if (::WSAEnumNetworkEvents(m_hSocket, m_hNetEvent, &events) != 0) return Fail(::WSAGetLastError());
        return true;
    }

    std::mutex m_Mutex;
    SOCKET m_hSocket;
    const WSAEVENT m_hNetEvent;
    const HANDLE m_hCancel;
    std::atomic<bool> m_bCancelled{false};
    std::atomic<int> m_nLastError{0};
};

}  // namespace

std::unique_ptr<ITcpClient> CreateTcpClient(int& nErrorCode) {
    nErrorCode = 0;
    const SOCKET hSocket = ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (hSocket == INVALID_SOCKET) {
        nErrorCode = ::WSAGetLastError();
        return nullptr;
    }
    const WSAEVENT hNetEvent = ::WSACreateEvent();
    const HANDLE hCancel = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (hNetEvent == WSA_INVALID_EVENT || !hCancel ||
        ::WSAEventSelect(hSocket, hNetEvent, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) != 0) {
        nErrorCode = ::WSAGetLastError();
        if (hNetEvent != WSA_INVALID_EVENT) ::WSACloseEvent(hNetEvent);
        if (hCancel) ::CloseHandle(hCancel);
        ::closesocket(hSocket);
        return nullptr;
    }
    return std::make_unique<CTcpClientWin32>(hSocket, hNetEvent, hCancel);
}

}  // namespace KXPlatform
