// The one UTF-8 check behind child output, the Windows conversion and the server's form fields: the
// edges of each byte range, and a character cut off by the end told apart from one that is wrong.
#include "KX_Platform/KXPlatform_Utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using KXPlatform::IsValidUtf8;

// The bytes in a buffer of exactly their size, so that a read past the end shows under ASan.
int Length(const std::string& strBytes) {
    const std::vector<unsigned char> bytes(strBytes.begin(), strBytes.end());
    return KXPlatform::Utf8CharLength(bytes.data(), bytes.size());
}

TEST(Utf8, TheFirstAndLastCharacterOfEachLengthAndTheHolesBetween) {
    EXPECT_EQ(1, Length(std::string(1, '\0')));
    EXPECT_EQ(1, Length("\x7F"));
    EXPECT_EQ(2, Length("\xC2\x80"));          // U+0080
    EXPECT_EQ(2, Length("\xDF\xBF"));          // U+07FF
    EXPECT_EQ(3, Length("\xE0\xA0\x80"));      // U+0800
    EXPECT_EQ(3, Length("\xED\x9F\xBF"));      // U+D7FF, just below the surrogates
    EXPECT_EQ(3, Length("\xEE\x80\x80"));      // U+E000, just above them
    EXPECT_EQ(4, Length("\xF0\x90\x80\x80"));  // U+10000
    EXPECT_EQ(4, Length("\xF4\x8F\xBF\xBF"));  // U+10FFFF
    // Overlong forms of "/" and of the last character one byte shorter.
    EXPECT_EQ(0, Length("\xC0\xAF"));
    EXPECT_EQ(0, Length("\xC1\xBF"));
    EXPECT_EQ(0, Length("\xE0\x9F\xBF"));
    EXPECT_EQ(0, Length("\xF0\x8F\xBF\xBF"));
    // Surrogates, and past U+10FFFF.
    EXPECT_EQ(0, Length("\xED\xA0\x80"));
    EXPECT_EQ(0, Length("\xED\xBF\xBF"));
    EXPECT_EQ(0, Length("\xF4\x90\x80\x80"));
    EXPECT_EQ(0, Length("\xF5\x80\x80\x80"));
    // A continuation byte out of place, or missing in the third or fourth place.
    EXPECT_EQ(0, Length("\x80"));
    EXPECT_EQ(0, Length("\xE4\xB8" "A"));
    EXPECT_EQ(0, Length("\xF0\x90\x80" "A"));
}

TEST(Utf8, ACharacterCutOffByTheEndIsNotYetWrong) {
    // More bytes could complete these...
    EXPECT_EQ(-1, Length("\xE4"));
    EXPECT_EQ(-1, Length("\xE4\xB8"));
    EXPECT_EQ(-1, Length("\xF0\x90\x80"));
    // ...but not these: what is there is already wrong.
    EXPECT_EQ(0, Length("\xE0\x80"));
    EXPECT_EQ(0, Length("\xF4\x90"));
    // As a whole text, a cut-off end is not UTF-8; a NUL byte is plain ASCII here.
    const std::string strText = "ping \xE7\xBD\x91";  // "网"
    EXPECT_TRUE(IsValidUtf8(strText.data(), strText.size()));
    EXPECT_FALSE(IsValidUtf8(strText.data(), strText.size() - 1));
    EXPECT_TRUE(IsValidUtf8("a\0b", 3));
    EXPECT_TRUE(IsValidUtf8("", 0));
    EXPECT_FALSE(IsValidUtf8("ok\xED\xA0\x80", 5));
}

}  // namespace
