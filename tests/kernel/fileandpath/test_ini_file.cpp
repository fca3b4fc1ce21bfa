// Profile files: what the launcher's and the support staff's hand-written netcheck.ini files hold.
#include "common/NcTest_TempDir.h"

#include "KX_Kernal/fileandpath/KXKernal_IniFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(IniFile, MissingFileSectionOrKeyGivesTheDefault) {
    ScopedTempDir dir;
    const std::string path = dir / "absent.ini";
    EXPECT_EQ(KXKernal_GetProfileInt("netcheck", "Client", 1, path.c_str()), 1);
    // The default loses its trailing blanks, as the system's does.
    EXPECT_EQ(KXKernal_GetProfileString("netcheck", "Page", "x.asp  ", path.c_str()), "x.asp");
    EXPECT_EQ(KXKernal_GetProfileString("netcheck", "Page", nullptr, path.c_str()), "");

    WriteTestFile(dir / "a.ini", "[other]\nPort=81\n[netcheck]\nDomain=a\n");
    const std::string a = dir / "a.ini";
    EXPECT_EQ(KXKernal_GetProfileInt("netcheck", "Port", 80, a.c_str()), 80) << "the key is in another section";
    EXPECT_EQ(KXKernal_GetProfileInt("missing", "Port", 80, a.c_str()), 80);
    EXPECT_EQ(KXKernal_GetProfileString("netcheck", "Domain", "", a.c_str()), "a");
}

TEST(IniFile, NamesIgnoreCaseAndBlanksQuotesAndCommentsAreTheSystemsWay) {
    CKXKernal_IniFile ini;
    ini.Parse("\xEF\xBB\xBF"
              "Stray=before any section\r\n"
              "; a comment line=1\r\n"
              "[ NetCheck ]\r\n"
              "  serverip  =  10.1.2.3  \r\n"
              "Page=\"/report.asp\"\r\n"
              "Quoted='a'b\r\n"
              "Port=81 ; not a comment\r\n"
              "Bare\r\n"
              "Port=82\r\n"
              "[netcheck]\r\n"
              "Domain=second section\r\n"
              "[\x81\x41]\r\n"
              "k=upper\r\n");
    EXPECT_EQ(ini.GetString("netcheck", "ServerIP", ""), "10.1.2.3");
    EXPECT_EQ(ini.GetString("NETCHECK", "SERVERIP", ""), "10.1.2.3");
    EXPECT_EQ(ini.GetString("netcheck", "Page", ""), "/report.asp");
    EXPECT_EQ(ini.GetString("netcheck", "Quoted", ""), "'a'b") << "quotes go only as a matching pair";
    EXPECT_EQ(ini.GetString("netcheck", "Port", ""), "81 ; not a comment") << "the first occurrence wins";
    EXPECT_EQ(ini.GetInt("netcheck", "Port", 0), 81);
    EXPECT_EQ(ini.GetString("netcheck", "Bare", "dflt"), "dflt") << "a line without '=' has no value";
    EXPECT_EQ(ini.GetString("netcheck", "Domain", "none"), "none") << "only the first section of a name counts";
    EXPECT_EQ(ini.GetString("netcheck", "Stray", "none"), "none");
    EXPECT_EQ(ini.GetString("netcheck", "; a comment line", "none"), "none");
    // A double-byte character whose second byte is a letter is not folded: 81 61 is another character.
    EXPECT_EQ(ini.GetString("\x81\x41", "K", ""), "upper");
    EXPECT_EQ(ini.GetString("\x81\x61", "k", "none"), "none");
}

TEST(IniFile, IntegersAreReadLikeTheSystemsProfileIntegers) {
    CKXKernal_IniFile ini;
    ini.Parse("[n]\nA=12abc\nB=abc\nC=\nD=-5\nE=+7\nF=4294967297\nG=0x10\nH=  42  \nI=-\n");
    EXPECT_EQ(ini.GetInt("n", "A", 9), 12);
    EXPECT_EQ(ini.GetInt("n", "B", 9), 0) << "a value without digits is 0, not the default";
    EXPECT_EQ(ini.GetInt("n", "C", 9), 9) << "an empty value is the default";
    EXPECT_EQ(ini.GetInt("n", "D", 9), -5);
    EXPECT_EQ(ini.GetInt("n", "E", 9), 7);
    EXPECT_EQ(ini.GetInt("n", "F", 9), 1) << "wraps at 32 bits";
    EXPECT_EQ(ini.GetInt("n", "G", 9), 0) << "decimal only";
    EXPECT_EQ(ini.GetInt("n", "H", 9), 42);
    EXPECT_EQ(ini.GetInt("n", "I", 9), 0);
    EXPECT_EQ(ini.GetInt("n", "Missing", -3), -3);
}

TEST(IniFile, TextValuesAreCutToTheBuffer) {
    ScopedTempDir dir;
    const std::string longValue(300, 'x');
    WriteTestFile(dir / "n.ini", "[netcheck]\nDomain=" + longValue + "\n");
    const std::string path = dir / "n.ini";
    EXPECT_EQ(KXKernal_GetProfileString("netcheck", "Domain", "", path.c_str()), std::string(259, 'x'));
    EXPECT_EQ(KXKernal_GetProfileString("netcheck", "Domain", "", path.c_str(), 4), "xxx");
    EXPECT_EQ(KXKernal_GetProfileString("netcheck", "Domain", "", path.c_str(), 0), "");
    EXPECT_EQ(KXKernal_GetProfileString("netcheck", "Missing", longValue.c_str(), path.c_str()).size(), 259u);
}

}  // namespace
