// The real program without a display: a whole check by itself, the single-instance rule across two
// processes, and the refusal to run without the launcher.
#include "ProgTest_Program.h"

#include "app/NetChk_AppDefs.h"
#include "KX_Platform/KXPlatform_Encoding.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgramHeadless, TheCheckFinishesByItselfAndASecondCopyIsRefused) {
    ASSERT_TRUE(NoForeignInstance()) << "another QVRTNetcheck kept running on this machine";
    ProgramPlace place;
    RunningProgram first(place, {"player", "S1", "10.1.2.3", "华东"}, HeadlessEnv());
    const std::string result = place.ExeDir() + "/checklist/S1.txt";
    ASSERT_TRUE(WaitFor([&] { return FileExists(result) || !first.Running(); }, 30000)) << first.Stderr();
    ASSERT_TRUE(first.Running()) << "ended before its check finished:\n" << first.Stderr();
    ASSERT_TRUE(FileExists(result)) << first.Stderr();

    // A second copy started meanwhile says so and ends with 0, leaving the first alone.
    RunningProgram second(place, {}, HeadlessEnv());
    EXPECT_EQ(second.Wait(20000), 0);
    EXPECT_EQ(second.Stderr(), StartupBoxLine(NetChkApp::kMsgAlreadyRunning));
    EXPECT_TRUE(first.Running());

    // Closing ends it through the normal shutdown, which takes the scripts with it.
    first.Close();
    EXPECT_EQ(first.Wait(20000), 0);
    EXPECT_EQ(first.Stderr().find("msgbox:"), std::string::npos) << "no box during a clean run:\n" << first.Stderr();
    EXPECT_FALSE(FileExists(place.DataPath("QVRTNchk0.sh")));
    EXPECT_FALSE(FileExists(place.DataPath("QVRTNchk1.sh")));

    const std::string saved = ReadTestFile(result);
    EXPECT_EQ(saved.find("网络质量: 良好\r\n"), 0u) << KXPlatform::GbkToUtf8(saved);
    EXPECT_NE(saved.find("routes\r\n"), std::string::npos);
    const std::string logs = place.ReadLogs();
    for (const char* szLine : {"从客户端传过来的，用户名[player]，服务器名[S1]，服务器网段[10.1.2.3]，大区名称[华东]",
                               "Init QVRTNetcheck：开始启动---", "Init QVRTNetcheck：应用程序初始化结束---",
                               "批处理全部执行完成！！"}) {
        EXPECT_NE(logs.find(szLine), std::string::npos) << KXPlatform::GbkToUtf8(szLine);
    }
}

TEST(ProgramHeadless, WithoutTheLauncherAndWithClientSetItOnlySaysHowToStart) {
    ASSERT_TRUE(NoForeignInstance());
    ProgramPlace place;
    place.WriteIni("Client=1\nServerIP=10.1.2.3\nDomain=127.0.0.1\nPage=/report\n");
    RunningProgram program(place, {}, HeadlessEnv());
    EXPECT_EQ(program.Wait(20000), 0);
    EXPECT_EQ(program.Stderr(), StartupBoxLine(NetChkApp::kMsgUseLauncher));
    EXPECT_NE(place.ReadLogs().find("要求用客户端启动！！"), std::string::npos);
    EXPECT_FALSE(FileExists(place.ExeDir() + "/checklist"));
}

}  // namespace
