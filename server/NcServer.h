// ncserver's HTTP side: the report page, the address page, catalogue documents, dump uploads and the
// health check, served by libmicrohttpd's thread pool over one report store.
#pragma once

#include "server/NcServer_Config.h"
#include "server/store/NcStore.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct NcServerHooks {
    // Unix seconds; the 10-minute rule reads this clock. Null: the system clock.
    std::function<int64_t()> fnNowSec;
    // One structured line per request and per server event (no line feed). Null: standard error.
    std::function<void(const std::string&)> fnLog;
};

class CNcServerImpl;

class CNcServer {
public:
    // The store must outlive the server.
    CNcServer(const NcServerConfig& config, INcStore& store, NcServerHooks hooks = NcServerHooks());
    ~CNcServer();
    CNcServer(const CNcServer&) = delete;
    CNcServer& operator=(const CNcServer&) = delete;

    // Binds and starts serving. False with *pError when the address cannot be bound.
    bool Start(std::string* pError);
    // The bound port (the one the system chose for port 0); 0 before Start.
    uint16_t Port() const;
    // Stops accepting, lets the requests in flight finish (up to the configured grace), then stops.
    void Stop();

private:
    std::unique_ptr<CNcServerImpl> m_pImpl;
};
