// The layout package reader: root rules, damaged components, hostile bytes, and pack or disk first.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "GuiTest_Layout.h"
#include "KX_GUI/ArkLayoutPackage.h"
#include "KX_Kernal/fileandpath/KXKernal_File.h"
#include "KX_Kernal/fileandpath/KXKernal_FilePack.h"
#include "KX_Kernal/fileandpath/KXKernal_PackWriter.h"
#include "common/NcTest_Logger.h"
#include "common/NcTest_TempDir.h"

namespace {

using ArkGui::CArkLayoutPackage;
using ArkGui::CArkLayoutTemplate;
using ArkGuiTest::MakeFullTemplate;

std::string U32(uint32_t u) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
    return s;
}

std::string Root(uint32_t uVersion, uint32_t uCount, const std::vector<std::string>& names) {
    std::string s = U32(0x00465541u) + U32(uVersion) + U32(uCount);
    for (const std::string& n : names) s += U32(static_cast<uint32_t>(n.size())) + n;
    return s;
}

class LayoutPackageTest : public ::testing::Test {
protected:
    LayoutPackageTest() { CKXKernal_File_Pack::ForgetOpenPacksForTests(); }
    ~LayoutPackageTest() override {
        CKXKernal_File_Pack::ForgetOpenPacksForTests();
        SetReadPackFirst(m_bPackFirst);
    }

    ScopedTempDir m_dir{true};
    ScopedLoggerReset m_logger;
    bool m_bPackFirst = GetReadPackFirst();
};

TEST_F(LayoutPackageTest, DamagedRootsLoadNothing) {
    const std::string strBody = ArkGui::WriteLayoutComponent(*MakeFullTemplate("A"));
    WriteTestFile("interface/netchkroot.A.auc", strBody);
    const std::string strLong(256, 'n');
    const std::string roots[] = {
        Root(10003, 1, {"A"}),                      // an older version
        Root(10004, 0, {}),                         // no component
        Root(10004, 0xFFFFFFFFu, {"A"}),            // a negative count
        Root(10004, 2, {"A"}),                      // a count the file does not hold
        Root(10004, 2, {"A", strLong}),             // a name over 255 bytes
        Root(10004, 1, {""}),                       // an empty name
        Root(10004, 1, {std::string("\0A", 2)}),   // a name empty before its NUL
        U32(0x00465542u) + U32(10004) + U32(1) + U32(1) + "A",
        Root(10004, 1, {"A"}).substr(0, 14),        // cut inside the name
    };
    for (const std::string& strRoot : roots) {
        WriteTestFile("interface/netchkroot.auf", strRoot);
        CArkLayoutPackage package;
        EXPECT_FALSE(package.Load("interface/netchkroot.auf"));
        EXPECT_EQ(package.FindTemplate("A"), nullptr);
        EXPECT_TRUE(package.GetNames().empty());
    }
    // The same component with a sound root loads, and a 255-byte name is still a name.
    WriteTestFile("interface/netchkroot.auf", Root(10004, 2, {"A", strLong.substr(1)}));
    CArkLayoutPackage package;
    ASSERT_TRUE(package.Load("interface/netchkroot.auf"));
    EXPECT_NE(package.FindTemplate("A"), nullptr);
    EXPECT_EQ(package.GetNames().size(), 2u);

    // A name ends at a NUL, so the component is found by the name it is loaded under.
    WriteTestFile("interface/netchkroot.auf", Root(10004, 1, {std::string("A\0junk", 6)}));
    CArkLayoutPackage cut;
    ASSERT_TRUE(cut.Load("interface/netchkroot.auf"));
    EXPECT_EQ(cut.GetNames(), std::vector<std::string>{"A"});
    EXPECT_NE(cut.FindTemplate("A"), nullptr);
}

