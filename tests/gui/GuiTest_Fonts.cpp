// Font selection through the GUI manager's font table.
#include "GuiTest_Fixture.h"

#include <filesystem>

#include "common/NcTest_Logger.h"
#include "common/NcTest_TempDir.h"

using namespace ArkGui;
using namespace ArkGuiTest;

namespace {

class Fonts : public GuiFixture {};

TEST_F(Fonts, SetFontNeedsTheTableAndMapsSizesToEntries) {
    CRecordingWnd* p = Make(&m_root, "label", 0, 0, 100, 20);
    EXPECT_FALSE(Manager().SetFont(p, "黑体", 12));  // the table is not set up yet

    // Set up in a directory without the face files: the table works, the entries have no faces.
    m_log.ExpectError("CKXFont::Open cannot open resource/simhei.ttf");
    m_log.ExpectError("CKXFont::Open cannot open resource/simkai.ttf");
    ASSERT_TRUE(Manager().InitFontTable());
    EXPECT_EQ(Manager().GetFont(1, true), nullptr);

    ASSERT_TRUE(Manager().SetFont(p, "宋体", 13));
    EXPECT_EQ(p->GetFontEntry(), 8);
    EXPECT_EQ(p->GetFontSize(), 13);
    EXPECT_FALSE(p->UsesFileFaces());
    ASSERT_TRUE(Manager().SetFont(p, "黑体", 12));
    EXPECT_EQ(p->GetFontEntry(), 1);
    EXPECT_EQ(p->GetFontSize(), 14);
    EXPECT_TRUE(p->UsesFileFaces());
    // The mark stays: another face still selects the file-face entries.
    ASSERT_TRUE(Manager().SetFont(p, "宋体", 13));
    EXPECT_EQ(p->GetFontEntry(), 2);
    EXPECT_EQ(p->GetFontSize(), 15);
    // An unknown size keeps the entry.
    ASSERT_TRUE(Manager().SetFont(p, "宋体", 40));
    EXPECT_EQ(p->GetFontEntry(), 2);
    EXPECT_EQ(p->GetFontSize(), 40);
}

}  // namespace
