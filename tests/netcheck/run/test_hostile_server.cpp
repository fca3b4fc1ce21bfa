// Server names and addresses from the launcher that try to smuggle shell syntax into the scripts: the
// name is one word naming one file, an address that is no IPv4 address keeps its command from running.
#include "netcheck/run/NcTest_RunFixture.h"
#include "netcheck/catalogue/NcTest_CatalogueFiles.h"
#include "KX_Platform/KXPlatform_Encoding.h"
#include "netcheck/catalogue/NetChk_ServerArgs.h"

namespace {

using cataloguefiles::Command;
using cataloguefiles::Document;

class HostileServer : public RunFixture {
protected:
    bool Load(const std::string& strName, const std::string& strIp, const std::string& strCommands) {
        m_mgr.GetCatalogue().SetServer(strName, strIp);
        return m_mgr.GetCatalogue().loadNewCommandMgrXml(Document(strCommands));
    }
    // Every file below the test directory whose name says it was made by an injected command.
    std::vector<std::string> Pwned() const {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_dir.Path())) {
            const std::string name = entry.path().filename().string();
            if (name.find("PWNED") != std::string::npos && name.find(".txt") == std::string::npos) found.push_back(name);
        }
        return found;
    }
};

TEST_F(HostileServer, ANameIsOneFileAndRunsNothing) {
    const std::string strName = "一区 电信'; touch PWNED1; echo '$(touch PWNED2)`touch PWNED3` && touch PWNED4 > ../up";
    ASSERT_TRUE(Load(strName, "10.1.2.3",
                     Command(2, "printf hello &gt; #FILE#", "writes the output file") +
                         Command(0, "cat good.txt # #IP#", "ping")));
    Start();
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(std::vector<std::string>{}, Pwned());
    // The type-2 command wrote the one file of that name, and the reader found it there.
    EXPECT_EQ(1u, Count("hello"));
    EXPECT_FALSE(std::filesystem::exists(KXPlatform::ToSystemText(NetChk_TargetFileName(strName))));
    // The result file lies in checklist under the name in UTF-8, the "/" made harmless.
    const std::string strResult = m_dir / ("exe/checklist/" + KXPlatform::ToSystemText(
                                                  "一区 电信'; touch PWNED1; echo '$(touch PWNED2)`touch PWNED3` && touch PWNED4 > .._up.txt"));
    EXPECT_NE(std::string::npos, ReadTestFile(strResult).find("hello")) << strResult;
    EXPECT_EQ((std::vector<int32_t>{0}), m_view.verdicts);
}

TEST_F(HostileServer, AnAddressThatIsNoIPv4AddressKeepsItsCommandsFromRunning) {
    ASSERT_TRUE(Load("S1", "1.2.3.4;touch PWNED", Command(1, "echo before", "plain") + Command(0, "ping -c 1 #IP#", "ping")));
    m_log.ExpectError("[WL_ERROR] [M_Common]CNetChk_CommandMgr::loadNewCommandMgrXml 服务器地址1.2.3.4;touch PWNED不是IPv4地址");
    Start();
    ASSERT_TRUE(RunToEnd());
    // The command without the address ran; the one with it failed as a command that cannot start.
    EXPECT_EQ(1u, Count("before"));
    m_log.ExpectError("[WL_ERROR] [M_Logic]创建子进程失败! 服务器地址不是IPv4地址，命令未执行：ping -c 1 #IP#");
    ASSERT_EQ(1u, m_boxes.Count());
    EXPECT_EQ("出现致命错误，请将联系客服！", m_boxes.Texts()[0]);
    EXPECT_EQ(1, m_host.nQuitRequests);
    EXPECT_EQ(std::vector<std::string>{}, Pwned());
    EXPECT_EQ(std::string::npos, ReadTestFile("QVRTNchk0.sh").find("PWNED"));
}

TEST(ServerArgs, OnlyPlainDottedAddressesPass) {
    for (const char* szGood : {"10.1.2.3", "0.0.0.0", "255.255.255.255", "127.0.0.1"}) EXPECT_TRUE(NetChk_IsDottedIPv4(szGood)) << szGood;
    for (const char* szBad : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.4 ", " 1.2.3.4", "1.2.3.4;x", "010.1.2.3",
                              "1..3.4", "1.2.3.", ".1.2.3", "+1.2.3.4", "1.2.3.4\n", "1.2.3.0x1", "1111.2.3.4", "1.2.3.-4"})
        EXPECT_FALSE(NetChk_IsDottedIPv4(szBad)) << szBad;
    // Separators become "_", a GBK character whose second byte is 0x5C stays whole.
    EXPECT_EQ("a_b_c.txt", NetChk_TargetFileName("a/b\\c"));
    EXPECT_EQ("\x81\x5C_.txt", NetChk_TargetFileName("\x81\x5C/"));
}

}  // namespace