TEST_F(LayoutPackageTest, ABadComponentStaysEmptyAndTheOthersLoad) {
    const std::string strBody = ArkGui::WriteLayoutComponent(*MakeFullTemplate("Good"));
    WriteTestFile("interface/netchkroot.auf", Root(10004, 3, {"Good", "Missing", "Cut"}));
    WriteTestFile("interface/netchkroot.Good.auc", strBody);
    WriteTestFile("interface/netchkroot.Cut.auc", strBody.substr(0, strBody.size() - 1));
    CArkLayoutPackage package;
    ASSERT_TRUE(package.Load("interface/netchkroot.auf"));
    const CArkLayoutTemplate* pGood = package.FindTemplate("Good");
    ASSERT_NE(pGood, nullptr);
    EXPECT_STREQ(pGood->GetName(), "Good");
    EXPECT_EQ(pGood->Children().size(), 3u);
    EXPECT_EQ(package.FindTemplate("Missing"), nullptr);
    EXPECT_EQ(package.FindTemplate("Cut"), nullptr);
    EXPECT_EQ(package.FindTemplate("Unknown"), nullptr);
    ASSERT_NE(package.PeekTemplate("Cut"), nullptr);
    EXPECT_FALSE(package.PeekTemplate("Cut")->IsLoaded());

    // An empty template is read again when asked for: a component that appears later is found.
    WriteTestFile("interface/netchkroot.Missing.auc", strBody);
    const CArkLayoutTemplate* pLate = package.FindTemplate("Missing");
    ASSERT_NE(pLate, nullptr);
    EXPECT_STREQ(pLate->GetName(), "Missing");
    EXPECT_STREQ(pLate->GetClass(), "CArkWnd");
}

TEST(LayoutComponent, EveryFieldSurvivesWritingAndParsing) {
    auto pSource = MakeFullTemplate();
    const std::string strBytes = ArkGui::WriteLayoutComponent(*pSource);
    CArkLayoutTemplate t;
    ASSERT_TRUE(ArkGui::ParseLayoutComponent(strBytes.data(), static_cast<uint32_t>(strBytes.size()), t));
    for (int e = ArkGui::ARK_LS_CLASS; e < ArkGui::ARK_LS_COUNT; ++e) {
        EXPECT_STREQ(t.GetString(static_cast<ArkGui::ArkLayoutString>(e)),
                     pSource->GetString(static_cast<ArkGui::ArkLayoutString>(e))) << e;
    }
    EXPECT_EQ(std::memcmp(&t.Body(), &pSource->Body(), sizeof(ArkGui::ArkLayoutBody)), 0);
    ASSERT_EQ(t.Entries().size(), 2u);
    EXPECT_FALSE(t.Entries()[0].bHasRect);
    ASSERT_EQ(t.Entries()[0].vecLayers.size(), 1u);
    const ArkGui::ArkLayoutLayer& layer = t.Entries()[0].vecLayers[0];
    EXPECT_EQ(layer.anHead[0], 2);
    ASSERT_EQ(layer.vecQuads.size(), 1u);
    EXPECT_STREQ(t.StringAt(layer.vecQuads[0].uImage), "q.png");
    EXPECT_EQ(layer.vecQuads[0].uColour, 0x80FFFFFFu);
    EXPECT_EQ(layer.vecQuads[0].fU1, 1.0f);
    EXPECT_TRUE(t.Entries()[1].bHasRect);
    EXPECT_EQ(t.Entries()[1].rc.nRight, 15);
    EXPECT_EQ(t.Entries()[1].rc.nBottom, 26);
    // Decorate strings belong to the decorate child only; the middleware's child is nested under it.
    ASSERT_EQ(t.Children().size(), 3u);
    EXPECT_TRUE(t.Children()[0]->HasDecorate());
    EXPECT_STREQ(t.Children()[0]->GetString(ArkGui::ARK_LS_DECORATE_PIECES), "x/lt.png;t.png");
    EXPECT_FALSE(t.Children()[1]->HasDecorate());
    ASSERT_NE(t.FindChild("Mid"), nullptr);
    ASSERT_EQ(t.FindChild("Mid")->Children().size(), 1u);
    EXPECT_STREQ(t.FindChild("Mid")->Children()[0]->GetName(), "Inner");
    EXPECT_EQ(t.FindChild("Inner"), nullptr);
    // One block holds every string of a template.
    EXPECT_LT(t.GetBlockSize(), strBytes.size());
}

