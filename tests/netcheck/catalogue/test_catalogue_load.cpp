// The catalogue search: descriptor, downloads (file:// here), local copy, old table; placeholders and
// the segment match of the old table.
#include "netcheck/catalogue/NcTest_CatalogueFiles.h"
#include "common/NcTest_Logger.h"
#include "common/NcTest_MessageBox.h"
#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/catalogue/NetChk_Catalogue.h"
#include "KX_Platform/KXPlatform_Encoding.h"
#include "KX_Platform/KXPlatform_FileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using namespace cataloguefiles;

class CatalogueLoad : public testing::Test {
protected:
    CatalogueLoad() : m_dir(true) {
        KXPlatform::MakeDirectory((m_dir / "exe").c_str());
        m_catalogue.SetExeDir(m_dir / "exe");
        m_catalogue.SetServer("S1", "10.1.2.3");
        // The test servers are file:// addresses; a missing one is a scenario, not a fault.
        m_log.AllowError("InternetOpenUrl failed:");
    }
    std::string Exe(const std::string& rel) const { return m_dir / ("exe/" + rel); }
    // A stored document served at a file:// address.
    std::string Serve(const std::string& name, const std::string& stored) {
        WriteTestFile(m_dir / ("srv/" + name), stored);
        return FileUrl(m_dir / ("srv/" + name));
    }
    std::vector<std::string> Contents() const {
        std::vector<std::string> out;
        for (const NetChkCommand& c : m_catalogue.m_vecCommands) out.push_back(c.m_strContent);
        return out;
    }

    ScopedTempDir m_dir;
    ScopedLogCapture m_log;
    CNetChk_Catalogue m_catalogue;
};

TEST_F(CatalogueLoad, PlaceholdersGroupsAndTargetFile) {
    const std::string text = Document(Command(0, "ping #IP# -n 10 &gt; #FILE#", "a") + Command(4, "ping #IP##IP#", "g4a") +
                                      Command(1, "echo #ip# #IP #FILE#", "b") + Command(5, "ping 114.114.114.114", "g5") +
                                      Command(4, "ping -c 2 #IP#", "g4b"));
    ASSERT_TRUE(m_catalogue.loadNewCommandMgrXml(text));
    EXPECT_EQ("S1.txt", m_catalogue.m_strTargetFile);
    EXPECT_EQ((std::vector<std::string>{"ping 10.1.2.3 -n 10 > S1.txt", "echo #ip# #IP S1.txt"}), Contents());
    ASSERT_EQ(2u, m_catalogue.m_mapGroupedCommands.size());
    const auto& group4 = m_catalogue.m_mapGroupedCommands.at(4);
    ASSERT_EQ(2u, group4.size());
    EXPECT_EQ("ping 10.1.2.310.1.2.3", group4[0].m_strContent);
    EXPECT_EQ("g4b", group4[1].m_strDesc);
    EXPECT_EQ("ping 114.114.114.114", m_catalogue.m_mapGroupedCommands.at(5)[0].m_strContent);

    // A server name that itself contains a placeholder is inserted once, never searched again.
    CNetChk_Catalogue odd;
    odd.SetServer("#FILE#", "10.1.2.3");
    ASSERT_TRUE(odd.loadNewCommandMgrXml(Document(Command(0, "#IP# #FILE#", "x"))));
    EXPECT_EQ("10.1.2.3 '#FILE#.txt'", odd.m_vecCommands[0].m_strContent);
}

TEST_F(CatalogueLoad, OnlyGroupedCommandsLoadAndRejectedDocumentsChangeNothing) {
    m_log.ExpectError("loadNewCommandMgrXml command 1 lacks the type, value or tips attribute");
    ASSERT_TRUE(m_catalogue.loadNewCommandMgrXml(Document(Command(5, "ping #IP#", "five"))));
    EXPECT_TRUE(m_catalogue.m_vecCommands.empty());
    EXPECT_EQ(1u, m_catalogue.m_mapGroupedCommands.count(5));
    EXPECT_EQ(0u, m_catalogue.m_mapGroupedCommands.count(4));

    m_catalogue.m_strTargetFile = "kept.txt";
    EXPECT_FALSE(m_catalogue.loadNewCommandMgrXml(Document(Command(0, "ping", "x"), "1")));
    EXPECT_TRUE(m_log.Has("CNetChk_CommandMgr::loadNewCommandMgrXml 使用旧配置表"));
    EXPECT_FALSE(m_catalogue.loadNewCommandMgrXml("<r><Config><UseOld>0</UseOld><ShowAdvice>1</ShowAdvice></Config>"
                                                  "<Commands><C type=\"0\" value=\"ping\" tips=\"t\"/><C type=\"0\"/></Commands></r>"));
    m_log.ExpectError("CNetChk_CommandMgr::loadNewCommandMgrXml net_check.xml配表错误！");
    EXPECT_FALSE(m_catalogue.loadNewCommandMgrXml("garbage"));
    m_log.ExpectError("CNetChk_CommandMgr::loadNewCommandMgrXml载入新配置失败！garbage");
    EXPECT_TRUE(m_catalogue.m_vecCommands.empty());
    EXPECT_EQ(1u, m_catalogue.m_mapGroupedCommands.size());
    EXPECT_EQ("kept.txt", m_catalogue.m_strTargetFile);
}

