#include "server/NcServerTest_Backends.h"

#include "server/NcServerTest_PgCluster.h"

std::vector<std::string> NcTestBackendUrls(const std::string& strTmpDir) {
    return {"sqlite:" + strTmpDir + "/reports.db", NcTestPgFreshDatabase()};
}

std::vector<std::string> NcTestBackendNames() { return {"sqlite", "postgresql"}; }

std::string NcTestBackendName(const std::string& strUrl) { return strUrl.substr(0, strUrl.find(':')); }