TEST(LayoutComponent, LimitsOnNamesDecorateStringsAndTrailingBytes) {
    auto pSource = MakeFullTemplate();
    auto Parses = [](const CArkLayoutTemplate& src) {
        const std::string s = ArkGui::WriteLayoutComponent(src);
        CArkLayoutTemplate t;
        return ArkGui::ParseLayoutComponent(s.data(), static_cast<uint32_t>(s.size()), t);
    };
    pSource->AddChild(std::string(255, 'c'))->SetString(ArkGui::ARK_LS_CLASS, "CArkWnd");
    EXPECT_TRUE(Parses(*pSource));
    pSource->AddChild(std::string(256, 'c'))->SetString(ArkGui::ARK_LS_CLASS, "CArkWnd");
    EXPECT_FALSE(Parses(*pSource));

    auto pDecorate = MakeFullTemplate();
    CArkLayoutTemplate* pFrame = pDecorate->AddChild("Frame2");
    pFrame->SetString(ArkGui::ARK_LS_CLASS, "CDecorateWnd");
    pFrame->SetString(ArkGui::ARK_LS_DECORATE_PIECES, std::string(259, 'p'));
    EXPECT_TRUE(Parses(*pDecorate));
    pFrame->SetString(ArkGui::ARK_LS_DECORATE_TYPE, std::string(260, 't'));
    EXPECT_FALSE(Parses(*pDecorate));

    std::string s = ArkGui::WriteLayoutComponent(*MakeFullTemplate()) + "x";
    CArkLayoutTemplate t;
    EXPECT_FALSE(ArkGui::ParseLayoutComponent(s.data(), static_cast<uint32_t>(s.size()), t));
    EXPECT_FALSE(t.IsLoaded());
    EXPECT_TRUE(t.Children().empty());
}

// A child's name is a C string once loaded: what the reader keeps of it must be what the writer writes.
TEST(LayoutComponent, ChildNamesEndAtTheirNul) {
    CArkLayoutTemplate src;
    src.SetString(ArkGui::ARK_LS_CLASS, "CArkWnd");
    src.AddChild("Kid")->SetString(ArkGui::ARK_LS_CLASS, "CArkWnd");
    const std::string strGood = ArkGui::WriteLayoutComponent(src);
    const std::string strName = U32(3) + "Kid";
    const size_t uAt = strGood.find(strName);
    ASSERT_NE(uAt, std::string::npos);
    auto WithName = [&](const std::string& strRaw) {
        std::string s = strGood;
        return s.replace(uAt, strName.size(), U32(static_cast<uint32_t>(strRaw.size())) + strRaw);
    };
    CArkLayoutTemplate t, again;
    const std::string strTail = WithName(std::string("Kid\0junk", 8));
    ASSERT_TRUE(ArkGui::ParseLayoutComponent(strTail.data(), static_cast<uint32_t>(strTail.size()), t));
    ASSERT_NE(t.FindChild("Kid"), nullptr);
    const std::string strWritten = ArkGui::WriteLayoutComponent(t);
    EXPECT_EQ(strWritten, strGood);
    ASSERT_TRUE(ArkGui::ParseLayoutComponent(strWritten.data(), static_cast<uint32_t>(strWritten.size()), again));
    // Empty before its NUL, the name would be written back as the empty name no reader accepts.
    const std::string strEmpty = WithName(std::string("\0Kid", 4));
    EXPECT_FALSE(ArkGui::ParseLayoutComponent(strEmpty.data(), static_cast<uint32_t>(strEmpty.size()), t));
    EXPECT_FALSE(t.IsLoaded());
    EXPECT_TRUE(t.Children().empty());
}

// Middleware inside middleware, nDepth lists deep.
std::string Nested(int nDepth) {
    auto p = std::make_unique<CArkLayoutTemplate>();
    p->SetString(ArkGui::ARK_LS_CLASS, "CArkWnd");
    CArkLayoutTemplate* pAt = p.get();
    for (int i = 0; i < nDepth; ++i) {
        pAt = pAt->AddChild("m" + std::to_string(i));
        pAt->SetString(ArkGui::ARK_LS_CLASS, "CArkMiddlewareWnd");
    }
    return ArkGui::WriteLayoutComponent(*p);
}

