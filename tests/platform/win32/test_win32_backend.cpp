// The Windows backend where it differs from POSIX: batch files run by cmd.exe with a job object, cmd.exe
// quoting, code page 936 as the system's text, the process snapshot, ANSI file names.
#include "KX_Platform/KXPlatform_ChildProcess.h"
#include "KX_Platform/KXPlatform_Clock.h"
#include "KX_Platform/KXPlatform_Encoding.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_ProcessList.h"
#include "KX_Platform/KXPlatform_Shell.h"

#include "common/NcTest_TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace KXPlatform;

// Runs one command line as the check engine does (script file, hidden child, polled) and returns what it
// printed; false when it did not end within the time.
bool RunScript(const std::string& strLine, std::string& strOut, uint32_t uLimitMs = 20000) {
    ScopedTempDir dir(true);
    const std::string strScript = BuildCommandScript(strLine, false);
    WriteTestFile("run.bat", strScript);
    CChildProcess child;
    if (!child.OpenPipe() || !child.StartScript("run.bat")) return false;
    const uint32_t uStart = GetTickCount();
    while (!child.PollEnded()) {
        if (GetTickCount() - uStart > uLimitMs) return false;
        Sleep(10);
    }
    return child.ReadOutput(CChildProcess::kGatherLimit, strOut);
}

size_t CountProcesses(const std::string& strImage) {
    std::vector<RunningProcess> list;
    EXPECT_TRUE(ListProcesses(list));
    return static_cast<size_t>(std::count_if(list.begin(), list.end(), [&](const RunningProcess& p) {
        std::string name = p.strImageName;
        std::transform(name.begin(), name.end(), name.begin(), ::tolower);
        return name == strImage;
    }));
}

}  // namespace

TEST(Win32Child, BatchOutputArrivesThroughThePipeAndQuotedWordsStayLiteral) {
    std::string strOut;
    ASSERT_TRUE(RunScript("echo first& echo second", strOut));
    EXPECT_NE(strOut.find("first"), std::string::npos) << strOut;
    EXPECT_NE(strOut.find("second"), std::string::npos) << strOut;

    // "%" must not expand, "&" must not start a second command, the blank must not split the word.
    const std::string strWord = "a b&echo INJECTED %PATH% 100%";
    ASSERT_TRUE(RunScript("echo " + QuoteShellWord(strWord), strOut));
    EXPECT_NE(strOut.find(strWord), std::string::npos) << strOut;
    EXPECT_EQ(strOut.find("INJECTED\r\n"), std::string::npos) << strOut;
    EXPECT_EQ(QuoteShellWord("plain-word_1.txt"), "plain-word_1.txt");
}

TEST(Win32Child, WhatACommandLeavesRunningEndsWithIt) {
    const size_t uBefore = CountProcesses("cmd.exe");
    std::string strOut;
    // A second interpreter that would loop for ever in the background.
    ASSERT_TRUE(RunScript("start /b cmd /c \"for /l %%i in (1,0,2) do @rem\"& echo started", strOut));
    EXPECT_NE(strOut.find("started"), std::string::npos);
    Sleep(200);
    EXPECT_EQ(CountProcesses("cmd.exe"), uBefore);

    ScopedTempDir dir(true);
    WriteTestFile("loop.bat", BuildCommandScript("for /l %%i in (1,0,2) do @rem", false));
    CChildProcess child;
    ASSERT_TRUE(child.OpenPipe());
    ASSERT_TRUE(child.StartScript("loop.bat"));
    Sleep(300);
    EXPECT_FALSE(child.PollEnded());
    EXPECT_TRUE(child.Terminate());
    EXPECT_FALSE(child.HasProcess());
    Sleep(200);
    EXPECT_EQ(CountProcesses("cmd.exe"), uBefore);
}

TEST(Win32Text, CodePage936ConvertsAndInvalidBytesBecomeReplacementCharacters) {
    // "中文" in GBK and in UTF-8.
    EXPECT_EQ(GbkToUtf8("\xD6\xD0\xCE\xC4"), "\xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_EQ(Utf8ToGbk("\xE4\xB8\xAD\xE6\x96\x87"), "\xD6\xD0\xCE\xC4");
    // A lone lead byte, 0xFF and a pair of the user-defined area: one U+FFFD per byte that starts no
    // character, never a private-use character.
    EXPECT_EQ(GbkToUtf8("a\xD6"), "a\xEF\xBF\xBD");
    EXPECT_EQ(GbkToUtf8("\xFF" "b"), "\xEF\xBF\xBD" "b");
    const std::string strUserDefined = GbkToUtf8("\xAA\xA1");
    EXPECT_EQ(strUserDefined.find("\xEE"), std::string::npos);
    EXPECT_NE(strUserDefined.find("\xEF\xBF\xBD"), std::string::npos);
    // What GBK cannot hold, and broken UTF-8, become "?".
    EXPECT_EQ(Utf8ToGbk("x\xF0\x9F\x98\x80y"), "x?y");
    EXPECT_EQ(Utf8ToGbk("\xE4\xB8"), "?");
    // The system's text is GBK itself, child output comes back unchanged.
    EXPECT_EQ(ToSystemText("\xD6\xD0"), "\xD6\xD0");
    EXPECT_EQ(FromChildOutput("\xD6\xD0\xCE\xC4\r\n"), "\xD6\xD0\xCE\xC4\r\n");
    // A piece never ends between the two bytes of a character.
    EXPECT_EQ(ChildOutputCut("ab\xD6\xD0\xCE\xC4", 3), 2u);
    EXPECT_EQ(ChildOutputCut("ab\xD6\xD0\xCE\xC4", 4), 4u);
    EXPECT_EQ(ChildOutputCut("\xD6\xD0\xCE\xC4", 3), 2u);
}

TEST(Win32Files, GbkNamesAndTheMoveRules) {
    ScopedTempDir dir(true);
    const std::string strName = "\xD6\xD0\xCE\xC4.txt";  // "中文.txt"
    std::FILE* f = OpenFileStream(strName.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("x", f);
    std::fclose(f);
    std::vector<std::string> vecFiles;
    ASSERT_TRUE(ListFilesRecursive(".", [&](const std::string& s) { vecFiles.push_back(s); }));
    ASSERT_EQ(vecFiles.size(), 1u);
    EXPECT_EQ(vecFiles[0], strName);
    EXPECT_EQ(GetFileAttributes(strName.c_str()).uSize, 1u);

    WriteTestFile("other.txt", "yy");
    EXPECT_FALSE(MoveFile("other.txt", strName.c_str()));  // the destination exists
    EXPECT_TRUE(ReplaceFile("other.txt", strName.c_str()));
    EXPECT_EQ(GetFileAttributes(strName.c_str()).uSize, 2u);
    EXPECT_FALSE(GetFileAttributes("other.txt").bExists);
    EXPECT_TRUE(DeleteFile(strName.c_str()));
    EXPECT_FALSE(DeleteFile(strName.c_str()));
    EXPECT_NE(LastSystemError(), 0);
    EXPECT_FALSE(DescribeSystemError(LastSystemError()).empty());
    EXPECT_EQ(GetCurrentDir().find('\\'), std::string::npos);
}
