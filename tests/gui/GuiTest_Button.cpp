// Buttons: cool-down on an injected clock, hold repeats, flash, colours per state, check buttons.
#include "GuiTest_Fixture.h"

#include "KX_GUI/ArkButton.h"
#include "KX_GUI/ArkCheckButton.h"

using namespace ArkGui;
using namespace ArkGuiTest;

namespace {

class Button : public GuiFixture {};

TEST_F(Button, CoolDownCountsWholeSecondsAndReenables) {
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 300, 300);
    auto* pButton = Make<CArkButton>(pPanel, "retry", 10, 10, 80, 30);
    pButton->SetText("Retry");
    pButton->StartCoolDown(3.0, true);
    EXPECT_FALSE(pButton->GetEnabledFlag());
    pButton->SetEnabled(true);  // ignored while it runs
    EXPECT_FALSE(pButton->GetEnabledFlag());
    m_uTick += 500;
    pButton->Update();
    EXPECT_EQ(pButton->GetText(), "Retry(2)");
    m_uTick += 600;  // 1.1 s: 1900 ms remain
    pButton->Update();
    EXPECT_EQ(pButton->GetText(), "Retry(1)");
    Click(20, 20);
    EXPECT_TRUE(pPanel->Codes().empty());  // disabled meanwhile
    m_uTick += 1899;
    pButton->Update();
    EXPECT_EQ(pButton->GetText(), "Retry(0)");
    m_uTick += 1;
    pButton->Update();
    EXPECT_EQ(pButton->GetText(), "Retry");
    EXPECT_TRUE(pButton->GetEnabledFlag());
    EXPECT_FALSE(pButton->IsCoolingDown());

    // Without show the caption stays; a disabled button ignores the request.
    pButton->StartCoolDown(1.0, false);
    m_uTick += 200;
    pButton->Update();
    EXPECT_EQ(pButton->GetText(), "Retry");
    pButton->StartCoolDown(5.0, true);  // already disabled
    m_uTick += 800;
    pButton->Update();
    EXPECT_TRUE(pButton->GetEnabledFlag());
}

TEST_F(Button, HeldButtonRepeatsAtMostEvery50And100Milliseconds) {
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 300, 300);
    auto* pButton = Make<CArkButton>(pPanel, "more", 10, 10, 80, 30);
    Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    pPanel->vecNotices.clear();
    int n520 = 0, n514 = 0;
    for (int i = 0; i < 10; ++i) {  // 300 ms in 30 ms frames
        m_uTick += 30;
        pButton->Update();
    }
    for (const Notice& n : pPanel->vecNotices) {
        n520 += n.uCode == ARK_NOTIFY_HOLD;
        n514 += n.uCode == ARK_NOTIFY_REPEAT;
    }
    EXPECT_GE(n520, 4);
    EXPECT_LE(n520, 6);
    EXPECT_GE(n514, 2);
    EXPECT_LE(n514, 3);
    Mouse(WM_LBUTTONUP, 20, 20);
    pPanel->vecNotices.clear();
    m_uTick += 500;
    pButton->Update();
    EXPECT_TRUE(pPanel->Codes().empty());  // released: no more repeats
}

TEST_F(Button, RepeatIntervalAndFlashFollowTheClock) {
    auto* pButton = Make<CArkButton>(&m_root, "b", 10, 10, 80, 30);
    pButton->SetRepeat(true, 200);
    pButton->TouchRepeat();
    EXPECT_FALSE(pButton->CanRepeat());
    m_uTick += 199;
    EXPECT_FALSE(pButton->CanRepeat());
    m_uTick += 1;
    EXPECT_TRUE(pButton->CanRepeat());
    pButton->TouchRepeat();  // less than twice the interval since the last one: unchanged
    EXPECT_TRUE(pButton->CanRepeat());
    m_uTick += 500;
    pButton->TouchRepeat();
    EXPECT_FALSE(pButton->CanRepeat());

    pButton->Flash(1, 1000);
    EXPECT_TRUE(pButton->IsFlashing());
    m_uTick += 999;
    pButton->Update();
    EXPECT_TRUE(pButton->IsFlashing());
    m_uTick += 1;
    pButton->Update();
    EXPECT_FALSE(pButton->IsFlashing());
}

