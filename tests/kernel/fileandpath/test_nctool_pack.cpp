// The built nctool's path, pack and open commands: output formats and exit codes.
#include "common/NcTest_TempDir.h"
#include "common/NcTest_Tool.h"

#include "KX_Kernal/fileandpath/KXKernal_HashName.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

class NcToolPackTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteTestFile("src/sys/IP.csv", "ip,carrier\n1.2.3.4,x\n");
        WriteTestFile("src/empty.txt", "");
        WriteTestFile("src/gui/Deep/Bin.dat", std::string("\x00\x01\xff\x10 binary", 12));
    }
    const std::map<std::string, std::string> m_files = {
        {"sys/IP.csv", "ip,carrier\n1.2.3.4,x\n"},
        {"empty.txt", ""},
        {"gui/Deep/Bin.dat", std::string("\x00\x01\xff\x10 binary", 12)}};
    ScopedTempDir m_dir{true};
};

TEST_F(NcToolPackTest, BuildListAndCatRoundTrip) {
    for (bool bScramble : {false, true}) {
        std::vector<std::string> build = {"pack", "build", "out.wdf", "src"};
        if (bScramble) build.push_back("--scramble");
        ToolResult result = RunNcTool(build);
        ASSERT_EQ(result.nExitCode, 0) << result.strErr;
        EXPECT_EQ(ReadTestFile("out.wdf").find("1.2.3.4") == std::string::npos, bScramble);

        result = RunNcTool({"pack", "list", "out.wdf"});
        ASSERT_EQ(result.nExitCode, 0);
        std::map<uint32_t, std::pair<uint32_t, uint32_t>> listed;
        std::istringstream lines(result.strOut);
        std::string strHash;
        uint32_t uSize = 0, uOffset = 0;
        while (lines >> strHash >> uSize >> uOffset) {
            EXPECT_EQ(strHash.size(), 8u);
            listed[static_cast<uint32_t>(std::stoul(strHash, nullptr, 16))] = {uSize, uOffset};
        }
        ASSERT_EQ(listed.size(), m_files.size()) << result.strOut;
        for (const auto& file : m_files) {
            const auto it = listed.find(HashName(file.first.c_str()));
            ASSERT_NE(it, listed.end()) << file.first;
            EXPECT_EQ(it->second.first, file.second.size());
            EXPECT_GE(it->second.second, 16u);

            result = RunNcTool({"pack", "cat", "out.wdf", file.first});
            EXPECT_EQ(result.nExitCode, 0) << file.first;
            EXPECT_EQ(result.strOut, file.second) << file.first;
        }
        // Rebuilt in the next round, so the old file must go.
        std::remove("out.wdf");
    }
}

TEST_F(NcToolPackTest, FailuresGiveExitCodes) {
    ASSERT_EQ(RunNcTool({"pack", "build", "out.wdf", "src"}).nExitCode, 0);
    ToolResult result = RunNcTool({"pack", "cat", "out.wdf", "sys/Missing.csv"});
    EXPECT_EQ(result.nExitCode, 1);
    EXPECT_EQ(result.strOut, "");
    EXPECT_EQ(RunNcTool({"pack", "cat", "nothere.wdf", "sys/IP.csv"}).nExitCode, 1);
    EXPECT_EQ(RunNcTool({"pack", "list", "src/sys/IP.csv"}).nExitCode, 1) << "not an archive";
    EXPECT_EQ(RunNcTool({"pack", "build", "x.wdf", "no_such_dir"}).nExitCode, 1);
    EXPECT_EQ(RunNcTool({"pack", "build", "x.wdf", "src", "--shuffle"}).nExitCode, 2);
    EXPECT_EQ(RunNcTool({"pack", "frobnicate"}).nExitCode, 2);
}

TEST_F(NcToolPackTest, PathHashAndNormalize) {
    ToolResult result = RunNcTool({"path", "hash", "Interface\\NetChkRoot.AUF"});
    EXPECT_EQ(result.nExitCode, 0);
    EXPECT_EQ(result.strOut, "d76595c5\n");
    EXPECT_EQ(RunNcTool({"path", "hash", ""}).strOut, "bd49d10d\n");

    result = RunNcTool({"path", "normalize", "./config//sys/../sys/IP.csv"});
    EXPECT_EQ(result.nExitCode, 0);
    EXPECT_EQ(result.strOut, "config/sys/IP.csv\n");
    result = RunNcTool({"path", "normalize", "c:/../x"});
    EXPECT_EQ(result.nExitCode, 1);
    EXPECT_EQ(result.strOut, "");
    result = RunNcTool({"path", "normalize", std::string(300, 'p')});
    EXPECT_EQ(result.nExitCode, 1);
    EXPECT_EQ(result.strOut, "");
}

TEST_F(NcToolPackTest, OpenFollowsThePackFirstSwitch) {
    WriteTestFile("pk/sys/IP.csv", "packed");
    WriteTestFile("pk/sys/Only.csv", "only packed");
    ASSERT_EQ(RunNcTool({"pack", "build", "config.wdf", "pk"}).nExitCode, 0);
    WriteTestFile("config/sys/IP.csv", "on disk");

    EXPECT_EQ(RunNcTool({"open", "config/sys/IP.csv"}).strOut, "packed");
    EXPECT_EQ(RunNcTool({"open", "config/sys/IP.csv", "--disk-first"}).strOut, "on disk");
    EXPECT_EQ(RunNcTool({"open", "./config\\sys/Only.csv", "--disk-first"}).strOut, "only packed");
    const ToolResult result = RunNcTool({"open", "config/sys/None.csv"});
    EXPECT_EQ(result.nExitCode, 1);
    EXPECT_EQ(result.strOut, "");
}

}  // namespace