TEST_F(CatalogueLoad, DownloadsAreTriedInOrderAndTheAcceptedOneBecomesTheLocalCopy) {
    m_log.ExpectError("CNetChk_CommandMgr::loadNewCommandMgrXml载入新配置失败！");  // the damaged download
    const std::string good = Document(Command(0, "ping #IP#", "third"));
    WriteDescriptor(m_dir / "exe", {{"net_check", FileUrl(m_dir / "srv/missing.bin")},
                                    {"net_check2", Serve("useold.bin", Stored(Document(Command(0, "old", "x"), "1")))},
                                    {"net_check3", Serve("garbage.bin", std::string(32, '\x5a') + std::string("\x10\0\0\0", 4))},
                                    {"net_check4", Serve("good.bin", Stored(good))},
                                    {"net_check5", Serve("later.bin", Stored(Document(Command(0, "later", "x"))))}});
    ASSERT_TRUE(m_catalogue.initNewCommandMgr());
    EXPECT_EQ((std::vector<std::string>{"ping 10.1.2.3"}), Contents());
    m_log.ExpectError("InternetOpenUrl failed:");
    EXPECT_TRUE(m_log.Has("使用旧配置表"));
    EXPECT_FALSE(m_log.Has("later.bin"));
    // The copy holds the accepted plain document, encrypted; no temporary file is left behind.
    EXPECT_EQ(good, Plain(ReadTestFile(Exe("net_check.xml"))));
    EXPECT_FALSE(KXPlatform::GetFileAttributes(Exe("net_check.xml.tmp").c_str()).bExists);
}

TEST_F(CatalogueLoad, FailedDownloadsFallBackToTheLocalCopyThenToTheOldTable) {
    m_log.ExpectError("CNetChk_CommandMgr::loadNewCommandMgrXml载入新配置失败！");
    WriteDescriptor(m_dir / "exe", {{"net_check", Serve("useold.bin", Stored(Document("", "1")))},
                                    {"net_check2", "http://127.0.0.1:1/refused"}, {"net_check3", ""}});
    const std::string local = Document(Command(1, "ip route", "路由"));
    WriteTestFile(Exe("net_check.xml"), Stored(local));
    ASSERT_TRUE(m_catalogue.initNewCommandMgr());
    EXPECT_EQ((std::vector<std::string>{"ip route"}), Contents());
    m_log.ExpectError("CNetChk_CommandMgr::initNewCommandMgr网络检测命令配置表下载失败！");
    m_log.ExpectError("update_url.xml中第3个下载地址为空");
    // A declined download never replaced the copy.
    EXPECT_EQ(local, Plain(ReadTestFile(Exe("net_check.xml"))));

    // A local copy of the wrong length: new format fails, the old table takes over.
    WriteTestFile(Exe("net_check.xml"), Stored(local) + "x");
    WriteTestFile("config/sys/NetChkOption.csv",
                  "机房网段,目标文件,命令类型,命令内容,命令描述\n"
                  "10.1.2,a.txt,0,ping 10.1.2.3,第一\n"
                  "10.1.20,b.txt,1,never,x\n"
                  "10.1.2,c.txt,,ipconfig,第二\n");
    CNetChk_Catalogue second;
    second.SetExeDir(m_dir / "exe");
    second.SetServer("S1", "10.1.2.3");
    testing::internal::CaptureStderr();
    ASSERT_TRUE(second.initCommandMgr());
    EXPECT_EQ(KXPlatform::GbkToUtf8("源文件错误\n"), testing::internal::GetCapturedStderr());
    m_log.ExpectError("CNetChk_CommandMgr::initNewCommandMgr本地网络检测命令配置表读取失败！");
    ASSERT_EQ(2u, second.m_vecCommands.size());
    EXPECT_EQ("ipconfig", second.m_vecCommands[1].m_strContent);
    EXPECT_EQ(0, second.m_vecCommands[1].m_nType);
    EXPECT_EQ("第二", second.m_vecCommands[1].m_strDesc);
    EXPECT_EQ("c.txt", second.m_strTargetFile);
    EXPECT_TRUE(second.m_mapGroupedCommands.empty());
}

