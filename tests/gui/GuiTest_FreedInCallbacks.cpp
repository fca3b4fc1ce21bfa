// Windows freed from inside a callback (a parent's notification, a drop, a hook) are never touched again;
// the sanitizer build is what catches a slip here.
#include "GuiTest_Fixture.h"

#include "KX_GUI/ArkButton.h"
#include "KX_GUI/ArkEdit.h"
#include "KX_GUI/ArkScrollBar.h"

using namespace ArkGui;
using namespace ArkGuiTest;

namespace {

class FreedInCallbacks : public GuiFixture {};

// A parent that frees the child that tells it a given code.
class CFreeingWnd : public CRecordingWnd {
public:
    int OnNotify(CArkWnd* pChild, uint32_t uCode, intptr_t a, intptr_t b) override {
        CRecordingWnd::OnNotify(pChild, uCode, a, b);
        if (uCode == uFreeOn && pChild) {
            pChild->Destroy();
            delete pChild;
            ++nFreed;
        }
        return 1;
    }
    uint32_t uFreeOn = 0;
    int nFreed = 0;
};

TEST_F(FreedInCallbacks, ControlsFreedByTheParentTheyTellAreNotTouchedAgain) {
    auto* pPanel = Make<CFreeingWnd>(&m_root, "panel", 0, 0, 640, 520);
    // A scroll bar freed when it reports its new position (an arrow was clicked).
    pPanel->uFreeOn = ARK_NOTIFY_SCROLL;
    auto* pBar = new CArkScrollBar();
    ASSERT_EQ(pBar->Create("", 0, 300, 0, 16, 200, pPanel), 0);
    pBar->SetMax(100);
    Click(308, 195);
    EXPECT_EQ(pPanel->nFreed, 1);
    // A button freed on its hold repeat.
    pPanel->uFreeOn = ARK_NOTIFY_HOLD;
    auto* pHeld = new CArkButton();
    ASSERT_EQ(pHeld->Create("", 0, 10, 10, 50, 20, pPanel), 0);
    Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    m_uTick += 1000;
    pHeld->Update();
    EXPECT_EQ(pPanel->nFreed, 2);
    Mouse(WM_LBUTTONUP, 20, 20);
    // A button freed on the Shift+click that comes before its click.
    pPanel->uFreeOn = ARK_NOTIFY_SHIFT_CLICK;
    auto* pShifted = new CArkButton();
    ASSERT_EQ(pShifted->Create("", 0, 10, 40, 50, 20, pPanel), 0);
    m_host.SetKeyDown(VK_SHIFT, true);
    Click(20, 50);
    m_host.SetKeyDown(VK_SHIFT, false);
    EXPECT_EQ(pPanel->nFreed, 3);
    EXPECT_NE(pPanel->Codes().back(), ARK_NOTIFY_CLICK);
    // An edit box freed when it says it became active (on the press that activates it).
    pPanel->uFreeOn = ARK_NOTIFY_EDIT_ACTIVE;
    auto* pEdit = new CArkEdit();
    ASSERT_EQ(pEdit->Create("", 0, 10, 80, 100, 20, pPanel), 0);
    pEdit->SetActivationNotify(true);
    Click(20, 90);
    EXPECT_EQ(pPanel->nFreed, 4);
}

TEST_F(FreedInCallbacks, DraggedWindowFreedByItsDropTarget) {
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 640, 520);
    CRecordingWnd* pItem = Make(pPanel, "item", 10, 10, 40, 40, ARK_STYLE_ATTACHED);
    auto* pBin = Make<CFreeingWnd>(pPanel, "bin", 100, 10, 50, 50);
    pBin->uFreeOn = ARK_NOTIFY_DROP_TARGET;
    Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 25, 20, MK_LBUTTON);
    EXPECT_EQ(Manager().GetMouseProc().GetState(), ARK_MOUSE_DRAG);
    Mouse(WM_MOUSEMOVE, 120, 20, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 120, 20);
    EXPECT_EQ(pBin->nFreed, 1);
    EXPECT_EQ(pBin->vecNotices.back().pChild, pItem);
    EXPECT_EQ(pPanel->FindChild("item"), nullptr);
    EXPECT_EQ(Manager().GetMouseProc().GetState(), ARK_MOUSE_NORMAL);
}


// An observer that closes a window whenever it sees a left press.
class CClosingHook : public IArkHook {
public:
    CArkWnd* pVictim = nullptr;
    bool OnHookMessage(uint32_t uMsg, KXPlatform::WParam, KXPlatform::LParam) override {
        if (uMsg != WM_LBUTTONDOWN || !pVictim) return false;
        pVictim->Destroy();
        delete pVictim;
        pVictim = nullptr;
        return false;
    }
};

TEST_F(FreedInCallbacks, ObserverThatClosesTheModalWindow) {
    // A press outside the modal window, whose observer closes the modal window first.
    CRecordingWnd* pBack = Make(&m_root, "back", 0, 0, 640, 520);
    CRecordingWnd* pModal = Make(&m_root, "modal", 200, 200, 100, 100, ARK_STYLE_MODAL);
    pModal->SetDeleteWithParent(false);
    CClosingHook hook;
    hook.pVictim = pModal;
    Manager().RegisterHook(&hook, {WM_LBUTTONDOWN}, false, true);
    Mouse(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
    EXPECT_EQ(hook.pVictim, nullptr);
    EXPECT_EQ(Manager().GetModalTop(), nullptr);
    Mouse(WM_LBUTTONUP, 20, 20);
    // With the modal window gone the press went the ordinary way.
    EXPECT_EQ(pBack->vecEvents, (std::vector<std::string>{"ldown 20,20", "lup 20,20"}));
    Manager().UnRegisterHook(&hook, false);
}

}  // namespace
