// The support site under /support/: sign-in, the report list and detail, dumps, analytics. It turns one
// request into one response and knows nothing of HTTP libraries; the server hands requests over.
#pragma once

#include "server/store/NcStore.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct NcSiteRequest {
    std::string strMethod;   // GET, HEAD or POST
    std::string strPath;     // starts with /support
    std::string strQuery;    // after "?", raw
    std::string strBody;     // a form body (POST)
    std::string strCookie;   // the Cookie header as received
    std::string strPeer;     // the caller's address, for the log
    bool bSecure = false;    // reached over TLS (a trusted proxy said so)
};

struct NcSiteResponse {
    int nStatus = 200;
    std::string strContentType = "text/html; charset=utf-8";
    std::string strBody;
    std::vector<std::pair<std::string, std::string>> vecHeaders;
    std::string strFilePath;   // when set, the body is this file (a dump download)
};

struct NcSiteOptions {
    std::string strDumpDir;
    int64_t nSessionSec = 8 * 3600;
    int32_t nFailDelayMs = 1000;                 // a wrong password waits this long before the answer
    std::function<int64_t()> fnNowSec;           // null: the system clock
    std::function<void(const std::string&)> fnLog;   // null: standard error
};

class CNcSite {
public:
    CNcSite(INcStore& store, NcSiteOptions options);
    NcSiteResponse Handle(const NcSiteRequest& request);

private:
    NcSiteResponse SignInPage(const NcSiteRequest& request, const std::string& strError);
    NcSiteResponse SignIn(const NcSiteRequest& request);
    NcSiteResponse SignOut(const NcSiteRequest& request, const NcStaffSession& session, const std::string& strToken);
    int64_t NowSec() const;
    void Log(const std::string& strLine) const;

    INcStore& m_store;
    NcSiteOptions m_options;
    // Wrong sign-ins being held back right now. The wait occupies a worker thread, so only one is held
    // at a time; others are refused at once (429), and the players' reports keep their workers.
    std::atomic<int> m_nHeldBack{0};
};

// A memory-hard hash of a staff password, for the staff table. False when hashing failed (out of memory).
bool NcSiteHashPassword(const std::string& strPassword, std::string* pHash);
bool NcSiteCheckPassword(const std::string& strHash, const std::string& strPassword);
