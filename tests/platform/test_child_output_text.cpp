// Child output as program text: UTF-8 lines become GBK, every other line stays byte for byte, and output
// handed over in pieces is never cut inside a UTF-8 character.
#include "KX_Platform/KXPlatform_Encoding.h"

#include <gtest/gtest.h>

namespace {

using KXPlatform::ChildOutputCut;
using KXPlatform::FromChildOutput;

TEST(ChildOutputText, Utf8LinesBecomeGbkAndOtherLinesStay) {
    // The literals without u8 are GBK, as the program's.
    EXPECT_EQ("丢失 = 0 (0% 丢失)，\r\n", FromChildOutput(u8"丢失 = 0 (0% 丢失)，\r\n"));
    // A GBK line (not valid UTF-8) and plain ASCII are kept; so are NUL bytes.
    EXPECT_EQ("平均 = 11ms\r\n", FromChildOutput("平均 = 11ms\r\n"));
    EXPECT_EQ(std::string("a\0b\n", 4), FromChildOutput(std::string("a\0b\n", 4)));
    // Each line is judged by itself: a UTF-8 line after a GBK one is still converted, and the other way.
    EXPECT_EQ("最短 = 1ms\n最长 = 2ms\n", FromChildOutput("最短 = 1ms\n" + std::string(u8"最长 = 2ms\n")));
    EXPECT_EQ("最长\n最短", FromChildOutput(std::string(u8"最长\n") + "最短"));
    // A character GBK has not becomes "?"; a line that is no UTF-8 (here cut off at the end) stays.
    EXPECT_EQ("网?\n", FromChildOutput(u8"网\U0001F600\n"));
    EXPECT_EQ("ok \xE7\xBD", FromChildOutput("ok \xE7\xBD"));
}

TEST(ChildOutputText, PiecesEndBeforeACharacterTheCutWouldSplit) {
    const std::string strUtf8 = "ab" + std::string(u8"网");  // 2 + 3 bytes
    EXPECT_EQ(2u, ChildOutputCut(strUtf8, 3));
    EXPECT_EQ(2u, ChildOutputCut(strUtf8, 4));
    EXPECT_EQ(5u, ChildOutputCut(strUtf8, 5));
    EXPECT_EQ(5u, ChildOutputCut(strUtf8, 100));
    // GBK or broken bytes are cut where asked.
    EXPECT_EQ(3u, ChildOutputCut("ab\xCD\xF8", 3));
    EXPECT_EQ(3u, ChildOutputCut("ab\xE7\xBDz", 3));
    EXPECT_EQ(0u, ChildOutputCut(u8"网", 0));
}

}  // namespace
