// A running ncserver on a free loopback port over a fresh store of the backend named by the test's
// parameter, with a settable clock and the log lines recorded.
#pragma once

#include "common/NcTest_TempDir.h"
#include "server/NcServer.h"
#include "server/NcServerTest_Backends.h"
#include "server/NcServerTest_Http.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class ServerTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the store and starts the server with m_config as the test left it.
    void StartServer();
    uint16_t Port() const { return m_pServer->Port(); }
    HttpReply Post(const std::string& strBody, const std::string& strExtraHeaders = std::string()) {
        return SendRaw(Port(), MakeRequest("POST", m_config.strPage, strBody, strExtraHeaders));
    }
    HttpReply Get(const std::string& strTarget, const std::string& strExtraHeaders = std::string()) {
        return SendRaw(Port(), MakeRequest("GET", strTarget, std::string(), strExtraHeaders));
    }
    std::vector<std::string> LogLines();

    ScopedTempDir m_tmp;
    NcServerConfig m_config;
    std::string m_strUrl;
    std::unique_ptr<INcStore> m_pStore;
    std::unique_ptr<CNcServer> m_pServer;
    std::atomic<int64_t> m_nNow{1800000000};

private:
    std::mutex m_logLock;
    std::vector<std::string> m_vecLog;
};

// A form body with every field, values already encoded.
std::string FormBody(const std::string& strUser, const std::string& strServer = "S1",
                     const std::string& strContent = "line%40%40%40");

// Instantiates a ServerTest-derived suite over every backend.
#define NC_SERVER_BACKENDS(Suite)                                                                  \
    INSTANTIATE_TEST_SUITE_P(Backends, Suite, ::testing::ValuesIn(NcTestBackendNames()),           \
                             [](const ::testing::TestParamInfo<std::string>& info) { return info.param; })
