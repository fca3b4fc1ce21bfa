// Fonts: GBK measuring, the glyph cache (no FreeType call for cached text) and text on read-back pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "KX_Renderer/KXFontTable.h"
#include "KX_Renderer/KXFont_Face.h"
#include "KX_Renderer/KXRenderer.h"
#include "common/NcTest_TempDir.h"

using namespace KXRenderer;

namespace {

// The free CJK face that stands in for "resource/simhei.ttf".
const char* const kHeiFace = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";

class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::ifstream(kHeiFace).good()) GTEST_SKIP() << kHeiFace << " is not installed (fonts-wqy-zenhei)";
        m_pFont = CKXFont::Open(kHeiFace, 16);
        ASSERT_NE(m_pFont, nullptr);
    }
    std::shared_ptr<CKXFont> m_pFont;
};

TEST_F(FontTest, MeasuresGbkDoubleByteText) {
    const int nZhong = m_pFont->MeasureText("中");
    const int nA = m_pFont->MeasureText("a");
    EXPECT_GE(nZhong, 14);  // a full-width character is about one em
    EXPECT_LE(nZhong, 18);
    EXPECT_GT(nA, 0);
    EXPECT_LT(nA, nZhong);
    EXPECT_EQ(m_pFont->MeasureText("中文"), nZhong + m_pFont->MeasureText("文"));
    EXPECT_EQ(m_pFont->MeasureText("a中a"), 2 * nA + nZhong);
    // Lengths count bytes: three bytes of "中文" are one character and a lone lead byte ('?').
    EXPECT_EQ(m_pFont->MeasureText("中文", 3), nZhong + m_pFont->MeasureText("?"));
    EXPECT_EQ(m_pFont->MeasureText("中文", 2), nZhong);
    EXPECT_EQ(m_pFont->MeasureText("a\nb"), m_pFont->MeasureText("ab"));  // line breaks take no room
    EXPECT_EQ(m_pFont->MeasureText(""), 0);
    EXPECT_EQ(m_pFont->MeasureText(nullptr), 0);
    EXPECT_GE(m_pFont->GetLineHeight(), m_pFont->GetAscent());
}

TEST_F(FontTest, HitTestNeverSplitsADoubleByteCharacter) {
    const int nZhong = m_pFont->MeasureText("中");
    const char* szText = "中a文";  // bytes: 0-1 "中", 2 "a", 3-4 "文"
    EXPECT_EQ(m_pFont->HitTestText(szText, -1, 0), 0);
    EXPECT_EQ(m_pFont->HitTestText(szText, -1, nZhong / 2 - 1), 0);
    EXPECT_EQ(m_pFont->HitTestText(szText, -1, nZhong - 1), 2);
    EXPECT_EQ(m_pFont->HitTestText(szText, -1, nZhong + m_pFont->MeasureText("a") + 1), 3);
    EXPECT_EQ(m_pFont->HitTestText(szText, -1, 1000), 5);
}

TEST_F(FontTest, CachedTextMakesNoFreeTypeCalls) {
    auto pRenderer = CreateSoftwareRenderer(200, 40);
    ASSERT_NE(pRenderer, nullptr);
    const char* szText = "网络检测 Ping 32ms";
    uint64_t uBefore = CKXFont::GetFreeTypeCallCount();
    ASSERT_TRUE(pRenderer->BeginFrame(0xFF000000u));
    pRenderer->DrawText(m_pFont.get(), szText, -1, 2, 2, 0xFFFFFFFFu, 0xFF000000u);
    pRenderer->EndFrame();
    EXPECT_GT(CKXFont::GetFreeTypeCallCount(), uBefore);
    const size_t nCached = m_pFont->GetCachedGlyphCount();

    uBefore = CKXFont::GetFreeTypeCallCount();
    const uint64_t uUploads = pRenderer->GetStats().uTextureUploads;
    ASSERT_TRUE(pRenderer->BeginFrame(0xFF000000u));
    pRenderer->DrawText(m_pFont.get(), szText, -1, 2, 2, 0xFFFFFFFFu, 0xFF000000u);
    pRenderer->DrawText(m_pFont.get(), "检测", -1, 2, 20, 0xFFFFFFFFu, 0);
    EXPECT_GT(m_pFont->MeasureText(szText), 0);
    pRenderer->EndFrame();
    EXPECT_EQ(CKXFont::GetFreeTypeCallCount(), uBefore);
    EXPECT_EQ(m_pFont->GetCachedGlyphCount(), nCached);
    EXPECT_EQ(pRenderer->GetStats().uTextureUploads, uUploads);  // the glyph page is not sent again

    // A new character is one more rasterisation, then cached as well.
    m_pFont->MeasureText("器");
    EXPECT_GT(CKXFont::GetFreeTypeCallCount(), uBefore);
    EXPECT_EQ(m_pFont->GetCachedGlyphCount(), nCached + 1);
}