TEST_F(Button, CaptionAndBackgroundFollowTheMouse) {
    UseSoftwareRenderer();
    auto* pButton = Make<CArkButton>(&m_root, "b", 10, 10, 80, 30, 0, 0xFF101010u);
    pButton->GetLayer(ArkAttrKey(ARK_ATTR_MOUSEOVER))->AddSolid({0, 0, 80, 30}, 0xFF202020u);
    pButton->GetLayer(ArkAttrKey(ARK_ATTR_MOUSEDOWN))->AddSolid({0, 0, 80, 30}, 0xFF303030u);
    EXPECT_EQ(pButton->GetTextColour(ArkAttrKey(ARK_ATTR_MOUSEOVER)), 0xFFFFFFFFu);  // unset
    pButton->SetTextColour(ArkAttrKey(ARK_ATTR_MOUSEOVER), 0xFFFFFF00u);
    EXPECT_EQ(pButton->GetTextColour(ArkAttrKey(ARK_ATTR_MOUSEOVER)), 0xFFFFFF00u);
    EXPECT_EQ(pButton->GetLayer(ArkAttrKey(99)), nullptr);
    std::vector<uint32_t> v = DrawFrame();
    EXPECT_EQ(Pixel(v, 50, 20), 0xFF101010u);
    Mouse(WM_MOUSEMOVE, 50, 20);
    EXPECT_TRUE(pButton->IsHovered());
    v = DrawFrame();
    EXPECT_EQ(Pixel(v, 50, 20), 0xFF202020u);
    Mouse(WM_LBUTTONDOWN, 50, 20, MK_LBUTTON);
    v = DrawFrame();
    EXPECT_EQ(Pixel(v, 50, 20), 0xFF303030u);
    Mouse(WM_LBUTTONUP, 50, 20);
    Mouse(WM_MOUSEMOVE, 300, 300);
    v = DrawFrame();
    EXPECT_EQ(Pixel(v, 50, 20), 0xFF101010u);
}

TEST_F(Button, CursorWindowCarriesTheDragImageAndIsNeverHit) {
    auto* pButton = Make<CArkButton>(&m_root, "item", 10, 10, 40, 40);
    pButton->CreateCursorWnd();
    EXPECT_EQ(Manager().GetCarryIconWnd(), nullptr);  // no drag image: no cursor window
    pButton->GetLayer(ArkAttrKey(ARK_ATTR_DRAG))->AddSolid({0, 0, 40, 40}, 0xFFFFFFFFu);
    pButton->CreateCursorWnd();
    CArkWnd* pCursor = Manager().GetCarryIconWnd();
    ASSERT_NE(pCursor, nullptr);
    EXPECT_EQ(pCursor->GetType(), ARK_WND_CURSOR);
    EXPECT_EQ(pCursor->GetWidth(), 40);
    EXPECT_EQ(pCursor->GetLayer(ArkAttrKey(ARK_ATTR_ENABLED))->vecQuads.size(), 1u);
    EXPECT_EQ(m_root.HitTest(20, 20, 1, false), pButton);
    // Making it again replaces the old one; destroying the button takes it along.
    size_t uLive = Manager().GetLiveCount();
    pButton->CreateCursorWnd();
    EXPECT_EQ(Manager().GetLiveCount(), uLive);
    delete pButton;
    EXPECT_EQ(Manager().GetCarryIconWnd(), nullptr);
    EXPECT_EQ(Manager().GetLiveCount(), uLive - 2);
    // A window without a parent has nobody to notify.
    EXPECT_EQ(m_root.NotifyParent(ARK_NOTIFY_CLICK, 1, 2), 0);

    // Closing the whole tree while a cursor window is up frees it too (the leak checker watches).
    auto* pOther = Make<CArkButton>(&m_root, "other", 10, 10, 40, 40);
    pOther->GetLayer(ArkAttrKey(ARK_ATTR_DRAG))->AddSolid({0, 0, 40, 40}, 0xFFFFFFFFu);
    pOther->CreateCursorWnd();
    ASSERT_EQ(m_root.GetFirstChild(), Manager().GetCarryIconWnd());  // in front, so it goes first
    m_root.Destroy();
}