TEST(LayoutComponent, HostileBytesNeverReadOutsideOrAllocateWildly) {
    const std::string strGood = ArkGui::WriteLayoutComponent(*MakeFullTemplate());
    CArkLayoutTemplate t;
    // Cut at every offset: only the whole file parses.
    for (size_t n = 0; n < strGood.size(); ++n) {
        std::vector<char> cut(strGood.begin(), strGood.begin() + static_cast<long>(n));
        EXPECT_FALSE(ArkGui::ParseLayoutComponent(cut.data(), static_cast<uint32_t>(n), t)) << n;
        EXPECT_FALSE(t.IsLoaded());
    }
    // Every aligned word replaced by huge and negative lengths and counts.
    for (uint32_t uValue : {0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 0xFFFFFFF0u}) {
        for (size_t n = 0; n + 4 <= strGood.size(); ++n) {
            std::vector<char> bad(strGood.begin(), strGood.end());
            for (int i = 0; i < 4; ++i) bad[n + i] = static_cast<char>((uValue >> (8 * i)) & 0xFF);
            if (ArkGui::ParseLayoutComponent(bad.data(), static_cast<uint32_t>(bad.size()), t)) {
                // Only a plain value can take such a word; the strings still fit in the file.
                EXPECT_LE(t.GetBlockSize(), bad.size()) << n;
            }
        }
    }
    // Nesting is bounded: sixteen levels of middleware load, seventeen do not.
    const std::string strDeep = Nested(ArkGui::ARK_LAYOUT_MAX_NESTING);
    EXPECT_TRUE(ArkGui::ParseLayoutComponent(strDeep.data(), static_cast<uint32_t>(strDeep.size()), t));
    const std::string strTooDeep = Nested(ArkGui::ARK_LAYOUT_MAX_NESTING + 1);
    EXPECT_FALSE(ArkGui::ParseLayoutComponent(strTooDeep.data(), static_cast<uint32_t>(strTooDeep.size()), t));
    // A hundred thousand levels end at the bound instead of at the stack's end.
    const std::string strTop = Nested(0), strMid = Nested(1).substr(strTop.size() + 6);
    std::string strFlood = strTop.substr(0, strTop.size() - 4);
    for (int i = 0; i < 100000; ++i) strFlood += U32(1) + U32(1) + "m" + strMid.substr(0, strMid.size() - 4);
    strFlood += U32(0);
    EXPECT_FALSE(ArkGui::ParseLayoutComponent(strFlood.data(), static_cast<uint32_t>(strFlood.size()), t));
}

TEST_F(LayoutPackageTest, PackFirstAndDiskFirstLoadTheirOwnCopy) {
    auto pDisk = MakeFullTemplate("Main");
    auto pPacked = MakeFullTemplate("Main");
    pPacked->SetString(ArkGui::ARK_LS_CAPTION, "packed");
    WriteTestFile("interface/netchkroot.auf", Root(10004, 1, {"Main"}));
    WriteTestFile("interface/netchkroot.Main.auc", ArkGui::WriteLayoutComponent(*pDisk));
    CKXKernal_PackWriter writer;
    ASSERT_TRUE(writer.AddBytes("netchkroot.auf", Root(10004, 1, {"Main"})));
    ASSERT_TRUE(writer.AddBytes("netchkroot.Main.auc", ArkGui::WriteLayoutComponent(*pPacked)));
    ASSERT_TRUE(writer.Write("interface.wdf", true));

    SetReadPackFirst(true);
    CArkLayoutPackage fromPack;
    ASSERT_TRUE(fromPack.Load("interface/netchkroot.auf"));
    ASSERT_NE(fromPack.FindTemplate("Main"), nullptr);
    EXPECT_STREQ(fromPack.FindTemplate("Main")->GetString(ArkGui::ARK_LS_CAPTION), "packed");

    SetReadPackFirst(false);
    CArkLayoutPackage fromDisk;
    ASSERT_TRUE(fromDisk.Load("interface/netchkroot.auf"));
    ASSERT_NE(fromDisk.FindTemplate("Main"), nullptr);
    EXPECT_STREQ(fromDisk.FindTemplate("Main")->GetString(ArkGui::ARK_LS_CAPTION), "caption");
}

}  // namespace
