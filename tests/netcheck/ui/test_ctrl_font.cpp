// The control-font table: reading its rows, applying them to a window's controls, and LoadTables
// going on past a table that fails.
#include "common/NcTest_Logger.h"
#include "common/NcTest_TempDir.h"
#include "gui/GuiTest_Fixture.h"

#include "KX_GUI/ArkButton.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using ArkGui::ArkAttrKey;

const char* const kTable =
    "WndName,CtrlName,FontName,FontSize,EdgeMode,ForceShowText,EnableColor,MouseOverColor,MouseDownColor,EdgeColor\n"
    "Main,Btn,黑体,12,1,1,FFFF0000,ff00ff00,zz,FF000001\n"
    "Main,Label,宋体,15,2,yes,nothex,0,0xFF0000FF,\n"
    "Main,Ghost,黑体,14,0,0,1,1,1,1\n"
    "Other,Btn,楷体,18,0,0,FF123456,0,0,0\n"
    "Main,,黑体,14,0,0,0,0,0,0\n"
    "Main,After,黑体,14,0,0,0,0,0,0\n";

TEST(CtrlFontTable, RowsUpToTheFirstIncompleteOneAndColoursThatCarryOver) {
    ScopedTempDir dir(true);
    WriteTestFile("config/gui/NTWndCtrlFont.csv", kTable);
    CNetChk_UtilResMgr resources;
    ASSERT_TRUE(resources.LoadCtrlFontTable());
    const auto& rows = resources.GetCtrlFonts();
    ASSERT_EQ(rows.size(), 4u);  // the row without a control name ends the table
    EXPECT_EQ(rows[0].strFontName, "黑体");
    EXPECT_EQ(rows[0].uFontSize, 12);
    EXPECT_EQ(rows[0].uEdgeMode, 1);
    EXPECT_TRUE(rows[0].bForceShowText);
    EXPECT_EQ(rows[0].uEnableColor, 0xFFFF0000u);
    EXPECT_EQ(rows[0].uMouseOverColor, 0xFF00FF00u);
    EXPECT_EQ(rows[0].uMouseDownColor, 0u);  // nothing to carry over in the first row
    EXPECT_FALSE(rows[1].bForceShowText);
    EXPECT_EQ(rows[1].uEnableColor, 0xFFFF0000u);  // "nothex" keeps the row above's value
    EXPECT_EQ(rows[1].uMouseOverColor, 0u);
    EXPECT_EQ(rows[1].uMouseDownColor, 0xFF0000FFu);
    EXPECT_EQ(rows[1].uEdgeColor, 0xFF000001u);  // an empty cell as well
    EXPECT_EQ(rows[3].strWndName, "Other");
}

class CtrlFontApply : public ArkGuiTest::GuiFixture {};

TEST_F(CtrlFontApply, NamedControlsOfTheWindowTakeFontsAndColours) {
    // Only the table matters here: the face files are absent.
    m_log.ExpectError("CKXFont::Open cannot open resource/simhei.ttf");
    m_log.ExpectError("CKXFont::Open cannot open resource/simkai.ttf");
    WriteTestFile("config/gui/NTWndCtrlFont.csv", kTable);
    CNetChk_UtilResMgr resources;
    ASSERT_TRUE(resources.LoadCtrlFontTable());
    ASSERT_TRUE(Manager().InitFontTable());

    auto* pMain = Make(&m_root, "Main", 0, 0, 200, 100);
    auto* pBtn = Make<ArkGui::CArkButton>(pMain, "Btn", 0, 0, 50, 20);
    auto* pLabel = Make<ArkGui::CArkWnd>(pMain, "Label", 0, 30, 50, 20);
    pLabel->SetText("label");
    pLabel->SetTextColour(ArkAttrKey(ArkGui::ARK_ATTR_ENABLED), 0xFF111111u);
    auto* pOther = Make(&m_root, "Other", 0, 0, 10, 10);
    auto* pOtherBtn = Make<ArkGui::CArkButton>(pOther, "Btn", 0, 0, 5, 5);
    const uint32_t uOtherColour = pOtherBtn->GetTextColour(ArkAttrKey(ArkGui::ARK_ATTR_ENABLED));

    resources.ApplyControlFonts(pMain, true);  // "Ghost" is not there: skipped
    EXPECT_EQ(pBtn->GetFontName(), "黑体");
    EXPECT_EQ(pBtn->GetFontEntry(), 1);
    EXPECT_EQ(pBtn->GetFontSize(), 14);
    EXPECT_TRUE(pBtn->UsesFileFaces());
    EXPECT_EQ(pBtn->GetEdgeMode(), 1);
    EXPECT_TRUE(pBtn->GetForceShowText());
    EXPECT_EQ(pBtn->GetTextColour(ArkAttrKey(ArkGui::ARK_ATTR_ENABLED)), 0xFFFF0000u);
    EXPECT_EQ(pBtn->GetTextColour(ArkAttrKey(ArkGui::ARK_ATTR_MOUSEOVER)), 0xFF00FF00u);
    EXPECT_EQ(pBtn->GetTextColour(ArkAttrKey(ArkGui::ARK_ATTR_MOUSEDOWN)), 0xFFFFFFFFu);  // colour 0: unset still
    for (uint32_t uState : {ArkGui::ARK_ATTR_ENABLED, ArkGui::ARK_ATTR_MOUSEOVER, ArkGui::ARK_ATTR_MOUSEDOWN}) {
        EXPECT_EQ(pBtn->GetEdgeColour(ArkAttrKey(uState)), 0xFF000001u) << uState;
    }
    EXPECT_EQ(pLabel->GetFontSize(), 15);
    EXPECT_FALSE(pLabel->UsesFileFaces());
    EXPECT_EQ(pLabel->GetEdgeMode(), 2);
    EXPECT_EQ(pLabel->GetTextColour(ArkAttrKey(ArkGui::ARK_ATTR_ENABLED)), 0xFFFF0000u);
    EXPECT_EQ(pLabel->GetText(), "label");
    // Rows of another window leave this one's controls alone, and the other's until it is applied.
    EXPECT_EQ(pOtherBtn->GetTextColour(ArkAttrKey(ArkGui::ARK_ATTR_ENABLED)), uOtherColour);
    resources.ApplyControlFonts(pOther, true);
    EXPECT_EQ(pOtherBtn->GetTextColour(ArkAttrKey(ArkGui::ARK_ATTR_ENABLED)), 0xFF123456u);
    EXPECT_EQ(pOtherBtn->GetFontSize(), 19);
}

TEST(CtrlFontTable, LoadTablesGoesOnPastAMissingFontTable) {
    ScopedTempDir dir(true);
    ScopedLogCapture log;
    log.ExpectError("无法读取界面字体配置文件./config/gui/NTWndCtrlFont.csv！");
    WriteTestFile("config/sys/NetChk_string_def.csv", "name,msg\nNtc_A,text\n");
    WriteTestFile("config/sys/NetJudged.csv", "网络延迟(ms),丢包率(%)\n50,1\n100,5\n0,0\n");
    CNetChk_UtilResMgr resources;
    EXPECT_FALSE(resources.LoadTables());
    EXPECT_EQ(resources.GetNetChkString("Ntc_A"), "text");
    EXPECT_EQ(resources.GetLagLimits()[1], 100);
    EXPECT_TRUE(resources.GetCtrlFonts().empty());
}

}  // namespace