TEST_F(Button, ToggleFlipsAndRadioGroupKeepsOneChecked) {
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 400, 300);
    auto* pToggle = new CArkCheckButton();
    pToggle->SetDeleteWithParent(true);
    ASSERT_EQ(pToggle->Create("", ARK_CHECK_TOGGLE, 10, 10, 20, 20, pPanel), 0);
    std::vector<bool> vecChanges;
    pToggle->SetCheckedChangedHook([&](CArkCheckButton*, bool b) { vecChanges.push_back(b); });
    Click(15, 15);
    EXPECT_TRUE(pToggle->IsChecked());
    Click(15, 15);
    EXPECT_FALSE(pToggle->IsChecked());
    EXPECT_EQ(vecChanges, (std::vector<bool>{true, false}));
    EXPECT_EQ(pPanel->Codes(), (std::vector<uint32_t>{ARK_NOTIFY_PRESS, ARK_NOTIFY_CLICK, ARK_NOTIFY_PRESS, ARK_NOTIFY_CLICK}));
    // Press on it, release outside: no toggle.
    Mouse(WM_LBUTTONDOWN, 15, 15, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 300, 200);
    EXPECT_FALSE(pToggle->IsChecked());

    CArkCheckButton* apRadio[3];
    for (int i = 0; i < 3; ++i) {
        apRadio[i] = new CArkCheckButton();
        apRadio[i]->SetDeleteWithParent(true);
        ASSERT_EQ(apRadio[i]->Create("", ARK_CHECK_RADIO, 10 + 30 * i, 100, 20, 20, pPanel, nullptr, 12, i < 2 ? 1 : 2), 0);
    }
    Click(15, 105);
    Click(45, 105);
    Click(75, 105);  // another group
    EXPECT_FALSE(apRadio[0]->IsChecked());
    EXPECT_TRUE(apRadio[1]->IsChecked());
    EXPECT_TRUE(apRadio[2]->IsChecked());
    Click(45, 105);  // a checked radio button stays checked
    EXPECT_TRUE(apRadio[1]->IsChecked());
    // A key on a check button is reported with the key.
    apRadio[0]->Activate();
    Key(WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(pPanel->vecNotices.back().uCode, ARK_NOTIFY_CHECK_KEY);
    EXPECT_EQ(pPanel->vecNotices.back().a, VK_SPACE);

    // A checked-changed hook may close the next sibling of the group; the walk does not touch it again.
    auto* pLast = new CArkCheckButton();
    pLast->SetDeleteWithParent(true);
    ASSERT_EQ(pLast->Create("", ARK_CHECK_RADIO, 100, 100, 20, 20, pPanel, nullptr, 12, 1), 0);
    ASSERT_EQ(apRadio[1]->GetNextSibling(), apRadio[0]);
    apRadio[1]->SetCheckedChangedHook([&](CArkCheckButton*, bool b) {
        if (b || !apRadio[0]) return;
        apRadio[0]->Destroy();
        delete apRadio[0];
        apRadio[0] = nullptr;
    });
    Click(105, 105);
    EXPECT_TRUE(pLast->IsChecked());
    EXPECT_FALSE(apRadio[1]->IsChecked());
    EXPECT_EQ(apRadio[0], nullptr);
    EXPECT_TRUE(apRadio[2]->IsChecked());  // the other group
}

}  // namespace
