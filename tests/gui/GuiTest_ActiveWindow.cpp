// Which window takes the keyboard: a press takes it from the edit box the user left, Tab walks the boxes
// where the owner asks for it, and disabled windows take neither the keyboard nor most of the mouse.
#include "GuiTest_Fixture.h"

#include "KX_GUI/ArkButton.h"
#include "KX_GUI/ArkEdit.h"
#include "KX_GUI/ArkScrollBar.h"

using namespace ArkGui;
using namespace ArkGuiTest;

namespace {

// An owner that moves between its edit boxes on Tab, as a form does.
class CFormWnd : public CRecordingWnd {
public:
    int OnNotify(CArkWnd* pChild, uint32_t uCode, intptr_t a, intptr_t b) override {
        if (uCode == ARK_NOTIFY_EDIT_TAB) CArkEdit::ActivateNext(pChild, GetManager()->IsKeyDown(VK_SHIFT));
        return CRecordingWnd::OnNotify(pChild, uCode, a, b);
    }
};

class ActiveWindow : public GuiFixture {
protected:
    // Characters as the host delivers them, through the key routing.
    void Type(const std::string& str) {
        for (unsigned char c : str) Key(WM_CHAR, c);
    }
};

TEST_F(ActiveWindow, PressingAnythingButTheBoxTakesTheKeyboardFromIt) {
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 640, 520);
    auto* pEdit = Make<CArkEdit>(pPanel, "account", 10, 10, 200, 24, ARK_EDIT_CLIPBOARD);
    auto* pNotes = Make<CArkEdit>(pPanel, "notes", 10, 300, 200, 100, ARK_EDIT_MULTILINE);
    Make<CArkButton>(pPanel, "ok", 300, 10, 80, 30);
    auto* pBar = Make<CArkScrollBar>(pPanel, "bar", 400, 100, 16, 200);
    pBar->SetMax(100);
    pBar->SetPage(10);
    m_host.SetClipboardText("pasted");
    auto clickThenTypeInBox = [&](int nX, int nY) {
        Click(20, 20);
        ASSERT_TRUE(pEdit->IsActive());
        Type("a");
        Click(nX, nY);
        Type("b\x16");  // a character and Ctrl+V
    };

    clickThenTypeInBox(310, 20);  // a button
    EXPECT_FALSE(pEdit->IsActive());  // its caret is no longer drawn
    clickThenTypeInBox(408, 250);  // a scroll bar's track
    EXPECT_FALSE(pEdit->IsActive());
    clickThenTypeInBox(600, 480);  // empty panel space
    EXPECT_FALSE(pEdit->IsActive());
    EXPECT_EQ(pEdit->GetText(), "aaa");
    EXPECT_FALSE(m_host.IsImeEnabled());

    // A press on an edit box's own scroll bar keeps that box the one typed into.
    Click(50, 320);
    ASSERT_TRUE(pNotes->IsActive());
    CArkScrollBar* pNotesBar = pNotes->GetVScrollBar();
    ASSERT_NE(pNotesBar, nullptr);
    Click(pNotesBar->GetX() + 4, pNotesBar->GetY() + 50);
    EXPECT_TRUE(pNotes->IsActive());
    Type("c");
    EXPECT_EQ(pNotes->GetText(), "c");
}

TEST_F(ActiveWindow, TabWalksTheEnabledBoxesInCreationOrderWhereTheOwnerAsks) {
    auto* pForm = Make<CFormWnd>(&m_root, "form", 0, 0, 640, 520);
    auto* pFirst = Make<CArkEdit>(pForm, "first", 10, 10, 200, 24);
    auto* pOff = Make<CArkEdit>(pForm, "off", 10, 50, 200, 24);
    auto* pSecond = Make<CArkEdit>(pForm, "second", 10, 90, 200, 24);
    Make<CArkButton>(pForm, "ok", 10, 130, 80, 30);
    auto* pThird = Make<CArkEdit>(pForm, "third", 10, 170, 200, 24);
    pOff->SetEnabled(false);
    Click(20, 20);
    auto tab = [this](bool bShift) {
        m_host.SetKeyDown(VK_SHIFT, bShift);
        Key(WM_KEYDOWN, VK_TAB);
        Key(WM_CHAR, '\t');
        m_host.SetKeyDown(VK_SHIFT, false);
    };
    tab(false);
    EXPECT_TRUE(pSecond->IsActive());  // the disabled box is passed over
    EXPECT_FALSE(pFirst->IsActive());
    Type("x");
    EXPECT_EQ(pSecond->GetText(), "x");  // the tab character itself is not typed
    tab(false);
    EXPECT_TRUE(pThird->IsActive());
    tab(false);
    EXPECT_TRUE(pFirst->IsActive());  // round again
    tab(true);
    EXPECT_TRUE(pThird->IsActive());

    // Without an owner that asks, Tab only tells the parent.
    CRecordingWnd* pPlain = Make(&m_root, "plain", 0, 300, 640, 200);
    auto* pLone = Make<CArkEdit>(pPlain, "lone", 10, 10, 200, 24);
    Make<CArkEdit>(pPlain, "other", 10, 50, 200, 24);
    Click(20, 320);
    tab(false);
    EXPECT_TRUE(pLone->IsActive());
    EXPECT_EQ(pPlain->vecNotices.front().uCode, ARK_NOTIFY_EDIT_TAB);
}

TEST_F(ActiveWindow, ADisabledWindowHearsOnlyWhatTheInputRulesLetThrough) {
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 640, 520);
    auto* pOn = Make<CArkEdit>(pPanel, "on", 10, 10, 200, 24);
    auto* pOff = Make<CArkEdit>(pPanel, "off", 10, 50, 200, 24);
    pOff->SetEnabled(false);
    Click(20, 20);
    Click(20, 60);  // on the disabled box: the typing stays where it was
    EXPECT_TRUE(pOn->IsActive());
    EXPECT_FALSE(pOff->IsActive());
    Type("k");
    EXPECT_EQ(pOn->GetText(), "k");
    EXPECT_EQ(pOff->GetText(), "");

    // A disabled button: no press, click or move; the double-click and the right button still report.
    pPanel->SetWantMouseMove(true);
    auto* pButton = Make<CArkButton>(pPanel, "b", 300, 10, 80, 30);
    pButton->SetEnabled(false);
    pPanel->vecNotices.clear();
    Mouse(WM_MOUSEMOVE, 310, 20);
    Click(310, 20);
    Mouse(WM_LBUTTONDBLCLK, 310, 20, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 310, 20);
    Mouse(WM_RBUTTONDOWN, 310, 20, MK_RBUTTON);
    Mouse(WM_RBUTTONUP, 310, 20);
    EXPECT_EQ(pPanel->Codes(), (std::vector<uint32_t>{ARK_NOTIFY_DBLCLK, ARK_NOTIFY_RPRESS, ARK_NOTIFY_RRELEASE}));
    EXPECT_TRUE(pOn->IsActive());
    // A repeating button keeps reporting moves while disabled.
    pButton->SetRepeat(true, 500);
    pPanel->vecNotices.clear();
    Mouse(WM_MOUSEMOVE, 311, 20);
    EXPECT_EQ(pPanel->Codes(), (std::vector<uint32_t>{ARK_NOTIFY_MOUSEMOVE}));

    // Keys never reach a disabled box, even while it is still the active one.
    pOn->SetEnabled(false);
    Type("z");
    EXPECT_EQ(pOn->GetText(), "k");
}

}  // namespace