TEST_F(FontTest, TextAndEdgeColoursReachThePixels) {
    auto pRenderer = CreateSoftwareRenderer(64, 32);
    ASSERT_NE(pRenderer, nullptr);
    const uint32_t kBack = 0xFF0000FFu, kText = 0xFFFFFF00u, kEdge = 0xFFFF0000u;
    auto CountColour = [&](uint32_t uEdge) {
        EXPECT_TRUE(pRenderer->BeginFrame(kBack));
        pRenderer->DrawText(m_pFont.get(), "田", -1, 10, 5, kText, uEdge);
        pRenderer->EndFrame();
        std::vector<uint32_t> vec;
        EXPECT_TRUE(pRenderer->ReadFrame(vec));
        int nText = 0, nEdge = 0, nOutside = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 64; ++x) {
                uint32_t c = vec[static_cast<size_t>(y * 64 + x)];
                // Anti-aliased strokes: classify by the channels, not by exact colours.
                const uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
                if (r > 200 && g > 200 && b < 60) ++nText;
                if (r > 200 && g < 60 && b < 60) ++nEdge;
                // Nothing may land outside the character's box (one pixel of edge around it).
                if (c != kBack && (x < 9 || x > 10 + 18 || y < 4)) ++nOutside;
            }
        }
        EXPECT_EQ(nOutside, 0);
        return std::make_pair(nText, nEdge);
    };
    auto plain = CountColour(0);
    EXPECT_GT(plain.first, 20);  // "田" has long strokes
    EXPECT_EQ(plain.second, 0);
    auto edged = CountColour(kEdge);
    EXPECT_GT(edged.second, 20);
    EXPECT_GT(edged.first, 0);
}

// The face reads its file where it lies: opening it and drawing a line of text touches a small part.
TEST(FontFace, ReadsOnlyWhatItNeedsOfItsFile) {
    class CCountingSource : public IKXFontSource {
    public:
        explicit CCountingSource(const char* szPath) : m_in(szPath, std::ios::binary) {
            m_in.seekg(0, std::ios::end);
            m_uSize = static_cast<uint32_t>(m_in.tellg());
        }
        uint32_t GetSize() const override { return m_uSize; }
        uint32_t ReadAt(uint32_t uOffset, unsigned char* pOut, uint32_t uCount) override {
            m_in.clear();
            m_in.seekg(uOffset);
            m_in.read(reinterpret_cast<char*>(pOut), uCount);
            uBytesRead += static_cast<uint64_t>(m_in.gcount());
            return static_cast<uint32_t>(m_in.gcount());
        }
        uint64_t uBytesRead = 0;

    private:
        std::ifstream m_in;
        uint32_t m_uSize = 0;
    };
    if (!std::ifstream(kHeiFace).good()) GTEST_SKIP() << kHeiFace << " is not installed";
    auto pSource = std::make_shared<CCountingSource>(kHeiFace);
    std::string strError;
    std::unique_ptr<CKXFontFace> pFace = CKXFontFace::Open(pSource, 14, strError);
    ASSERT_NE(pFace, nullptr) << strError;
    KXGlyphBitmap glyph;
    for (uint32_t cp : {0x7F51u, 0x7EDCu, 0x68C0u, 0x6D4Bu, 0x50u, 0x69u, 0x6Eu, 0x67u}) {
        ASSERT_TRUE(pFace->RenderGlyph(cp, glyph));
        EXPECT_GT(glyph.nAdvance, 0);
    }
    EXPECT_GT(pSource->uBytesRead, 0u);
    EXPECT_LT(pSource->uBytesRead, pSource->GetSize() / 8) << "of " << pSource->GetSize() << " bytes";
}

// Thousands of different characters: the font starts its cache over instead of growing without end,
// and measures the same afterwards.
TEST_F(FontTest, TheGlyphCacheIsBounded) {
    const int nZhong = m_pFont->MeasureText("中");
    size_t uMostPages = 0;
    for (int nLead = 0xB0; nLead <= 0xD7; ++nLead) {
        for (int nTrail = 0xA1; nTrail <= 0xFE; ++nTrail) {
            const char acChar[3] = {static_cast<char>(nLead), static_cast<char>(nTrail), '\0'};
            m_pFont->MeasureText(acChar);
            uMostPages = std::max(uMostPages, m_pFont->GetPageCount());
        }
    }
    EXPECT_GT(m_pFont->GetCachedGlyphCount(), 3000u);
    EXPECT_LE(uMostPages, 9u);  // the limit, plus what one text may need past it
    EXPECT_EQ(m_pFont->MeasureText("中"), nZhong);
}

