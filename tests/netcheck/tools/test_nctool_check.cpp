// nctool ping-parse and nctool check, run as the player's support staff would.
#include "common/NcTest_TempDir.h"
#include "common/NcTest_Tool.h"
#include "netcheck/NcTest_CheckTables.h"
#include "netcheck/NcTest_PingSamples.h"
#include "netcheck/catalogue/NcTest_CatalogueFiles.h"
#include "KX_Platform/KXPlatform_Encoding.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// nctool writes UTF-8; the literals here are GBK like the program's.
std::string U(const std::string& strGbk) { return KXPlatform::GbkToUtf8(strGbk); }

TEST(NcToolPingParse, FileAndStandardInput) {
    ScopedTempDir dir(true);
    WriteTestFile("win.txt", pingsamples::WindowsEnglish(25, 1, 11));
    ToolResult r = RunNcTool({"ping-parse", "win.txt"});
    EXPECT_EQ(0, r.nExitCode);
    EXPECT_EQ("loss=25 lag=11\n", r.strOut);

    r = RunNcTool({"ping-parse"}, pingsamples::Iputils("4 packets transmitted, 4 received, 0% packet loss",
                                                       "rtt min/avg/max/mdev = 1.0/2.5/4.0/0.5 ms"));
    EXPECT_EQ(0, r.nExitCode);
    EXPECT_EQ("loss=0 lag=3\n", r.strOut);

    // Only the first 8192 bytes count, as in the program.
    r = RunNcTool({"ping-parse"}, std::string(8200, '\0') + pingsamples::WindowsChinese(0, 5));
    EXPECT_EQ("loss=100 lag=-1\n", r.strOut);

    EXPECT_EQ(1, RunNcTool({"ping-parse", "absent.txt"}).nExitCode);
    EXPECT_EQ(2, RunNcTool({"ping-parse", "a", "b"}).nExitCode);
}

class NcToolCheck : public ::testing::Test {
protected:
    // exe/ with data/ below it: the tables and an old-format catalogue of recorded pings.
    void SetUp() override {
        WriteTestFile("exe/data/log/.keep", "");
        WriteTestFile("exe/data/good.txt", pingsamples::WindowsEnglish(0, 0, 11));
        WriteTestFile("exe/data/config/sys/NetChkOption.csv",
                      "机房网段,目标文件,命令类型,命令内容,命令描述\n"
                      "10.1.2,S1.txt,0,cat good.txt,检测延迟\n"
                      "10.1.2,S1.txt,1,echo routes,路由\n");
    }
    void WriteTables() {
        // The tables are written relative to the data directory.
        struct Enter {
            explicit Enter(const std::string& p) : prev(std::filesystem::current_path()) { std::filesystem::current_path(p); }
            ~Enter() { std::filesystem::current_path(prev); }
            std::filesystem::path prev;
        } enter(m_dir / "exe/data");
        checktables::WriteStringTable();
        checktables::WriteBounds("80/150/500", "2/10/50");
    }
    // A new-format catalogue as the local copy, the only download address failing.
    void WriteLocalCatalogue(const std::string& strCommands) {
        cataloguefiles::WriteDescriptor(m_dir / "exe", {{"net_check", cataloguefiles::FileUrl(m_dir / "nowhere.bin")}});
        WriteTestFile(m_dir / "exe/net_check.xml", cataloguefiles::Stored(cataloguefiles::Document(strCommands)));
    }
    ScopedTempDir m_dir{true};
};

