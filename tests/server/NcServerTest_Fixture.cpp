#include "server/NcServerTest_Fixture.h"

#include <sys/stat.h>

std::string FormBody(const std::string& strUser, const std::string& strServer, const std::string& strContent) {
    return "UserName=" + strUser + "&QuestionType=q&ServerName=" + strServer + "&NetType=n&Description=d&CheckContent=" +
           strContent;
}

void ServerTest::SetUp() {
    m_strUrl = NcTestBackendUrl(GetParam(), m_tmp.Path());
    ASSERT_FALSE(m_strUrl.empty());
    m_config.uPort = 0;
    m_config.uThreads = 2;
    m_config.uShutdownGraceSec = 5;
    m_config.strCatalogueDir = m_tmp / "catalogues";
    m_config.strDumpDir = m_tmp / "dumps";
    mkdir(m_config.strCatalogueDir.c_str(), 0755);
    mkdir(m_config.strDumpDir.c_str(), 0755);
}

void ServerTest::TearDown() {
    if (m_pServer) m_pServer->Stop();
    m_pServer.reset();
    m_pStore.reset();
}

void ServerTest::StartServer() {
    std::string strError;
    m_pStore = NcOpenStore(m_strUrl, &strError);
    ASSERT_TRUE(m_pStore) << strError;
    ASSERT_TRUE(m_pStore->Migrate());
    NcServerHooks hooks;
    hooks.fnNowSec = [this] { return m_nNow.load(); };
    hooks.fnLog = [this](const std::string& line) {
        std::lock_guard<std::mutex> guard(m_logLock);
        m_vecLog.push_back(line);
    };
    m_pServer = std::make_unique<CNcServer>(m_config, *m_pStore, hooks);
    ASSERT_TRUE(m_pServer->Start(&strError)) << strError;
    ASSERT_NE(m_pServer->Port(), 0);
}

std::vector<std::string> ServerTest::LogLines() {
    std::lock_guard<std::mutex> guard(m_logLock);
    return m_vecLog;
}
