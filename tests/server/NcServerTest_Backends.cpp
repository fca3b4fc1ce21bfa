#include "server/NcServerTest_Backends.h"

#include "server/NcServerTest_PgCluster.h"

std::string NcTestBackendUrl(const std::string& strName, const std::string& strTmpDir) {
    if (strName == "sqlite") return "sqlite:" + strTmpDir + "/reports.db";
    if (strName == "postgresql") return NcTestPgFreshDatabase();
    return std::string();
}

std::vector<std::string> NcTestBackendUrls(const std::string& strTmpDir) {
    std::vector<std::string> urls;
    for (const std::string& name : NcTestBackendNames()) urls.push_back(NcTestBackendUrl(name, strTmpDir));
    return urls;
}

std::vector<std::string> NcTestBackendNames() { return {"sqlite", "postgresql"}; }

std::string NcTestBackendName(const std::string& strUrl) { return strUrl.substr(0, strUrl.find(':')); }
