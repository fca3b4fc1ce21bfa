// Opening a URL on POSIX: the real start of xdg-open or the fallback browser with the address as one
// argument, and nothing left to reap.
#include "KX_Platform/KXPlatform_OpenUrl.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

#include "common/NcTest_TempDir.h"

namespace {

// A fake program that writes its arguments, one per line, to a file and exits with a status.
void WriteFakeProgram(const std::string& strPath, const std::string& strOutput, int nStatus) {
    WriteTestFile(strPath, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + strOutput +
                               "'\nexit " + std::to_string(nStatus) + "\n");
    ::chmod(strPath.c_str(), 0755);
}

class ScopedPath {
public:
    explicit ScopedPath(const std::string& strPath) {
        const char* sz = std::getenv("PATH");
        m_bHad = sz != nullptr;
        if (sz) m_strOld = sz;
        ::setenv("PATH", strPath.c_str(), 1);
    }
    ~ScopedPath() {
        if (m_bHad) ::setenv("PATH", m_strOld.c_str(), 1); else ::unsetenv("PATH");
    }

private:
    bool m_bHad = false;
    std::string m_strOld;
};

bool HasNoChildren() {
    return ::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

TEST(PlatformOpenUrl, StartsTheOpenerWithTheAddressAsOneArgument) {
    ScopedTempDir dir(true);
    ScopedPath path(dir.Path() + ":/usr/bin:/bin");
    KXPlatform::SetFallbackBrowser("");
    WriteFakeProgram(dir / "xdg-open", dir / "opener.txt", 0);
    // Shell syntax in the address stays text; GBK becomes UTF-8 on the way out ("网" is CD F8).
    const std::string strUrl = "http://x/?a=1;touch${IFS}pwned&b=$(touch${IFS}pwned)`touch${IFS}pwned`'\"\xCD\xF8";
    EXPECT_TRUE(KXPlatform::OpenUrl(strUrl.c_str())) << KXPlatform::GetLastOpenUrlError();
    EXPECT_EQ(ReadTestFile(dir / "opener.txt"), "http://x/?a=1;touch${IFS}pwned&b=$(touch${IFS}pwned)`touch${IFS}pwned`'\"" u8"网\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "pwned"));
    EXPECT_TRUE(HasNoChildren());

    // The opener fails at once: the fallback browser gets the address.
    WriteFakeProgram(dir / "xdg-open", dir / "opener.txt", 3);
    WriteFakeProgram(dir / "mybrowser", dir / "browser.txt", 0);
    KXPlatform::SetFallbackBrowser("mybrowser");
    EXPECT_TRUE(KXPlatform::OpenUrl("https://y/z"));
    EXPECT_EQ(ReadTestFile(dir / "browser.txt"), "https://y/z\n");

    // Neither can start: the error of the last attempt.
    std::filesystem::remove(dir / "mybrowser");
    EXPECT_FALSE(KXPlatform::OpenUrl("https://y/z"));
    EXPECT_EQ(KXPlatform::GetLastOpenUrlError(), ENOENT);
    KXPlatform::SetFallbackBrowser("");
    EXPECT_FALSE(KXPlatform::OpenUrl("https://y/z"));
    EXPECT_EQ(KXPlatform::GetLastOpenUrlError(), 256 + 3);
    EXPECT_TRUE(HasNoChildren());
}

}  // namespace
