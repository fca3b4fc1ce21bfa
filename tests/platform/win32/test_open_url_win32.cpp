// Opening a URL on Windows: a browser started by ShellExecuteA gets the address as its one argument,
// byte for byte, whatever the address holds; what cannot be quoted safely starts nothing.
#include "KX_Platform/KXPlatform_Clock.h"
#include "KX_Platform/KXPlatform_OpenUrl.h"

#include "common/NcTest_TempDir.h"

#include <gtest/gtest.h>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <shellapi.h>


namespace KXPlatform {
// The backend's start of one program (KXPlatform_OpenUrl.cpp calls it); "" starts the system's opener,
// which these tests leave alone: under test it would start a real browser.
int LaunchUrlProgram(const std::string& strProgramSystem, const std::string& strUrlSystem);
}  // namespace KXPlatform

namespace {

// A copy of the recording browser at strPath, a name in the system's code page (as the program passes
// it on; std::filesystem would take the bytes for UTF-8).
void CopyBrowser(const std::string& strPath) { ASSERT_TRUE(::CopyFileA(NC_TEST_RECORD_ARGS, strPath.c_str(), TRUE)); }

// What the browser at strPath wrote once it ran; "" when it did not within 20 s.
std::string WaitForArguments(const std::string& strPath, uint32_t uLimitMs = 20000) {
    std::string strArgs;
    for (uint32_t uWaited = 0; uWaited < uLimitMs && strArgs.empty(); uWaited += 20) {
        KXPlatform::Sleep(20);
        strArgs = ReadTestFile(strPath + ".args");
    }
    return strArgs;
}

TEST(Win32OpenUrl, TheBrowserGetsTheAddressAsOneArgument) {
    ScopedTempDir dir;
    // A browser in a folder with a blank and a Chinese name ("浏览器" in GBK, the system's code page).
    const std::string strBrowser = dir / "Program Files \xE4\xAF\xC0\xC0\xC6\xF7.exe";
    CopyBrowser(strBrowser);

    // What a shell or cmd.exe would act on stays text: & | ^ < > % ' ` $( ) and GBK bytes ("网" is CD F8).
    const std::string strUrl = "http://x/?a=1&b=%PATH%|find^x<y>z'`$(calc)\xCD\xF8";
    ASSERT_TRUE(KXPlatform::IsOpenableUrl(strUrl.c_str()));
    EXPECT_EQ(KXPlatform::LaunchUrlProgram(strBrowser, strUrl), 0);
    EXPECT_EQ(WaitForArguments(strBrowser), strUrl + "\n");
}

TEST(Win32OpenUrl, FailuresStartNothing) {
    ScopedTempDir dir;
    const std::string strRefused = dir / "refused.exe";
    const std::string strBrowser = dir / "browser.exe";
    CopyBrowser(strRefused);
    CopyBrowser(strBrowser);
    // A double quote would end the quoting early and split the address: refused before any start.
    EXPECT_EQ(KXPlatform::LaunchUrlProgram(strRefused, "http://x/a\"b\"c"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(KXPlatform::LaunchUrlProgram(strRefused, "http://x/\""), ERROR_INVALID_PARAMETER);
    // A browser that is not there: ShellExecuteA's "file not found".
    EXPECT_EQ(KXPlatform::LaunchUrlProgram(dir / "none.exe", "http://x/"), SE_ERR_FNF);
    // Once a browser started after them has run, one of those would have too.
    EXPECT_EQ(KXPlatform::LaunchUrlProgram(strBrowser, "http://x/ok"), 0);
    EXPECT_EQ(WaitForArguments(strBrowser), "http://x/ok\n");
    EXPECT_EQ(ReadTestFile(strRefused + ".args"), "");
}

}  // namespace
