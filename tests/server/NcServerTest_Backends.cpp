#include "server/NcServerTest_Backends.h"

std::vector<std::string> NcTestBackendUrls(const std::string& strTmpDir) {
    return {"sqlite:" + strTmpDir + "/reports.db"};
}

std::string NcTestBackendName(const std::string& strUrl) { return strUrl.substr(0, strUrl.find(':')); }