TEST_F(CatalogueLoad, DescriptorProblemsSkipTheLocalCopy) {
    WriteTestFile(Exe("net_check.xml"), Stored(Document(Command(0, "ping", "x"))));
    EXPECT_FALSE(m_catalogue.initNewCommandMgr());
    m_log.ExpectError("CNetChk_CommandMgr::initNewCommandMgr 读取update_url.xml失败");
    WriteDescriptor(m_dir / "exe", {{"net_check2", "file:///nowhere"}});
    EXPECT_FALSE(m_catalogue.initNewCommandMgr());
    m_log.ExpectError("CNetChk_CommandMgr::initNewCommandMgr update_url.xml中net_check未配置，请检查配表");
    EXPECT_FALSE(m_log.Has("loadEncryptXml"));
    EXPECT_TRUE(m_catalogue.m_vecCommands.empty());
}

TEST_F(CatalogueLoad, TrailerBeyondTheDataEndsTheNewFormatAtOnce) {
    m_log.ExpectError("CNetChk_CommandMgr::initNewCommandMgr网络检测命令配置表下载失败！");
    std::string stored = Stored(Document(Command(0, "ping", "x")));
    stored[stored.size() - 2] = 0x7f;  // the length now exceeds the decrypted bytes
    WriteDescriptor(m_dir / "exe", {{"net_check", Serve("long.bin", stored)},
                                    {"net_check2", Serve("good.bin", Stored(Document(Command(0, "second", "x"))))}});
    WriteTestFile(Exe("net_check.xml"), Stored(Document(Command(0, "local", "x"))));
    EXPECT_FALSE(m_catalogue.initNewCommandMgr());
    m_log.ExpectError("CNetChk_CommandMgr::initNewCommandMgr捕获异常");
    EXPECT_FALSE(m_log.Has("good.bin"));
    EXPECT_TRUE(m_catalogue.m_vecCommands.empty());

    // The same through the local copy.
    WriteDescriptor(m_dir / "exe", {{"net_check", FileUrl(m_dir / "srv/none")}});
    WriteTestFile(Exe("net_check.xml"), stored);
    m_log.Clear();
    EXPECT_FALSE(m_catalogue.initNewCommandMgr());
    m_log.ExpectError("捕获异常");
    EXPECT_FALSE(m_log.Has("本地网络检测命令配置表读取失败"));
}

TEST_F(CatalogueLoad, LocalCopyIsReplacedAtomicallyOrLeftAlone) {
    const std::string first = Document(Command(0, "first", "x"));
    m_catalogue.writeEncryptXml(first);
    EXPECT_EQ(first, m_catalogue.loadEncryptXml());

    // The temporary file cannot be made: the previous copy stays as it was.
    WriteTestFile(Exe("net_check.xml.tmp/blocker"), "");
    m_catalogue.writeEncryptXml(Document(Command(0, "second", "x")));
    m_log.ExpectError("[WL_ERROR] [M_Common]CNetChk_CommandMgr::writeEncryptXml " + Exe("net_check.xml") + "打开失败");
    EXPECT_EQ(first, m_catalogue.loadEncryptXml());

    // Missing copy and a directory in its place read as nothing.
    CNetChk_Catalogue other;
    other.SetExeDir(m_dir / "elsewhere");
    m_log.Clear();
    EXPECT_EQ("", other.loadEncryptXml());
    m_log.ExpectError("CNetChk_CommandMgr::loadEncryptXml");
    WriteTestFile(m_dir / "elsewhere/net_check.xml/inside", "");
    EXPECT_EQ("", other.loadEncryptXml());
}