TEST(FontOpen, MissingOrBrokenFilesGiveNoFont) {
    ScopedTempDir dir(true);
    EXPECT_EQ(CKXFont::Open("resource/none.ttf", 14), nullptr);
    WriteTestFile("bad.ttf", "no font here");
    EXPECT_EQ(CKXFont::Open("bad.ttf", 14), nullptr);
}

TEST(GuiFontTable, SizeRuleAndFaceNames) {
    int nEntry = -7, nSize = -7;
    ASSERT_TRUE(CKXGuiFontTable::SelectEntry(12, true, nEntry, nSize));
    EXPECT_EQ(nEntry, 1);
    EXPECT_EQ(nSize, 14);
    ASSERT_TRUE(CKXGuiFontTable::SelectEntry(12, false, nEntry, nSize));
    EXPECT_EQ(nSize, 12);
    ASSERT_TRUE(CKXGuiFontTable::SelectEntry(13, false, nEntry, nSize));
    EXPECT_EQ(nEntry, 8);
    ASSERT_TRUE(CKXGuiFontTable::SelectEntry(15, true, nEntry, nSize));
    EXPECT_EQ(nEntry, 4);
    ASSERT_TRUE(CKXGuiFontTable::SelectEntry(19, true, nEntry, nSize));
    EXPECT_EQ(nEntry, 7);
    EXPECT_EQ(nSize, 19);
    nEntry = nSize = -7;
    EXPECT_FALSE(CKXGuiFontTable::SelectEntry(20, true, nEntry, nSize));
    EXPECT_FALSE(CKXGuiFontTable::SelectEntry(11, false, nEntry, nSize));
    EXPECT_EQ(nEntry, -7);
    EXPECT_EQ(nSize, -7);

    EXPECT_TRUE(CKXGuiFontTable::IsFileFaceName("黑体"));
    EXPECT_TRUE(CKXGuiFontTable::IsFileFaceName("楷体"));
    EXPECT_FALSE(CKXGuiFontTable::IsFileFaceName("宋体"));
    EXPECT_FALSE(CKXGuiFontTable::IsFileFaceName(nullptr));
}

TEST(GuiFontTable, FacesThatFailToOpenLeaveEntriesWithoutThem) {
    ScopedTempDir dir(true);
    CKXGuiFontTable table;
    EXPECT_FALSE(table.IsSetUp());
    EXPECT_TRUE(table.Init());  // no resource/ here
    EXPECT_TRUE(table.IsSetUp());
    EXPECT_EQ(table.GetFont(1, true), nullptr);
    EXPECT_EQ(table.GetEntry(2).strFileFace, "resource/simkai.ttf");
    EXPECT_EQ(table.GetEntry(2).nFilePixelSize, 15);
    EXPECT_EQ(table.GetEntry(4).nSystemHeight, 14);
    EXPECT_TRUE(table.GetEntry(9).strFileFace.empty());
}

TEST(GuiFontTable, OpensTheFileFacesAtTheirSizes) {
    if (!std::ifstream(kHeiFace).good()) GTEST_SKIP() << kHeiFace << " is not installed";
    ScopedTempDir dir(true);
    std::ifstream in(kHeiFace, std::ios::binary);
    std::string strBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    WriteTestFile("resource/simhei.ttf", strBytes);  // simkai.ttf stays missing
    CKXGuiFontTable table;
    ASSERT_TRUE(table.Init());
    ASSERT_NE(table.GetFont(3, true), nullptr);
    EXPECT_EQ(table.GetFont(3, true)->GetPixelSize(), 14);
    EXPECT_EQ(table.GetFont(6, true)->GetPixelSize(), 17);
    EXPECT_EQ(table.GetEntry(1).pFileFont, nullptr);
    // Without a file face the system stand-in draws, at the system height (12 for entry 8, id 13).
    ASSERT_NE(table.GetFont(8, true), nullptr);
    EXPECT_EQ(table.GetFont(8, true)->GetPixelSize(), 12);
    EXPECT_EQ(table.GetFont(1, true)->GetPixelSize(), 12);
}

}  // namespace