TEST_F(NcToolCheck, AWholeCheckInTheTerminal) {
    WriteTables();
    ToolResult r = RunNcTool({"check", "--server", "S1", "--ip", "10.1.2.3", "--exe-dir", m_dir / "exe"});
    ASSERT_EQ(0, r.nExitCode) << r.strErr;
    EXPECT_NE(std::string::npos, r.strOut.find(U("progress 0/2 running\nstep 检测延迟\n")));
    EXPECT_NE(std::string::npos, r.strOut.find(U("progress 1/2 running\nstep 路由\n")));
    EXPECT_NE(std::string::npos, r.strOut.find(U("quality nq-good (丢包率:0%; 平均延时:11毫秒)\n")));
    EXPECT_NE(std::string::npos, r.strOut.find("verdict 0 result0\nadvice advice0\n"));
    EXPECT_NE(std::string::npos, r.strOut.find("progress 1/1 finished\nstep finished\n"));
    EXPECT_NE(std::string::npos, r.strOut.find("result file " + (m_dir / "exe") + "/checklist/S1.txt\n"));
    const std::string saved = ReadTestFile(m_dir / "exe/checklist/S1.txt");
    EXPECT_EQ(0u, saved.find("网络质量: 良好\r\n"));
    EXPECT_NE(std::string::npos, saved.find("routes\r\n"));
    // The log went to the data directory's log folder, not to the terminal.
    EXPECT_EQ(std::string::npos, r.strOut.find("[WL_"));
}

TEST_F(NcToolCheck, AChineseServerNameNamesTheResultFileInUtf8) {
    WriteTables();
    WriteLocalCatalogue(cataloguefiles::Command(0, "cat good.txt", "ping") + cataloguefiles::Command(1, "echo routes", "routes"));
    ToolResult r = RunNcTool({"check", "--server", u8"一区 电信", "--ip", "10.1.2.3", "--exe-dir", m_dir / "exe"});
    ASSERT_EQ(0, r.nExitCode) << r.strErr;
    const std::string strPath = (m_dir / "exe") + u8"/checklist/一区 电信.txt";
    EXPECT_NE(std::string::npos, r.strOut.find("result file " + strPath + "\n")) << r.strOut;
    EXPECT_NE(std::string::npos, ReadTestFile(strPath).find("routes\r\n"));
}

TEST_F(NcToolCheck, AResultFileThatCannotBeWrittenFailsTheCheck) {
    WriteTables();
    WriteTestFile(m_dir / "exe/checklist", "a file where the folder should be");
    ToolResult r = RunNcTool({"check", "--server", "S1", "--ip", "10.1.2.3", "--exe-dir", m_dir / "exe"});
    EXPECT_EQ(1, r.nExitCode);
    EXPECT_NE(std::string::npos, r.strErr.find("the result file " + (m_dir / "exe") + "/checklist/S1.txt could not be written: Not a directory\n"))
        << r.strErr;
    EXPECT_EQ(std::string::npos, r.strOut.find("result file"));
}

TEST_F(NcToolCheck, AFatalErrorLeavesNoScriptsBehind) {
    WriteTables();
    // Group 4 without group 5: after step 0 has written both scripts, its bad pings send step 1 to
    // look for group 5.
    WriteLocalCatalogue(cataloguefiles::Command(4, "echo nothing came back # ping", "a") +
                        cataloguefiles::Command(4, "echo nothing came back # ping", "b") + cataloguefiles::Command(1, "echo x", "c"));
    ToolResult r = RunNcTool({"check", "--server", "S1", "--ip", "10.1.2.3", "--exe-dir", m_dir / "exe"});
    EXPECT_EQ(1, r.nExitCode);
    EXPECT_NE(std::string::npos, r.strErr.find(U("出现致命错误，请将联系客服！"))) << r.strErr;
    EXPECT_FALSE(std::filesystem::exists(m_dir / "exe/data/QVRTNchk0.sh"));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "exe/data/QVRTNchk1.sh"));
}

TEST_F(NcToolCheck, NoCatalogueOrNoDataDirectoryMeansNoRun) {
    WriteTables();
    // 10.9.9.x has no rows in the old table.
    ToolResult r = RunNcTool({"check", "--server", "S1", "--ip", "10.9.9.9", "--exe-dir", m_dir / "exe"});
    EXPECT_EQ(1, r.nExitCode);
    EXPECT_EQ(std::string::npos, r.strOut.find("progress"));
    r = RunNcTool({"check", "--server", "S1", "--ip", "10.1.2.3", "--exe-dir", m_dir / "nowhere"});
    EXPECT_EQ(1, r.nExitCode);
    EXPECT_EQ(2, RunNcTool({"check", "--server", "S1", "--ip", "10.1.2"}).nExitCode);
    EXPECT_EQ(2, RunNcTool({"check", "--ip", "10.1.2.3"}).nExitCode);
}

}  // namespace
