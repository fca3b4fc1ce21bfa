// The update descriptor and the catalogue document as read through TinyXML-2.
#include "netcheck/catalogue/NcTest_CatalogueFiles.h"
#include "netcheck/catalogue/NetChk_CatalogueXml.h"

#include <gtest/gtest.h>

namespace {

using namespace cataloguefiles;

std::string Repeat(const std::string& strPiece, int nTimes) {
    std::string s;
    for (int i = 0; i < nTimes; ++i) s += strPiece;
    return s;
}
using NetChk_CatalogueXml::DescriptorStatus;
using NetChk_CatalogueXml::DocumentStatus;

TEST(UpdateDescriptor, AddressesEndAtTheFirstGapWhateverTheOrder) {
    ScopedTempDir dir;
    WriteDescriptor(dir.Path(), {{"net_check4", "http://d/4"}, {"net_check2", "http://b/2"}, {"net_check", "http://a/1"}});
    std::vector<std::string> urls;
    ASSERT_EQ(DescriptorStatus::Ok, NetChk_CatalogueXml::ReadUpdateDescriptor(dir / "patch/update_url.xml", urls));
    EXPECT_EQ((std::vector<std::string>{"http://a/1", "http://b/2"}), urls);

    // An address without text stays in the list as "" (the loader skips it); the list goes on after it.
    WriteDescriptor(dir.Path(), {{"net_check", "http://a/1"}, {"net_check2", ""}, {"net_check3", "http://c/3"}});
    ASSERT_EQ(DescriptorStatus::Ok, NetChk_CatalogueXml::ReadUpdateDescriptor(dir / "patch/update_url.xml", urls));
    EXPECT_EQ((std::vector<std::string>{"http://a/1", "", "http://c/3"}), urls);
}

TEST(UpdateDescriptor, MissingBrokenAndHostileDescriptors) {
    ScopedTempDir dir;
    std::vector<std::string> urls{"stale"};
    EXPECT_EQ(DescriptorStatus::Unreadable, NetChk_CatalogueXml::ReadUpdateDescriptor(dir / "none.xml", urls));
    EXPECT_TRUE(urls.empty());

    WriteDescriptor(dir.Path(), {{"net_check2", "http://b/2"}});
    EXPECT_EQ(DescriptorStatus::NoNetCheck, NetChk_CatalogueXml::ReadUpdateDescriptor(dir / "patch/update_url.xml", urls));

    const std::pair<const char*, std::string> broken[] = {
        {"empty", ""},
        {"not xml", "just some text"},
        {"binary", std::string("\0\xff\xfe<\0>", 6)},
        {"deep", std::string(200000, '<') + "x"},
        {"nested", Repeat("<a>", 5000)},
        // Deep nesting whose closing tags only look closed (inside comments and attribute values).
        {"nesting behind comments", "<update>" + Repeat("<a><!--</a>-->", 100000)},
        {"nesting behind attributes", "<update>" + Repeat("<a x=\"/>\">", 100000)},
    };
    for (const auto& b : broken) {
        WriteTestFile(dir / "bad.xml", b.second);
        EXPECT_EQ(DescriptorStatus::Unreadable, NetChk_CatalogueXml::ReadUpdateDescriptor(dir / "bad.xml", urls)) << b.first;
    }
    // A directory where the file should be.
    WriteTestFile(dir / "asdir/x", "");
    EXPECT_EQ(DescriptorStatus::Unreadable, NetChk_CatalogueXml::ReadUpdateDescriptor(dir / "asdir", urls));
}

TEST(CatalogueDocument, CommandsInDocumentOrderWithTypesReadLikeAtoi) {
    const std::string text = Document(Command(0, "ping #IP# -c 4", "延迟") +
                                      "    <!-- a note between commands -->\n"
                                      "    <Other type=\"  4xyz\" value=\"a &amp; b\" tips=\"t\"/>\n"
                                      "    <Cmd type=\"-3\" value=\"  two  spaces  \" tips=\"\"/>\n"
                                      "    <Cmd type=\"none\" value=\"v\" tips=\"t\"/>\n");
    NetChk_CatalogueXml::CatalogueDocument doc;
    ASSERT_EQ(DocumentStatus::Ok, NetChk_CatalogueXml::ParseCatalogueDocument(text, doc));
    ASSERT_EQ(4u, doc.vecCommands.size());
    EXPECT_EQ(0, doc.vecCommands[0].m_nType);
    EXPECT_EQ("ping #IP# -c 4", doc.vecCommands[0].m_strContent);
    EXPECT_EQ("延迟", doc.vecCommands[0].m_strDesc);
    EXPECT_EQ(4, doc.vecCommands[1].m_nType);
    EXPECT_EQ("a & b", doc.vecCommands[1].m_strContent);
    EXPECT_EQ(-3, doc.vecCommands[2].m_nType);
    EXPECT_EQ("  two  spaces  ", doc.vecCommands[2].m_strContent);
    EXPECT_EQ(0, doc.vecCommands[3].m_nType);
    EXPECT_EQ("1", doc.strShowAdvice);

    // A long catalogue is no hostile one.
    ASSERT_EQ(DocumentStatus::Ok, NetChk_CatalogueXml::ParseCatalogueDocument(Document(Repeat(Command(1, "ip addr", "x"), 1000)), doc));
    EXPECT_EQ(1000u, doc.vecCommands.size());
}

// A GBK lead byte at the end of a value, under a declaration or a byte-order mark that announces UTF-8,
// once made the parser step over the terminator and go on reading whatever followed in memory. Here
// the bytes after a NUL would complete the document: reading them would accept it.
TEST(CatalogueDocument, NothingPastTheFirstNulIsRead) {
    const std::string config = "<Config><UseOld>0</UseOld><ShowAdvice>1</ShowAdvice></Config>";
    const std::string hidden[] = {
        "<?xml?><r>" + config + "<Commands><C type=\"1\" tips=\"t\" value=\"" + std::string(16, 'a') + "\xCE" +
            std::string(1, '\0') + "\"/></Commands></r>",
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?><r>" + config + "<Commands/><t>" + std::string(20, 'a') +
            "\xEF" + std::string(1, '\0') + "/t></r>",
    };
    for (const std::string& text : hidden) {
        NetChk_CatalogueXml::CatalogueDocument doc;
        EXPECT_EQ(DocumentStatus::NoRoot, NetChk_CatalogueXml::ParseCatalogueDocument(text, doc)) << text;
    }
    // A byte-order mark and a UTF-8 declaration are no reason to refuse a document, nor is a GBK value
    // that ends in a lead byte right before its closing quote.
    NetChk_CatalogueXml::CatalogueDocument doc;
    ASSERT_EQ(DocumentStatus::Ok, NetChk_CatalogueXml::ParseCatalogueDocument(
                                      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?><r>" + config +
                                          "<Commands><C type=\"2\" value=\"v\xCE\" tips=\"\xD6\"/></Commands></r>",
                                      doc));
    ASSERT_EQ(1u, doc.vecCommands.size());
    EXPECT_EQ("v\xCE", doc.vecCommands[0].m_strContent);
    EXPECT_EQ("\xD6", doc.vecCommands[0].m_strDesc);
}

// Nesting is bounded by the parser, so no accepted document costs more than a shallow one of its size.
TEST(CatalogueDocument, NestingDeeperThanTheParserBoundHasNoRoot) {
    auto nested = [](int nDepth) {
        return "<r><Config><UseOld>0</UseOld><ShowAdvice>1</ShowAdvice></Config><Commands/>" +
               Repeat("<a>", nDepth - 1) + Repeat("</a>", nDepth - 1) + "</r>";
    };
    NetChk_CatalogueXml::CatalogueDocument doc;
    EXPECT_EQ(DocumentStatus::Ok, NetChk_CatalogueXml::ParseCatalogueDocument(nested(NetChk_CatalogueXml::kDeepestNesting), doc));
    EXPECT_EQ(DocumentStatus::NoRoot, NetChk_CatalogueXml::ParseCatalogueDocument(nested(NetChk_CatalogueXml::kDeepestNesting + 1), doc));
}

TEST(CatalogueDocument, UseOldDeclinesOnlyForExactlyOne) {
    NetChk_CatalogueXml::CatalogueDocument doc;
    EXPECT_EQ(DocumentStatus::UseOld, NetChk_CatalogueXml::ParseCatalogueDocument(Document("", "1"), doc));
    EXPECT_EQ(DocumentStatus::Ok, NetChk_CatalogueXml::ParseCatalogueDocument(Document("", "11"), doc));
    EXPECT_EQ(DocumentStatus::Ok, NetChk_CatalogueXml::ParseCatalogueDocument(Document("", "0"), doc));
    EXPECT_EQ(DocumentStatus::Ok, NetChk_CatalogueXml::ParseCatalogueDocument(Document("", "yes"), doc));
    // UseOld is read first: a declining document needs neither ShowAdvice nor Commands.
    EXPECT_EQ(DocumentStatus::UseOld, NetChk_CatalogueXml::ParseCatalogueDocument("<r><Config><UseOld>1</UseOld></Config></r>", doc));
}

TEST(CatalogueDocument, BrokenShapesAreRejected) {
    const std::string config = "<Config><UseOld>0</UseOld><ShowAdvice>1</ShowAdvice></Config>";
    const struct {
        const char* szName;
        std::string text;
        DocumentStatus expected;
    } cases[] = {
        {"empty", "", DocumentStatus::NoRoot},
        {"text", "not a document", DocumentStatus::NoRoot},
        {"NUL bytes", std::string("\0<a/>", 5), DocumentStatus::NoRoot},
        {"deep nesting", std::string(100000, '<'), DocumentStatus::NoRoot},
        {"nesting behind comments", "<r>" + Repeat("<a><!--</a>-->", 100000), DocumentStatus::NoRoot},
        {"nesting behind attributes", "<r>" + Repeat("<a x=\"/>\">", 100000), DocumentStatus::NoRoot},
        {"nesting behind CDATA", "<r>" + Repeat("<a><![CDATA[</a>]]>", 100000), DocumentStatus::NoRoot},
        {"no Config", "<r><Commands/></r>", DocumentStatus::NoConfig},
        {"config in wrong case", "<r><config><UseOld>0</UseOld><ShowAdvice>1</ShowAdvice></config><Commands/></r>",
         DocumentStatus::NoConfig},
        {"no UseOld", "<r><Config><ShowAdvice>1</ShowAdvice></Config><Commands/></r>", DocumentStatus::Malformed},
        {"empty UseOld", "<r><Config><UseOld/><ShowAdvice>1</ShowAdvice></Config><Commands/></r>", DocumentStatus::Malformed},
        {"no ShowAdvice", "<r><Config><UseOld>0</UseOld></Config><Commands/></r>", DocumentStatus::Malformed},
        {"ShowAdvice without text", "<r><Config><UseOld>0</UseOld><ShowAdvice></ShowAdvice></Config><Commands/></r>",
         DocumentStatus::Malformed},
        {"no Commands", "<r>" + config + "</r>", DocumentStatus::Malformed},
        {"text in Commands", "<r>" + config + "<Commands>loose text<C type=\"1\" value=\"v\" tips=\"t\"/></Commands></r>",
         DocumentStatus::Malformed},
        {"no type", "<r>" + config + "<Commands><C value=\"v\" tips=\"t\"/></Commands></r>", DocumentStatus::Malformed},
        {"no value", "<r>" + config + "<Commands><C type=\"1\" tips=\"t\"/></Commands></r>", DocumentStatus::Malformed},
        {"no tips", "<r>" + config + "<Commands><C type=\"1\" value=\"v\"/></Commands></r>", DocumentStatus::Malformed},
    };
    for (const auto& c : cases) {
        NetChk_CatalogueXml::CatalogueDocument doc;
        EXPECT_EQ(c.expected, NetChk_CatalogueXml::ParseCatalogueDocument(c.text, doc)) << c.szName;
        EXPECT_TRUE(doc.vecCommands.empty()) << c.szName;
        if (c.expected == DocumentStatus::Malformed) {
            EXPECT_FALSE(doc.strProblem.empty()) << c.szName;
        }
    }
}

}  // namespace
