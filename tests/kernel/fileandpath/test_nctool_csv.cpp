// nctool csv dump: JSON rows in UTF-8, kernel messages on standard error, exit codes.
#include "common/NcTest_TempDir.h"
#include "common/NcTest_Tool.h"

#include <gtest/gtest.h>

namespace {

TEST(NcToolCsv, DumpsRowsAsJsonInUtf8) {
    ScopedTempDir dir(true);
    // GBK "网络" (CD F8 C2 E7), a byte that is not GBK, a quote, a backslash and a line break in a cell.
    WriteTestFile("t.csv", "name,msg\r\nk1,\xCD\xF8\xC2\xE7\r\n\"a \"\"q\"\" \\\",\"x\ny\",\xFF\r\n");
    const ToolResult result = RunNcTool({"csv", "dump", "t.csv"});
    EXPECT_EQ(result.nExitCode, 0);
    EXPECT_EQ(result.strOut,
              "[\"name\",\"msg\"]\n"
              "[\"k1\",\"" u8"网络" "\"]\n"
              "[\"a \\\"q\\\" \\\\\",\"x\\ny\",\"\xEF\xBF\xBD\"]\n");
    EXPECT_EQ(result.strErr, "");
}

TEST(NcToolCsv, MessagesGoToStandardErrorAndMissingFilesFail) {
    ScopedTempDir dir(true);
    WriteTestFile("empty.csv", "");
    ToolResult result = RunNcTool({"csv", "dump", "empty.csv"});
    EXPECT_EQ(result.nExitCode, 0);
    EXPECT_EQ(result.strOut, "");
    EXPECT_NE(result.strErr.find(u8"CTabFile::Load empty.csv 文件失败"), std::string::npos);

    result = RunNcTool({"csv", "dump", "missing.csv"});
    EXPECT_EQ(result.nExitCode, 1);
    EXPECT_EQ(result.strOut, "");

    result = RunNcTool({"csv", "nonsense"});
    EXPECT_EQ(result.nExitCode, 2);
}

}  // namespace
