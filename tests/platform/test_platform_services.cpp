// Encodings, console colours, clocks and the message-box hook of the platform layer.
#include "KX_Platform/KXPlatform_Clock.h"
#include "KX_Platform/KXPlatform_Console.h"
#include "KX_Platform/KXPlatform_Encoding.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_MessageBox.h"
#include "KX_Platform/KXPlatform_Process.h"
#include "KX_Platform/KXPlatform_ScriptedAnswers.h"

#include <cstdlib>

#include <gtest/gtest.h>

namespace {

TEST(PlatformEncoding, GbkAndUtf8RoundTripAndBadBytesBecomeReplacement) {
    // "网络" in GBK is CD F8 C2 E7.
    EXPECT_EQ(KXPlatform::GbkToUtf8("\xCD\xF8\xC2\xE7 ok"), u8"网络 ok");
    EXPECT_EQ(KXPlatform::Utf8ToGbk(u8"网络 ok"), "\xCD\xF8\xC2\xE7 ok");
    // A byte that starts no character, and a lead byte cut off at the end.
    EXPECT_EQ(KXPlatform::GbkToUtf8("a\xFFz\xCD"), "a\xEF\xBF\xBDz\xEF\xBF\xBD");
    EXPECT_EQ(KXPlatform::GbkToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(KXPlatform::Utf8ToGbk(u8"\U0001F600x"), "?x");
}

TEST(PlatformConsole, WindowsAttributesMapToAnsiColours) {
    EXPECT_STREQ(KXPlatform::AnsiColourOfAttribute(0x0B), "\x1b[96m");  // light cyan
    EXPECT_STREQ(KXPlatform::AnsiColourOfAttribute(0x0A), "\x1b[92m");  // light green
    EXPECT_STREQ(KXPlatform::AnsiColourOfAttribute(0x07), "\x1b[37m");  // grey
    EXPECT_STREQ(KXPlatform::AnsiColourOfAttribute(0x0E), "\x1b[93m");  // yellow
    EXPECT_STREQ(KXPlatform::AnsiColourOfAttribute(0x0C), "\x1b[91m");  // light red
    EXPECT_STREQ(KXPlatform::AnsiColourOfAttribute(0x0D), "\x1b[95m");  // light magenta
}

TEST(PlatformConsole, LinesToAPipeOrFileAreUtf8WithoutColours) {
    testing::internal::CaptureStdout();
    const char kLine[] = "\xBC\xEC\xB2\xE2 ok\n";  // "检测 ok" in GBK
    KXPlatform::WriteConsoleLine(kLine, sizeof(kLine) - 1, 0x0A);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), u8"检测 ok\n");
}

TEST(PlatformClock, SystemTimeAgreesWithTheEpochAndSleepLastsItsTime) {
    const uint64_t t100ns = KXPlatform::GetSystemTime100ns();
    const int64_t epoch = KXPlatform::GetEpochSeconds();
    EXPECT_NEAR(static_cast<double>(t100ns / 10000000ull - 11644473600ull), static_cast<double>(epoch), 2.0);

    const uint32_t before = KXPlatform::GetTickCount();
    KXPlatform::Sleep(20);
    EXPECT_GE(KXPlatform::GetTickCount() - before, 20u);
}

TEST(PlatformMessageBox, HookAnswersAndSeesTextAndCaption) {
    KXPlatform::MsgBoxRequest seen;
    auto previous = KXPlatform::SetMessageBoxHook([&seen](const KXPlatform::MsgBoxRequest& request) {
        seen = request;
        return KXPlatform::MsgBoxAnswer::Retry;
    });
    EXPECT_EQ(KXPlatform::ShowMessageBox("text", "caption", KXPlatform::MsgBoxButtons::AbortRetryIgnore),
              KXPlatform::MsgBoxAnswer::Retry);
    EXPECT_EQ(seen.strText, "text");
    EXPECT_EQ(seen.strCaption, "caption");
    EXPECT_EQ(seen.eButtons, KXPlatform::MsgBoxButtons::AbortRetryIgnore);
    KXPlatform::SetMessageBoxHook(previous);

    // Headless without a hook: the harmless answer.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(KXPlatform::ShowMessageBox("t", "c", KXPlatform::MsgBoxButtons::AbortRetryIgnore),
              KXPlatform::MsgBoxAnswer::Ignore);
    EXPECT_EQ(KXPlatform::ShowMessageBox("t", "c", KXPlatform::MsgBoxButtons::Ok), KXPlatform::MsgBoxAnswer::Ok);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("[c] t"), std::string::npos);
}

