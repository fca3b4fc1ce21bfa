// The catalogue files the program ships with: they must load the way the Linux check expects.
#include "netcheck/catalogue/NcTest_CatalogueFiles.h"
#include "common/NcTest_MessageBox.h"
#include "common/NcTest_Paths.h"
#include "KX_Platform/KXPlatform_Encoding.h"
#include "netcheck/catalogue/NetChk_Catalogue.h"
#include "netcheck/catalogue/NetChk_CatalogueXml.h"

#include <gtest/gtest.h>


namespace {

std::string SourceFile(const std::string& rel) { return ReadTestFile(NcTestSourceDir() + "/" + rel); }

TEST(ShippedCatalogue, NewFormatHasBothGroupsAndTheOrderedChecks) {
    const std::string text = KXPlatform::Utf8ToGbk(SourceFile("data_exe/net_check.xml"));
    ASSERT_FALSE(text.empty());
    CNetChk_Catalogue catalogue;
    catalogue.SetServer("S1", "10.1.2.3");
    ASSERT_TRUE(catalogue.loadNewCommandMgrXml(text));
    ASSERT_EQ(2u, catalogue.m_mapGroupedCommands.at(4).size());
    for (const NetChkCommand& c : catalogue.m_mapGroupedCommands.at(4)) EXPECT_EQ("ping -c 4 -W 2 10.1.2.3", c.m_strContent);
    const auto& group5 = catalogue.m_mapGroupedCommands.at(5);
    ASSERT_EQ(2u, group5.size());
    EXPECT_NE(std::string::npos, group5[0].m_strContent.find("10.1.2.3"));
    EXPECT_EQ(std::string::npos, group5[1].m_strContent.find("10.1.2.3"));
    ASSERT_FALSE(catalogue.m_vecCommands.empty());
    EXPECT_EQ(2, catalogue.m_vecCommands[0].m_nType);
    EXPECT_NE(std::string::npos, catalogue.m_vecCommands[0].m_strContent.find("> S1.txt"));
    for (const NetChkCommand& c : catalogue.m_vecCommands) EXPECT_FALSE(c.m_strDesc.empty());
    // It survives the storage format it is shipped in.
    EXPECT_EQ(text, cataloguefiles::Plain(cataloguefiles::Stored(text)));
}

TEST(ShippedCatalogue, DescriptorAndOldTableAreUsable) {
    ScopedTempDir dir(true);
    WriteTestFile(dir / "patch/update_url.xml", SourceFile("data_exe/patch/update_url.xml"));
    std::vector<std::string> urls;
    ASSERT_EQ(NetChk_CatalogueXml::DescriptorStatus::Ok,
              NetChk_CatalogueXml::ReadUpdateDescriptor(dir / "patch/update_url.xml", urls));
    ASSERT_EQ(1u, urls.size());
    EXPECT_EQ(0u, urls[0].rfind("http://", 0));

    WriteTestFile("config/sys/NetChkOption.csv", KXPlatform::Utf8ToGbk(SourceFile("data/config/sys/NetChkOption.csv")));
    ScopedMessageBoxRecorder boxes;
    CNetChk_Catalogue catalogue;
    catalogue.SetServer("S", "127.0.0.1");
    ASSERT_TRUE(catalogue.initOldCommandMgr());
    EXPECT_EQ(0, catalogue.m_vecCommands.at(0).m_nType);
    EXPECT_EQ("QVRT_local.txt", catalogue.m_strTargetFile);
    EXPECT_EQ(0u, boxes.Count());
}

}  // namespace
