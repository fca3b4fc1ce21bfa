// The check's scripts: a quoted word reaches the command as exactly that word, whatever it holds.
#include "common/NcTest_TempDir.h"
#include "KX_Platform/KXPlatform_ChildProcess.h"
#include "KX_Platform/KXPlatform_Encoding.h"
#include "KX_Platform/KXPlatform_Shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

// Runs the script text and returns what it printed; "<timeout>" when it does not end.
std::string RunScript(const std::string& strScript) {
    WriteTestFile("t.sh", strScript);
    KXPlatform::CChildProcess child;
    if (!child.OpenPipe() || !child.StartScript("t.sh")) return "<no start>";
    for (int i = 0; i < 5000 && !child.PollEnded(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (child.HasProcess() && !child.PollEnded()) return "<timeout>";
    std::string out;
    child.ReadOutput(1u << 16, out);
    return out;
}

TEST(PlatformShell, AQuotedWordIsOneWordAndNothingElse) {
    ScopedTempDir dir(true);
    // An ordinary file name stays as it is, so the usual command lines read as written.
    EXPECT_EQ("S1.txt", KXPlatform::QuoteShellWord("S1.txt"));
    const std::string words[] = {
        "一区 电信.txt",     "a'b",        "$(touch PWNED1)", "`touch PWNED2`", "x; touch PWNED3", "x && touch PWNED4",
        "a\"b\\c$HOME",      "",           "-n",              "*",              "~",               "a\nb",
        "> PWNED5",          "'; touch PWNED6; '", "\xCD'",   "\xCD\\'",       "x\xCD",
    };
    for (const std::string& w : words) {
        // The word between two bars, so that a dropped empty word or a split shows.
        const std::string strOut = RunScript(
            KXPlatform::BuildCommandScript("printf '|%s|' " + KXPlatform::QuoteShellWord(w), false));
        EXPECT_EQ("|" + KXPlatform::FromChildOutput(KXPlatform::ToSystemText(w)) + "|", strOut) << w;
    }
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find("PWNED")) << entry.path();
    }
}

TEST(PlatformShell, ScriptsAreSystemTextAndEchoTheLineOnRequest) {
    ScopedTempDir dir(true);
    // "网络" in GBK is CD F8 C2 E7; the script and the file it names are UTF-8.
    const std::string strLine = "echo \xCD\xF8\xC2\xE7 > " + KXPlatform::QuoteShellWord("\xCD\xF8\xC2\xE7.txt");
    EXPECT_EQ(u8"echo 网络 > '网络.txt'\nexit\n", KXPlatform::BuildCommandScript(strLine, false));
    EXPECT_EQ("", RunScript(KXPlatform::BuildCommandScript(strLine, false)));
    EXPECT_EQ(u8"网络\n", ReadTestFile(u8"网络.txt"));
    // Echoed, the line comes first, as it was written.
    EXPECT_EQ("echo 'x'\nx\n", RunScript(KXPlatform::BuildCommandScript("echo 'x'", true)));
}

}  // namespace
