// ncserver's settings: built-in defaults, then the INI file ([ncserver] section), then the command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct NcServerConfig {
    std::string strListenHost = "127.0.0.1";   // IPv4 address to bind; 0.0.0.0 for every interface
    uint16_t uPort = 8080;                      // 0: the system picks a free port (tests)
    std::string strDatabase = "sqlite:ncserver.db";
    std::string strCatalogueDir = "catalogues";
    std::string strDumpDir = "dumps";
    std::string strPage = "/report";
    bool bAccountTable = false;                 // AccountPolicy=table: only imported accounts may report
    std::vector<std::string> vecServerNames;    // empty: every server name is accepted
    std::vector<uint32_t> vecTrustedProxies;    // IPv4, host order, whose address headers are believed
    int64_t nRepeatWindowSec = 600;             // one report per account within this many seconds
    uint64_t uMaxReportBytes = 1u << 20;
    uint64_t uMaxDumpBytes = 64u << 20;
    uint32_t uThreads = 4;
    uint32_t uMaxConnections = 256;
    uint32_t uIdleTimeoutSec = 30;              // a connection that sends nothing for this long is closed
    uint32_t uRequestTimeoutSec = 30;           // headers (and a report's body) must arrive within this
    uint32_t uHeaderMemoryBytes = 32u << 10;    // per connection: request line and headers must fit
    uint32_t uShutdownGraceSec = 20;            // how long a stop waits for requests in flight
    int32_t nSignInDelayMs = 1000;              // the support site answers a wrong password this much later
};

// Reads the [ncserver] section of an INI file (UTF-8) over *pConfig. False with *pError on a file that
// cannot be read or a value that does not parse; *pConfig may then be partly updated.
bool NcLoadServerConfig(const std::string& strPath, NcServerConfig* pConfig, std::string* pError);

// "HOST:PORT" with an IPv4 HOST.
bool NcParseListen(const std::string& strText, std::string* pHost, uint16_t* pPort);

// Dotted IPv4 text to a host-order number; false for anything else (no short forms, no hex).
bool NcParseIpv4(const std::string& strText, uint32_t* pAddr);
std::string NcFormatIpv4(uint32_t uAddr);
