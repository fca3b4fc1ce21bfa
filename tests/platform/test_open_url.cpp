// Opening a URL: which addresses are refused and the order of attempts (the real starts of programs are
// tested per system).
#include "KX_Platform/KXPlatform_OpenUrl.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

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

}  // namespace
