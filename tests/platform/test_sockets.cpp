// Addresses as the launcher and the tables give them: dotted text with inet_addr's rules (which the
// program has always accepted, octal and hexadecimal parts included), names through the resolver.
#include "KX_Platform/KXPlatform_Sockets.h"

#include <gtest/gtest.h>

namespace {

std::string Parsed(const char* szText) {
    uint32_t uAddress = 0x5A5A5A5Au;
    return KXPlatform::ParseIPv4(szText, uAddress) ? KXPlatform::FormatIPv4(uAddress) : "refused";
}

TEST(PlatformSockets, DottedAddressesFollowTheOldRulesOnEverySystem) {
    EXPECT_EQ(Parsed("127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(Parsed("0.0.0.0"), "0.0.0.0");
    EXPECT_EQ(Parsed("1.2.3"), "1.2.0.3");  // the last part fills the remaining bytes
    EXPECT_EQ(Parsed("1.2"), "1.0.0.2");
    EXPECT_EQ(Parsed("16909060"), "1.2.3.4");
    EXPECT_EQ(Parsed("0x7f.1"), "127.0.0.1");
    EXPECT_EQ(Parsed("010.0.0.1"), "8.0.0.1");  // a leading zero is octal
    uint32_t uAddress = 0;
    ASSERT_TRUE(KXPlatform::ParseIPv4("192.168.1.20", uAddress));
    const unsigned char* pBytes = reinterpret_cast<const unsigned char*>(&uAddress);
    EXPECT_EQ(pBytes[0], 192);  // network byte order: the first part first in memory
    EXPECT_EQ(pBytes[3], 20);

    for (const char* sz : {"", "1.2.3.4.5", "256.0.0.1", "1.2.3.256", "1.2.65536", "a.b.c.d", "1..2.3", "1.2.3.4x",
                           "08.0.0.1", "0x100.0.0.1", "255.255.255.255"})
        EXPECT_EQ(Parsed(sz), "refused") << sz;
    EXPECT_EQ(Parsed(nullptr), "refused");
}

TEST(PlatformSockets, NamesResolveAndAnEmptyNameIsRefused) {
    ASSERT_EQ(KXPlatform::StartupSockets(), 0);
    uint32_t uAddress = 0;
    EXPECT_TRUE(KXPlatform::ResolveHostIPv4("127.0.0.1", uAddress));
    EXPECT_EQ(KXPlatform::FormatIPv4(uAddress), "127.0.0.1");
    EXPECT_EQ(KXPlatform::GetLastSocketError(), 0);
    uAddress = 0;
    EXPECT_TRUE(KXPlatform::ResolveHostIPv4("localhost", uAddress));
    EXPECT_EQ(KXPlatform::FormatIPv4(uAddress).rfind("127.", 0), 0u) << KXPlatform::FormatIPv4(uAddress);
    // The system would answer an empty name with the machine's own addresses.
    EXPECT_FALSE(KXPlatform::ResolveHostIPv4("", uAddress));
    EXPECT_NE(KXPlatform::GetLastSocketError(), 0);
    EXPECT_FALSE(KXPlatform::ResolveHostIPv4(nullptr, uAddress));
    KXPlatform::CleanupSockets();
}

}  // namespace
