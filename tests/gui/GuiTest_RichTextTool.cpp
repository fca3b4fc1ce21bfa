// nctool richtext: one line per atom and the content size, options and usage errors.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/NcTest_TempDir.h"
#include "common/NcTest_Tool.h"

namespace {

TEST(RichTextTool, PrintsAtomsAndSize) {
    ToolResult result = RunNcTool({"richtext", "--width", "100", u8"a##b#R红#c(7,2)#I005hi#I\r"});
    EXPECT_EQ(result.nExitCode, 0) << result.strErr;
    EXPECT_EQ(result.strOut,
              "text 0 2 18 12 0 \"a#b\" FFFFFFFF -1 1 0\n"
              u8"text 18 2 12 12 0 \"红\" FFFF0000 -1 1 0\n"
              "clickicon 30 0 16 16 0 \"#5\" 00000000 1 1 0\n"
              "text 46 2 6 12 0 \"\\r\" FFFF0000 7 2 0\n"
              "size 52 16\n");

    result = RunNcTool({"richtext", "--advance", "24", "--flags", "4", "--width", "100", "ab#rcde"});
    EXPECT_EQ(result.nExitCode, 0) << result.strErr;
    EXPECT_EQ(result.strOut,
              "text 76 0 24 24 0 \"ab\" FFFFFFFF -1 1 0\n"
              "text 64 24 36 24 1 \"cde\" FFFFFFFF -1 1 0\n"
              "size 36 48\n");

    // Bottom alignment logs a line; standard output still holds only the atoms.
    result = RunNcTool({"richtext", "#1#AlignBottomx"});
    EXPECT_EQ(result.nExitCode, 0) << result.strErr;
    EXPECT_EQ(result.strOut,
              "icon 0 0 16 16 0 \"#1\" 00000000 -1 1 0\n"
              "text 16 4 6 12 0 \"x\" FFFFFFFF -1 1 0\n"
              "size 22 16\n");
}

// Markup longer than a command line holds comes from a file or the standard input, and lays out the same.
TEST(RichTextTool, ReadsTheMarkupFromAFileOrTheStandardInput) {
    std::string strMarkup;
    for (int i = 0; i < 20000; ++i) strMarkup += u8"#R红#n ab#r";  // 200 KB
    const ToolResult direct = RunNcTool({"richtext", u8"#R红#n ab#r#Gx"});
    ASSERT_EQ(direct.nExitCode, 0) << direct.strErr;

    ScopedTempDir dir(true);
    WriteTestFile("markup.txt", u8"#R红#n ab#r#Gx");
    ToolResult result = RunNcTool({"richtext", "--file", "markup.txt"});
    EXPECT_EQ(result.nExitCode, 0) << result.strErr;
    EXPECT_EQ(result.strOut, direct.strOut);
    result = RunNcTool({"richtext", "-"}, u8"#R红#n ab#r#Gx");
    EXPECT_EQ(result.nExitCode, 0) << result.strErr;
    EXPECT_EQ(result.strOut, direct.strOut);

    WriteTestFile("long.txt", strMarkup);
    result = RunNcTool({"richtext", "--width", "1000", "--file", "long.txt"});
    EXPECT_EQ(result.nExitCode, 0) << result.strErr;
    EXPECT_EQ(std::count(result.strOut.begin(), result.strOut.end(), '\n'), 2 * 20000 + 1);
    EXPECT_NE(result.strOut.find("size 30 240000\n"), std::string::npos) << result.strOut.substr(result.strOut.size() - 40);

    EXPECT_EQ(RunNcTool({"richtext", "--file", "missing.txt"}).nExitCode, 1);
    EXPECT_EQ(RunNcTool({"richtext", "--file"}).nExitCode, 2);
    EXPECT_EQ(RunNcTool({"richtext", "--file", "markup.txt", "x"}).nExitCode, 2);  // one source only
}

TEST(RichTextTool, RejectsBadArguments) {
    EXPECT_EQ(RunNcTool({"richtext"}).nExitCode, 2);
    EXPECT_EQ(RunNcTool({"richtext", "--width"}).nExitCode, 2);
    EXPECT_EQ(RunNcTool({"richtext", "--width", "wide", "x"}).nExitCode, 2);
    EXPECT_EQ(RunNcTool({"richtext", "a", "b"}).nExitCode, 2);
}

}  // namespace
