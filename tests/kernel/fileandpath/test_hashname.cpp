// HashName: lookup2 values, case and separator folding, the 255-byte cut.
#include "common/NcTest_MessageBox.h"

#include "KX_Kernal/fileandpath/KXKernal_HashName.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HashName, MatchesLookup2Values) {
    // Values of lookup2 (initial value 0) worked out independently of this implementation; they cover
    // the empty tail, a tail in each of a, b and c, and a key of exactly one 12-byte block.
    EXPECT_EQ(HashName(""), 0xbd49d10du);
    EXPECT_EQ(HashName("a"), 0x29eec818u);
    EXPECT_EQ(HashName("abcdefghijkl"), 0x0b1b3ea5u);
    EXPECT_EQ(HashName("config/sys/ip.csv"), 0x0f5d4e39u);
    EXPECT_EQ(HashName("interface/netchkroot.auf"), 0xd76595c5u);
}

TEST(HashName, CaseAndBackslashesDoNotMatter) {
    EXPECT_EQ(HashName("Interface\\NetChkRoot.AUF"), HashName("interface/netchkroot.auf"));
    EXPECT_EQ(HashName("CONFIG\\SYS\\IP.CSV"), 0x0f5d4e39u);
    // Only A-Z fold: a GBK lead byte is hashed as it is.
    EXPECT_NE(HashName("\xC4\xE3"), HashName("\xE4\xE3"));
}

TEST(HashName, LongPathsAssertAndAreCutAt255) {
    ScopedMessageBoxRecorder boxes;
    const std::string str255(255, 'q');
    EXPECT_EQ(HashName(str255.c_str()), KXKernal_Lookup2(reinterpret_cast<const uint8_t*>(str255.data()), 255, 0));
    EXPECT_EQ(boxes.Count(), 0u);

    const std::string str300 = str255 + std::string(45, 'z');
    EXPECT_EQ(HashName(str300.c_str()), HashName(str255.c_str()));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Texts()[0].find("KXKernal_Assert(nLen <= 255);"), std::string::npos);
}

}  // namespace
