// One report upload: the form read, the account and server rules, the store's answer, the reply number.
#pragma once

#include "server/NcServer_Config.h"
#include "server/store/NcStore.h"

#include <cstdint>
#include <string>

// What the client is told: the HTTP status and the number in "{ret=N}".
struct NcReportReply {
    int nStatus = 400;
    int64_t nRet = -1;
    const char* szOutcome = "";   // for the log line: stored, recent, unknown_account, ...
};

// The client's reply convention: a positive report number, or -2 unknown account, -1 unknown server (and
// every failure), -3 the same account reported within the window. A number is given only after the
// report is committed; a body that is not a well-formed form stores nothing.
NcReportReply NcHandleReport(const std::string& strBody, const std::string& strClientAddr, int64_t nNowSec,
                             const NcServerConfig& config, INcStore& store);

// The reply body for a reply number.
std::string NcReplyBody(int64_t nRet);
