// The edit box: numeric rules, the byte limit with double-byte characters, keys, the clipboard, the
// input queue and activation.
#include "GuiTest_Fixture.h"

#include <filesystem>

#include "KX_GUI/ArkEdit.h"
#include "common/NcTest_Logger.h"
#include "common/NcTest_TempDir.h"

using namespace ArkGui;
using namespace ArkGuiTest;

namespace {

class Edit : public GuiFixture {
protected:
    CArkEdit* MakeEdit(uint32_t uStyle) {
        m_pPanel = Make(&m_root, "panel", 0, 0, 400, 300);
        auto* p = new CArkEdit();
        p->SetDeleteWithParent(true);
        EXPECT_EQ(p->Create("", uStyle, 10, 10, 200, 24, m_pPanel), 0);
        p->Activate();
        return p;
    }
    // Characters as the host delivers them: double-byte ones as two messages, lead byte first.
    void Type(const std::string& strGbk) {
        for (unsigned char c : strGbk) m_host.InjectMessage(WM_CHAR, c, 1);
        KXPlatform::HostMessage msg;
        while (m_host.PollMessage(msg)) Manager().MsgProc(msg.uMessage, msg.wParam, msg.lParam);
    }
    CRecordingWnd* m_pPanel = nullptr;
};

TEST_F(Edit, NumericModeAcceptsASignedDecimalOnly) {
    CArkEdit* p = MakeEdit(ARK_EDIT_NUMERIC);
    Type("-12.5");
    EXPECT_EQ(p->GetText(), "-12.5");
    Type(".");
    EXPECT_EQ(p->GetText(), "-12.5");  // a second point
    Type("a+");
    EXPECT_EQ(p->GetText(), "-12.5");
    p->SetCaret(0);
    Type("7");  // in front of the sign
    EXPECT_EQ(p->GetText(), "-12.5");
    p->SetText("");
    Type(".");
    EXPECT_EQ(p->GetText(), "");  // a point needs a digit before it
    Type("+3");
    EXPECT_EQ(p->GetText(), "+3");
    // Full-width digits count as digits; other double-byte characters do not.
    Type("\xA3\xB4");
    EXPECT_EQ(p->GetText(), "+34");
    Type("中");
    EXPECT_EQ(p->GetText(), "+34");
}

TEST_F(Edit, MaximumLengthCountsBytesAndRefusesASplitCharacter) {
    CArkEdit* p = MakeEdit(0);
    p->SetMaxLength(16);
    Type("abcdefghijklmno");  // 15 bytes
    Type("中");                // would end at byte 17
    EXPECT_EQ(p->GetText(), "abcdefghijklmno");
    Type("p");
    EXPECT_EQ(p->GetText().size(), 16u);
    Type("q");  // the 17th byte
    EXPECT_EQ(p->GetText().size(), 16u);
    p->SetText("abcdefghijklmn");  // 14 bytes: one double-byte character fits exactly
    Type("中");
    EXPECT_EQ(p->GetText(), "abcdefghijklmn中");
    EXPECT_EQ(p->GetCaret(), 16);
}

TEST_F(Edit, KeysMoveOverWholeCharactersAndReportEveryKey) {
    CArkEdit* p = MakeEdit(0);
    Type("a中b");
    EXPECT_EQ(p->GetCaret(), 4);
    Key(WM_KEYDOWN, VK_LEFT);
    Key(WM_KEYDOWN, VK_LEFT);
    EXPECT_EQ(p->GetCaret(), 1);  // over the two bytes of 中
    Key(WM_KEYDOWN, VK_DELETE);
    EXPECT_EQ(p->GetText(), "ab");
    Key(WM_KEYDOWN, VK_END);
    Type("文");
    Key(WM_KEYDOWN, VK_BACK);
    EXPECT_EQ(p->GetText(), "ab");
    m_host.SetKeyDown(VK_SHIFT, true);
    Key(WM_KEYDOWN, VK_HOME);
    m_host.SetKeyDown(VK_SHIFT, false);
    EXPECT_EQ(p->GetSelAnchor(), 2);
    EXPECT_EQ(p->GetSelEnd(), 0);
    Type("x");  // typing replaces the selection
    EXPECT_EQ(p->GetText(), "x");
    m_pPanel->vecNotices.clear();
    Key(WM_KEYDOWN, VK_TAB);
    Key(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(m_pPanel->Codes(), (std::vector<uint32_t>{ARK_NOTIFY_EDIT_TAB, ARK_NOTIFY_KEY, ARK_NOTIFY_KEY_AFTER,
                                                        ARK_NOTIFY_EDIT_SUBMIT, ARK_NOTIFY_KEY, ARK_NOTIFY_KEY_AFTER}));
    // Ctrl+A selects everything and is reported as a character.
    m_pPanel->vecNotices.clear();
    Type("\x01");
    EXPECT_EQ(p->GetSelAnchor(), 0);
    EXPECT_EQ(p->GetSelEnd(), 1);
    EXPECT_EQ(m_pPanel->Codes(), (std::vector<uint32_t>{ARK_NOTIFY_EDIT_CHAR}));
    // Read-only boxes ignore both.
    p->SetReadOnly(true);
    Type("y");
    Key(WM_KEYDOWN, VK_BACK);
    EXPECT_EQ(p->GetText(), "x");
}

TEST_F(Edit, MultiLineEnterInsertsALineBreakOrSubmits) {
    CArkEdit* p = MakeEdit(ARK_EDIT_MULTILINE);
    ASSERT_NE(p->GetVScrollBar(), nullptr);
    p->SetMaxLength(3);
    Type("ab");
    Key(WM_KEYDOWN, VK_RETURN);
    Type("cd");  // the limit counts the line break
    EXPECT_EQ(p->GetText(), "ab\n");
    Key(WM_KEYDOWN, VK_RETURN);  // line breaks are not limited
    EXPECT_EQ(p->GetText(), "ab\n\n");
    p->SetMaxLength(-1);
    p->SetText("abc\nde");
    Key(WM_KEYDOWN, VK_UP);
    EXPECT_EQ(p->GetCaret(), 2);  // same column on the line above
    Key(WM_KEYDOWN, VK_DOWN);
    EXPECT_EQ(p->GetCaret(), 6);  // clamped to the shorter line
    m_pPanel->vecNotices.clear();
    m_host.SetKeyDown(VK_CONTROL, true);
    Key(WM_KEYDOWN, VK_RETURN);
    Key(WM_KEYDOWN, VK_UP);
    m_host.SetKeyDown(VK_CONTROL, false);
    EXPECT_EQ(p->GetText(), "abc\nde");
    std::vector<uint32_t> v = m_pPanel->Codes();
    EXPECT_EQ(v[0], ARK_NOTIFY_EDIT_SUBMIT);
    EXPECT_EQ(v[3], ARK_NOTIFY_EDIT_CTRL_UP);
    // With Enter-submits set, plain Enter submits and Ctrl+Enter breaks the line.
    p->SetEnterSubmits(true);
    Key(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(p->GetText(), "abc\nde");
    m_host.SetKeyDown(VK_CONTROL, true);
    Key(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(p->GetText(), "abc\nde\n");
}

TEST_F(Edit, ClipboardKeysNeedTheStyleAndEmptyPasteIsLogged) {
    m_log.ExpectError("ArkGui::CArkEdit::CtrlV CF_TEXT szText == NULL");
    CArkEdit* p = MakeEdit(ARK_EDIT_CLIPBOARD);
    m_host.ClearClipboard();
    Type("ab");
    Type("\x16");  // Ctrl+V with nothing on the clipboard
    EXPECT_EQ(p->GetText(), "ab");
    EXPECT_EQ(m_log.Lines().size(), 1u);

    m_host.SetClipboardText("中x");
    Type("\x16");
    EXPECT_EQ(p->GetText(), "ab中x");
    // Pasted text goes in as typed: a character over the limit is dropped, a shorter one after it fits.
    p->SetMaxLength(6);
    m_host.SetClipboardText("文y");
    Type("\x16");
    EXPECT_EQ(p->GetText(), "ab中xy");
    p->SetMaxLength(-1);
    m_host.SetClipboardText("中x");
    Type("\x01\x18");  // select all, cut
    EXPECT_EQ(p->GetText(), "");
    std::string strClip;
    ASSERT_TRUE(m_host.GetClipboardText(strClip));
    EXPECT_EQ(strClip, "ab中xy");

    // Without the style the keys are plain control characters.
    p->SetStyle(0);
    Type("\x16");
    EXPECT_EQ(p->GetText(), "");
}

TEST_F(Edit, QueuedInputTakesCharactersFromTheQueueAndTimesOut) {
    m_log.ExpectError("ArkGui::CArkEdit::QueuePop TimeOut!");
    m_log.ExpectError("ArkGui::CArkEdit::DealAsciiChar");
    CArkEdit* p = MakeEdit(0);
    p->SetQueuedInput(true);
    ASSERT_TRUE(p->QueuePush('Q'));
    Type("z");  // the character comes from the queue
    EXPECT_EQ(p->GetText(), "Q");
    Type("z");  // empty queue: 31 attempts, then the time-out
    EXPECT_EQ(p->GetText(), "Q");
    std::vector<std::string> vecLines = m_log.Lines();
    ASSERT_EQ(vecLines.size(), 2u);
    EXPECT_NE(vecLines[0].find("QueuePop"), std::string::npos);  // the time-out comes first
}

TEST_F(Edit, ActivationSwitchesTheInputMethodAndNotifies) {
    CArkEdit* p = MakeEdit(0);
    EXPECT_TRUE(m_host.IsImeEnabled());
    CRecordingWnd* pOther = Make(&m_root, "other", 300, 300, 10, 10);
    pOther->Activate();
    EXPECT_FALSE(m_host.IsImeEnabled());
    p->SetActivationNotify(true);
    p->Activate();
    EXPECT_TRUE(m_host.IsImeEnabled());
    EXPECT_EQ(m_pPanel->vecNotices.back().uCode, ARK_NOTIFY_EDIT_ACTIVE);
    pOther->Activate();
    EXPECT_EQ(m_pPanel->vecNotices.back().uCode, ARK_NOTIFY_EDIT_INACTIVE);
    // A plain-character box turns the input method off while it is active.
    p->SetStyle(ARK_EDIT_IME_OFF);
    p->Activate();
    EXPECT_FALSE(m_host.IsImeEnabled());
    pOther->Activate();
    EXPECT_TRUE(m_host.IsImeEnabled());
    // A box whose input method is disabled leaves it alone when it becomes active, but still turns it
    // off when it stops being active.
    p->SetStyle(0);
    p->SetImeDisabled(true);
    m_host.EnableIme(false);
    p->Activate();
    EXPECT_FALSE(m_host.IsImeEnabled());
    m_host.EnableIme(true);
    pOther->Activate();
    EXPECT_FALSE(m_host.IsImeEnabled());
}

}  // namespace

namespace {

// Edit boxes measured with the real faces (the free CJK faces stand in for the program's files).
class EditWithFonts : public Edit {
protected:
    void SetUp() override {
        Edit::SetUp();
        if (!EnterDirWithRealFaces()) GTEST_SKIP() << "CJK fonts not installed";
        ASSERT_NE(Manager().GetFont(1, true), nullptr);
    }
};

TEST_F(EditWithFonts, FitToWidthRefusesTextWiderThanTheBoxAndClicksPlaceTheCaret) {
    CArkEdit* p = MakeEdit(0);
    ASSERT_TRUE(Manager().SetFont(p, "黑体", 14));
    p->SetFitToWidth(true);
    Type(std::string(60, 'W'));
    ASSERT_GT(p->GetText().size(), 5u);
    ASSERT_LT(p->GetText().size(), 60u);
    EXPECT_LE(p->MeasureText(p->GetText().c_str()), p->GetWidth());
    std::string strBefore = p->GetText();
    Type("中");
    EXPECT_EQ(p->GetText(), strBefore);
    // A click lands the caret on the nearest character boundary, never inside a double-byte one.
    p->SetFitToWidth(false);
    p->SetText("中文ab");
    int nHalfFirst = p->MeasureText("中") / 2;
    Click(10 + 3 + nHalfFirst + 1, 20);
    EXPECT_EQ(p->GetCaret(), 2);
    Click(10 + 3 + 1, 20);
    EXPECT_EQ(p->GetCaret(), 0);
}

}  // namespace

namespace {

TEST_F(EditWithFonts, DraggingInTheBoxSelectsTextAndNeverMovesIt) {
    CArkEdit* p = MakeEdit(0);
    ASSERT_TRUE(Manager().SetFont(p, "黑体", 14));
    CArkEdit* pBelow = Make<CArkEdit>(m_pPanel, "below", 10, 40, 200, 24);
    p->SetText("abcdef");
    int nAfterB = 10 + 3 + p->MeasureText("ab");
    int nAfterE = 10 + 3 + p->MeasureText("abcde");
    Mouse(WM_LBUTTONDOWN, nAfterB, 20, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, nAfterB + 2, 24, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, nAfterE, 45, MK_LBUTTON);  // down over the box below, the selection follows along
    Mouse(WM_LBUTTONUP, nAfterE, 45);
    EXPECT_EQ(p->GetX(), 10);
    EXPECT_EQ(p->GetY(), 10);
    EXPECT_EQ(pBelow->GetY(), 40);
    EXPECT_EQ(p->GetSelAnchor(), 2);
    EXPECT_EQ(p->GetSelEnd(), 5);
    EXPECT_EQ(p->GetCaret(), 5);
    EXPECT_TRUE(p->IsActive());
    // Typing replaces the dragged selection.
    m_host.InjectMessage(WM_CHAR, 'X', 1);
    KXPlatform::HostMessage msg;
    while (m_host.PollMessage(msg)) Manager().MsgProc(msg.uMessage, msg.wParam, msg.lParam);
    EXPECT_EQ(p->GetText(), "abXf");
}

}  // namespace
