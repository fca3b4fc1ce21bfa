// NormalizePath: separators, "./" and "../", network paths, drive roots, paths that do not fit.
#include "common/NcTest_MessageBox.h"

#include "KX_Kernal/fileandpath/KXKernal_Path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Normalized {
    bool bOk;
    std::string strPath;
};

Normalized Normalize(const char* szPath, uint32_t uBufLen = KXKERNAL_MAX_PATH) {
    std::string buffer(uBufLen, 'X');
    const bool bOk = NormalizePath(szPath, &buffer[0], uBufLen);
    return {bOk, buffer.c_str()};
}

bool AnyBoxContains(const ScopedMessageBoxRecorder& boxes, const std::string& strPart) {
    for (const std::string& text : boxes.Texts()) {
        if (text.find(strPart) != std::string::npos) return true;
    }
    return false;
}

TEST(NormalizePath, SeparatorsDotsAndParentsCollapse) {
    ScopedMessageBoxRecorder boxes;
    const struct {
        const char* szIn;
        const char* szOut;
    } cases[] = {
        {"./config//sys/../sys/IP.csv", "config/sys/IP.csv"},
        {"config\\sys\\IP.csv", "config/sys/IP.csv"},
        {"a\\/\\//b", "a/b"},
        {"./././a/./b/.//c", "a/b/c"},
        {"a/b/../c", "a/c"},
        {"a/b/c/../../d", "a/d"},
        {"a/../b", "b"},
        {"a/b/../../../c", "../c"},
        {"../a", "../a"},
        {"../../a/b", "../../a/b"},
        {"c:/a/../b", "c:/b"},
        {"a/..b/c", "a/..b/c"},
        {"a/b/..", "a/b/.."},
        {".hidden/x.", ".hidden/x."},
        {"", ""},
    };
    for (const auto& c : cases) {
        const Normalized result = Normalize(c.szIn);
        EXPECT_TRUE(result.bOk) << c.szIn;
        EXPECT_EQ(result.strPath, c.szOut) << c.szIn;
    }
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(NormalizePath, NetworkPrefixIsKept) {
    ScopedMessageBoxRecorder boxes;
    EXPECT_EQ(Normalize("\\\\server\\share\\\\dir\\..\\f.txt").strPath, "\\\\server/share/f.txt");
    // A single leading backslash is an ordinary separator.
    EXPECT_EQ(Normalize("\\dir\\f.txt").strPath, "/dir/f.txt");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(NormalizePath, ClimbingAboveADriveRootFailsAndKeepsThePath) {
    ScopedMessageBoxRecorder boxes;
    Normalized result = Normalize("c:/../x.txt");
    EXPECT_FALSE(result.bOk);
    EXPECT_EQ(result.strPath, "c:/../x.txt");
    result = Normalize("c:\\a\\..\\..\\x.txt");
    EXPECT_FALSE(result.bOk);
    EXPECT_EQ(result.strPath, "c:\\a\\..\\..\\x.txt");
    EXPECT_EQ(boxes.Count(), 0u) << "a drive root is the expected place to stop";

    // Climbing above "/" is not a drive root: both root assertions fire.
    result = Normalize("/../x");
    EXPECT_FALSE(result.bOk);
    EXPECT_TRUE(AnyBoxContains(boxes, "KXKernal_Assert(uEndPos == 6);"));
    EXPECT_TRUE(AnyBoxContains(boxes, "KXKernal_Assert(str[1] == ':');"));
}

TEST(NormalizePath, ParentGluedToANameRaisesTheAssertion) {
    ScopedMessageBoxRecorder boxes;
    const Normalized result = Normalize("a/b../c");
    EXPECT_TRUE(result.bOk);
    EXPECT_EQ(result.strPath, "a/b../c");
    EXPECT_TRUE(AnyBoxContains(boxes, "KXKernal_Assert(str[uPos-1] == '/');"));
}

TEST(NormalizePath, PathsThatDoNotFitGiveAnEmptyBuffer) {
    ScopedMessageBoxRecorder boxes;
    const std::string strLong(300, 'a');
    Normalized result = Normalize(strLong.c_str());
    EXPECT_FALSE(result.bOk);
    EXPECT_EQ(result.strPath, "");
    // The terminator needs a byte of its own.
    result = Normalize("abcd", 4);
    EXPECT_FALSE(result.bOk);
    EXPECT_EQ(result.strPath, "");
    result = Normalize("abc", 4);
    EXPECT_TRUE(result.bOk);
    EXPECT_EQ(result.strPath, "abc");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(NormalizePath, BadArgumentsAssertAndFail) {
    ScopedMessageBoxRecorder boxes;
    char szBuffer[8];
    EXPECT_FALSE(NormalizePath(nullptr, szBuffer, sizeof(szBuffer)));
    EXPECT_FALSE(NormalizePath("a", nullptr, 8));
    EXPECT_FALSE(NormalizePath("a", szBuffer, 0));
    EXPECT_TRUE(AnyBoxContains(boxes, "KXKernal_Assert(szFileName != NULL);"));
    EXPECT_TRUE(AnyBoxContains(boxes, "KXKernal_Assert(szBuffer != NULL);"));
    EXPECT_TRUE(AnyBoxContains(boxes, "KXKernal_Assert(uBufLen != 0);"));
}

}  // namespace
