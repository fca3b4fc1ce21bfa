#include "netcheck/report/NcTest_UploadFixture.h"

#include "KX_Platform/KXPlatform_Sockets.h"

#include <chrono>
#include <filesystem>
#include <thread>

UploadTest::UploadTest() : m_SavedInfo(g_DetailInfo) {
    // As the program does at start-up (Winsock on Windows).
    EXPECT_EQ(KXPlatform::StartupSockets(), 0);
    std::filesystem::create_directory("log");
    WriteTestFile("config/sys/NetChk_string_def.csv",
                  "name,msg\n"
                  "Ntc_Uploade_Success,成功编号%d\n"
                  "Ntc_Uploade_UnameWrong,账号错\n"
                  "Ntc_Uploade_IN10MIN,重复%d\n"
                  "Ntc_Uploade_Failed,失败请交%s\n");
    WriteTestFile("config/sys/IP.csv", "StartIP,EndIP,Carrier\n2130706432,2147483647,环回\n");
    m_ResMgr.LoadStringDef();
    CArkLogger::Instance().SetSink(0, &m_Sink);
}

UploadTest::~UploadTest() {
    CArkLogger::Instance().SetSink(0, nullptr);
    g_DetailInfo = m_SavedInfo;
    KXPlatform::CleanupSockets();
}

void UploadTest::Target(uint16_t uPort) {
    g_DetailInfo.uPlatformAddress = 0x0100007Fu;  // 127.0.0.1 in network byte order
    g_DetailInfo.nPort = uPort;
    g_DetailInfo.strDomain = "report.example";
    g_DetailInfo.strPage = "/report.asp";
    g_DetailInfo.nUploadLimitMs = 180000;
    g_DetailInfo.strUserName = "player";
    g_DetailInfo.strQuestionType = "q";
    g_DetailInfo.strServerName = "s";
    g_DetailInfo.strNetType = "n";
    g_DetailInfo.strDescription = "d";
    g_DetailInfo.strReportText = "r\n";
}

bool UploadTest::RunUpload(CNetChk_UploadClient& client) {
    client.SetResultTargets(&m_ResMgr, &m_View);
    client.SetTargetFile("srv.txt");
    if (!client.StartUpload(0)) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!client.PollUpload(0)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