// NETCHECK_MSGBOX=stderr: a box becomes one UTF-8 line and its default answer; a test's hook still wins.
TEST(PlatformMessageBox, ScriptedRunsWriteOneLineAndTakeTheDefault) {
    unsetenv("NETCHECK_MSGBOX");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(KXPlatform::WriteScriptedMessageBox("c", "t"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    setenv("NETCHECK_MSGBOX", "stderr", 1);
    testing::internal::CaptureStderr();
    // "网络检测" in GBK.
    EXPECT_TRUE(KXPlatform::WriteScriptedMessageBox("\xCD\xF8\xC2\xE7", "\xBC\xEC\xB2\xE2 1"));
    EXPECT_TRUE(KXPlatform::WriteScriptedMessageBox(nullptr, nullptr));
    EXPECT_EQ(KXPlatform::ShowMessageBox("a\r\nb", "c", KXPlatform::MsgBoxButtons::AbortRetryIgnore),
              KXPlatform::MsgBoxAnswer::Ignore);
    EXPECT_EQ(KXPlatform::ShowMessageBox("t", "c", KXPlatform::MsgBoxButtons::Ok), KXPlatform::MsgBoxAnswer::Ok);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              u8"msgbox: 网络 | 检测 1\nmsgbox:  | \nmsgbox: c | a\\r\\nb\nmsgbox: c | t\n");

    auto previous = KXPlatform::SetMessageBoxHook([](const KXPlatform::MsgBoxRequest&) {
        return KXPlatform::MsgBoxAnswer::Abort;
    });
    testing::internal::CaptureStderr();
    EXPECT_EQ(KXPlatform::ShowMessageBox("t", "c", KXPlatform::MsgBoxButtons::AbortRetryIgnore),
              KXPlatform::MsgBoxAnswer::Abort);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    KXPlatform::SetMessageBoxHook(previous);

    setenv("NETCHECK_MSGBOX", "stdout", 1);
    EXPECT_FALSE(KXPlatform::WriteScriptedMessageBox("c", "t"));
    unsetenv("NETCHECK_MSGBOX");
}

// The launcher's arguments arrive as UTF-8 on POSIX and are used as GBK; bytes that are not UTF-8 (an
// argument already in GBK) stay as they came.
TEST(PlatformProcess, CommandLineArgumentsBecomeGbk) {
    std::string a0 = "QVRTNetcheck", a1 = u8"华东 1", a2 = "\xBB\xAA";
    char* argv[] = {&a0[0], &a1[0], &a2[0], nullptr};
    const std::vector<std::string> args = KXPlatform::GetCommandLineArgs(3, argv);
    ASSERT_EQ(args.size(), 3u);
    EXPECT_EQ(args[0], "QVRTNetcheck");
    EXPECT_EQ(args[1], "\xBB\xAA\xB6\xAB 1");
    EXPECT_EQ(args[2], "\xBB\xAA");
}

TEST(PlatformFileSystem, ExecutableDirAttributesMoveAndDelete) {
    EXPECT_FALSE(KXPlatform::GetExecutableDir().empty());
    const std::string dir = testing::TempDir() + "/nc_platform_fs";
    ASSERT_TRUE(KXPlatform::MakeDirectory(dir.c_str()));
    const std::string a = dir + "/a", b = dir + "/b";
    FILE* f = std::fopen(a.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("abc", f);
    std::fclose(f);
    EXPECT_EQ(KXPlatform::GetFileAttributes(a.c_str()).uSize, 3u);
    EXPECT_TRUE(KXPlatform::GetFileAttributes(dir.c_str()).bDirectory);
    EXPECT_TRUE(KXPlatform::MoveFile(a.c_str(), b.c_str()));
    EXPECT_FALSE(KXPlatform::GetFileAttributes(a.c_str()).bExists);
    f = std::fopen(a.c_str(), "wb");
    std::fclose(f);
    EXPECT_FALSE(KXPlatform::MoveFile(a.c_str(), b.c_str()));  // the destination exists
    EXPECT_TRUE(KXPlatform::ReplaceFile(a.c_str(), b.c_str()));
    EXPECT_EQ(KXPlatform::GetFileAttributes(b.c_str()).uSize, 0u);
    EXPECT_TRUE(KXPlatform::DeleteFile(b.c_str()));
    EXPECT_FALSE(KXPlatform::DeleteFile(b.c_str()));
    std::remove(dir.c_str());
}

}  // namespace
