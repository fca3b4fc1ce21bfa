// Opening a URL: which addresses are refused, the order of attempts, and the real start of a program
// with the address as one argument.
#include "KX_Platform/KXPlatform_OpenUrl.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <utility>
#include <vector>

#include "common/NcTest_TempDir.h"

namespace {

// Records the attempts; answers from a script of results (0 = started).
class ScopedLaunchRecorder {
public:
    explicit ScopedLaunchRecorder(std::vector<int> vecResults) : m_vecResults(std::move(vecResults)) {
        m_previous = KXPlatform::SetUrlLaunchHook([this](const std::string& strProgram, const std::string& strUrl) {
            calls.push_back((strProgram.empty() ? "<opener>" : strProgram) + " " + strUrl);
            const size_t i = calls.size() - 1;
            return i < m_vecResults.size() ? m_vecResults[i] : 0;
        });
    }
    ~ScopedLaunchRecorder() {
        KXPlatform::SetUrlLaunchHook(std::move(m_previous));
        KXPlatform::SetFallbackBrowser("");
    }
    std::vector<std::string> calls;

private:
    std::vector<int> m_vecResults;
    KXPlatform::UrlLaunchHook m_previous;
};

TEST(PlatformOpenUrl, HostileAddressesStartNothing) {
    ScopedLaunchRecorder rec({});
    KXPlatform::SetFallbackBrowser("firefox");
    const char* bad[] = {"javascript:alert(1)", "file:///etc/passwd", "http://", "https:/x", "ftp://host/",
                         "http://a b", "http://a\nb", "http://a\x7f", "-http://x", " http://x", ""};
    for (const char* sz : bad) {
        EXPECT_FALSE(KXPlatform::OpenUrl(sz)) << sz;
        EXPECT_EQ(KXPlatform::GetLastOpenUrlError(), -1) << sz;
    }
    EXPECT_FALSE(KXPlatform::OpenUrl(nullptr));
    EXPECT_FALSE(KXPlatform::OpenUrl(("http://" + std::string(KXPlatform::kMaxUrlBytes, 'a')).c_str()));
    EXPECT_TRUE(rec.calls.empty());
    EXPECT_TRUE(KXPlatform::IsOpenableUrl("HTTPS://Example.com/a?b=c;d=$(e)"));
}

TEST(PlatformOpenUrl, OpenerFirstThenFallbackThenFailure) {
    {
        ScopedLaunchRecorder rec({0});
        KXPlatform::SetFallbackBrowser("/opt/b/browser");
        EXPECT_TRUE(KXPlatform::OpenUrl("http://a/1"));
        EXPECT_EQ(rec.calls, std::vector<std::string>({"<opener> http://a/1"}));
        EXPECT_EQ(KXPlatform::GetLastOpenUrlError(), 0);
    }
    {
        ScopedLaunchRecorder rec({259, 0});
        KXPlatform::SetFallbackBrowser("/opt/b/browser");
        EXPECT_TRUE(KXPlatform::OpenUrl("http://a/2"));
        EXPECT_EQ(rec.calls, std::vector<std::string>({"<opener> http://a/2", "/opt/b/browser http://a/2"}));
    }
    {
        ScopedLaunchRecorder rec({259, ENOENT});
        KXPlatform::SetFallbackBrowser("/opt/b/browser");
        EXPECT_FALSE(KXPlatform::OpenUrl("http://a/3"));
        EXPECT_EQ(rec.calls.size(), 2u);
        EXPECT_EQ(KXPlatform::GetLastOpenUrlError(), ENOENT);  // the fallback's, the last attempt
    }
    {
        ScopedLaunchRecorder rec({259});
        EXPECT_FALSE(KXPlatform::OpenUrl("http://a/4"));  // no fallback configured
        EXPECT_EQ(rec.calls.size(), 1u);
        EXPECT_EQ(KXPlatform::GetLastOpenUrlError(), 259);
    }
}

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