TEST_F(CatalogueLoad, OldTableMatchesTheSegmentByteForByte) {
    m_log.ExpectError("CNetChk_CommandMgr::initOldCommandMgr找不到服务器S对应的大区网段10.20.30！");
    ScopedMessageBoxRecorder boxes;
    WriteTestFile("config/sys/NetChkOption.csv",
                  "机房网段,目标文件,命令类型,命令内容,命令描述\n"
                  "10.20.30.0,x.txt,0,wrong,x\n"
                  "\t10.20.30,y.txt,0,tab,x\n"
                  "10.20.30,first.txt,4294967297,ping 10.20.30.40,a\n"
                  "10.20.3,z.txt,0,shorter,x\n"
                  "10.20.30,last.txt,-2,tracert,b\n");
    CNetChk_Catalogue catalogue;
    catalogue.SetServer("S", "10.20.30.40");
    ASSERT_TRUE(catalogue.initOldCommandMgr());
    ASSERT_EQ(2u, catalogue.m_vecCommands.size());
    EXPECT_EQ("ping 10.20.30.40", catalogue.m_vecCommands[0].m_strContent);
    EXPECT_EQ(1, catalogue.m_vecCommands[0].m_nType);  // 2^32 + 1 kept in 32 bits
    EXPECT_EQ(-2, catalogue.m_vecCommands[1].m_nType);
    EXPECT_EQ("last.txt", catalogue.m_strTargetFile);
    EXPECT_EQ(0u, boxes.Count());

    // An address without a dot is its own segment; no match shows the box and fails.
    CNetChk_Catalogue nomatch;
    nomatch.SetServer("S9", "localhost");
    EXPECT_FALSE(nomatch.initOldCommandMgr());
    m_log.ExpectError("CNetChk_CommandMgr::initOldCommandMgr找不到服务器S9对应的大区网段localhost！");
    EXPECT_EQ((std::vector<std::string>{"匹配大区网段地址失败!"}), boxes.Texts());
    EXPECT_TRUE(nomatch.m_vecCommands.empty());

    // A header-only table counts as no match.
    WriteTestFile("config/sys/NetChkOption.csv", "机房网段,目标文件,命令类型,命令内容,命令描述\n");
    EXPECT_FALSE(catalogue.initOldCommandMgr());
    EXPECT_EQ(2u, boxes.Count());
}

TEST_F(CatalogueLoad, NothingAnywhereFailsWithTheTableBox) {
    m_log.ExpectError("CNetChk_CommandMgr::initNewCommandMgr 读取update_url.xml失败");
    ScopedMessageBoxRecorder boxes;
    EXPECT_FALSE(m_catalogue.initCommandMgr());
    m_log.ExpectError("CNetChk_CommandMgr::initOldCommandMgr网络检测命令配置表./config/sys/NetChkOption.csv加载失败！");
    EXPECT_EQ((std::vector<std::string>{"网络检测命令配置表加载失败!"}), boxes.Texts());
}

size_t OpenDescriptorCount() {
    size_t n = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd"); it != std::filesystem::directory_iterator(); ++it) ++n;
    return n;
}

TEST_F(CatalogueLoad, RepeatedSearchesLeaveNoOpenFiles) {
    m_log.AllowError("服务器地址不是IPv4地址");  // the fresh catalogues below have no server
    WriteDescriptor(m_dir / "exe", {{"net_check", FileUrl(m_dir / "srv/none")},
                                    {"net_check2", Serve("useold.bin", Stored(Document("", "1")))},
                                    {"net_check3", Serve("good.bin", Stored(Document(Command(0, "ping #IP#", "x"))))}});
    WriteTestFile(Exe("net_check.xml"), "short");
    ASSERT_TRUE(m_catalogue.initNewCommandMgr());  // warms up the download library
    const size_t uBefore = OpenDescriptorCount();
    for (int i = 0; i < 100; ++i) {
        CNetChk_Catalogue catalogue;
        catalogue.SetExeDir(m_dir / "exe");
        ASSERT_TRUE(catalogue.initNewCommandMgr());
        catalogue.loadEncryptXml();
    }
    EXPECT_EQ(uBefore, OpenDescriptorCount());
}

TEST_F(CatalogueLoad, ServerDefaultsToTheStartUpRecord) {
    g_DetailInfo.strServerName = "Zone7";
    g_DetailInfo.strServerIP = "192.168.7.9";
    CNetChk_Catalogue catalogue;
    ASSERT_TRUE(catalogue.loadNewCommandMgrXml(Document(Command(0, "ping #IP# > #FILE#", "x"))));
    EXPECT_EQ("ping 192.168.7.9 > Zone7.txt", catalogue.m_vecCommands[0].m_strContent);
    g_DetailInfo.strServerName.clear();
    g_DetailInfo.strServerIP.clear();
}

}  // namespace
