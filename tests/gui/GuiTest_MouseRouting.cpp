// Mouse routing: the click rule, dragging, modal windows, wheel bubbling, scaling, hooked windows
// and windows destroyed from inside a callback.
#include "GuiTest_Fixture.h"

#include "KX_GUI/ArkButton.h"
#include "KX_GUI/ArkEdit.h"

using namespace ArkGui;
using namespace ArkGuiTest;

namespace {

class MouseRouting : public GuiFixture {};

TEST_F(MouseRouting, ButtonClickNeedsPressAndReleaseOnTheButton) {
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 400, 400);
    auto* pButton = Make<CArkButton>(pPanel, "ok", 50, 50, 80, 30);
    Click(60, 60);
    EXPECT_EQ(pPanel->Codes(), (std::vector<uint32_t>{ARK_NOTIFY_PRESS, ARK_NOTIFY_CLICK}));
    EXPECT_EQ(pPanel->vecNotices[1].pChild, pButton);
    EXPECT_EQ(pPanel->vecNotices[1].a, 60);  // cursor in GUI pixels
    pPanel->vecNotices.clear();

    // Press on the button, release elsewhere: pressed, never clicked.
    Mouse(WM_LBUTTONDOWN, 60, 60, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 300, 300);
    EXPECT_EQ(pPanel->Codes(), (std::vector<uint32_t>{ARK_NOTIFY_PRESS}));
    pPanel->vecNotices.clear();

    // Press elsewhere, release on the button: no click either.
    Mouse(WM_LBUTTONDOWN, 300, 300, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 60, 60);
    EXPECT_TRUE(pPanel->Codes().empty());

    // A disabled button says nothing.
    pButton->SetEnabled(false);
    Click(60, 60);
    EXPECT_TRUE(pPanel->Codes().empty());
}

TEST_F(MouseRouting, ShiftClickIsAnnouncedBeforeTheClick) {
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 400, 400);
    Make<CArkButton>(pPanel, "ok", 50, 50, 80, 30);
    m_host.SetKeyDown(VK_SHIFT, true);
    Click(60, 60);
    EXPECT_EQ(pPanel->Codes(), (std::vector<uint32_t>{ARK_NOTIFY_PRESS, ARK_NOTIFY_SHIFT_CLICK, ARK_NOTIFY_CLICK}));
}

TEST_F(MouseRouting, OnlyAMovableWindowIsDraggedAndEveryChildFollowsIt) {
    CRecordingWnd* pPanel = Make(&m_root, "panel", 100, 100, 200, 150);
    CRecordingWnd* pAttached = Make(pPanel, "attached", 10, 10, 50, 50, ARK_STYLE_ATTACHED);
    CRecordingWnd* pLoose = Make(pPanel, "loose", 100, 10, 50, 50);
    CRecordingWnd* pNested = Make(pLoose, "nested", 5, 5, 10, 10);
    auto drag = [this](int nX, int nY, int nDx) {
        Mouse(WM_LBUTTONDOWN, nX, nY, MK_LBUTTON);
        Mouse(WM_MOUSEMOVE, nX + nDx, nY, MK_LBUTTON);
        EXPECT_EQ(Manager().GetMouseProc().GetState(), ARK_MOUSE_DRAG);
        EXPECT_TRUE(Manager().GetKeyProc().IsDragInProgress());
        Mouse(WM_LBUTTONUP, nX + nDx, nY);
        EXPECT_EQ(Manager().GetMouseProc().GetState(), ARK_MOUSE_NORMAL);
        EXPECT_FALSE(Manager().GetKeyProc().IsDragInProgress());
    };
    // A plain panel stays where the layout put it, however far the user drags on it.
    drag(180, 200, 40);
    EXPECT_EQ(pPanel->GetX(), 100);
    EXPECT_EQ(pLoose->GetX(), 200);

    // A movable one moves by the drag, one pixel too, and takes every child along, attached or not.
    pPanel->SetStyle(pPanel->GetStyle() | ARK_STYLE_MOVABLE);
    pPanel->vecNotices.clear();
    drag(180, 200, 1);
    EXPECT_EQ(pPanel->GetX(), 101);
    EXPECT_EQ(pPanel->GetY(), 100);
    EXPECT_EQ(pAttached->GetX(), 111);
    EXPECT_EQ(pLoose->GetX(), 201);
    EXPECT_EQ(pNested->GetX(), 206);
    EXPECT_EQ(pNested->GetY(), 115);
    // The drop: 530 to the dragged window.
    ASSERT_FALSE(pPanel->vecNotices.empty());
    EXPECT_EQ(pPanel->vecNotices.back().uCode, ARK_NOTIFY_DROP_SOURCE);
    // A move without the button held never starts a drag.
    Mouse(WM_MOUSEMOVE, 190, 210);
    EXPECT_EQ(Manager().GetMouseProc().GetState(), ARK_MOUSE_NORMAL);
    EXPECT_EQ(pPanel->GetX(), 101);
}

TEST_F(MouseRouting, CoordinatesAreScaledRoundedAndClamped) {
    CRecordingWnd* pWnd = Make(&m_root, "w", 0, 0, 640, 520);
    Manager().SetScale(2.0f, 2.0f);
    Mouse(WM_MOUSEMOVE, 201, 99);
    EXPECT_EQ(Manager().GetMouseProc().GetCursorX(), 101);  // 100.5 rounds up
    EXPECT_EQ(Manager().GetMouseProc().GetCursorY(), 50);
    ASSERT_FALSE(pWnd->vecEvents.empty());
    EXPECT_EQ(pWnd->vecEvents.back(), "move 101,50");
    Manager().SetScale(1.0f, 1.0f);
    Mouse(WM_MOUSEMOVE, 5000, -20);
    EXPECT_EQ(Manager().GetMouseProc().GetCursorX(), 639);
    EXPECT_EQ(Manager().GetMouseProc().GetCursorY(), 0);
}

TEST_F(MouseRouting, ModalWindowTakesInputOutsideItAndLetsButtonsInsideWork) {
    CRecordingWnd* pBack = Make(&m_root, "back", 0, 0, 640, 520);
    auto* pBackButton = Make<CArkButton>(pBack, "backbtn", 10, 10, 50, 20);
    CRecordingWnd* pModal = Make(&m_root, "modal", 200, 200, 200, 100, ARK_STYLE_MODAL);
    EXPECT_EQ(Manager().GetModalTop(), pModal);
    auto* pOk = Make<CArkButton>(pModal, "ok", 10, 10, 60, 20);
    CRecordingWnd* pLabel = Make(pModal, "label", 100, 10, 60, 20);

    // Outside the modal window: the modal window gets it with the coordinates unchanged.
    Click(20, 15);
    EXPECT_TRUE(pBack->Codes().empty());
    ASSERT_EQ(pModal->vecEvents.size(), 2u);
    EXPECT_EQ(pModal->vecEvents[0], "ldown 20,15");
    (void)pBackButton;

    // A button inside: the click rule holds.
    Click(215, 215);
    EXPECT_EQ(pModal->Codes(), (std::vector<uint32_t>{ARK_NOTIFY_PRESS, ARK_NOTIFY_CLICK}));
    EXPECT_EQ(pModal->vecNotices[1].pChild, pOk);

    // A plain window inside does not take input while the modal window keeps direct children only.
    pModal->vecEvents.clear();
    Click(305, 215);
    EXPECT_TRUE(pLabel->vecEvents.empty());
    ASSERT_EQ(pModal->vecEvents.size(), 2u);
    pModal->SetDirectChildrenOnly(false);
    Click(305, 215);
    EXPECT_EQ(pLabel->vecEvents.size(), 2u);

    // Once the modal bit is cleared the background works again.
    pModal->SetStyle(pModal->GetStyle() & ~ARK_STYLE_MODAL);
    EXPECT_EQ(Manager().GetModalTop(), nullptr);
    Click(20, 15);
    EXPECT_EQ(pBack->Codes(), (std::vector<uint32_t>{ARK_NOTIFY_PRESS, ARK_NOTIFY_CLICK}));
}

TEST_F(MouseRouting, ModalStackTopIsTheNewestAndDestroyingItUncovers) {
    CRecordingWnd* pFirst = Make(&m_root, "first", 0, 0, 100, 100, ARK_STYLE_MODAL);
    CRecordingWnd* pSecond = Make(&m_root, "second", 0, 0, 100, 100, ARK_STYLE_MODAL);
    EXPECT_EQ(Manager().GetModalTop(), pSecond);
    EXPECT_EQ(pSecond->GetNextModal(), pFirst);
    pSecond->Destroy();
    delete pSecond;
    EXPECT_EQ(Manager().GetModalTop(), pFirst);
}

TEST_F(MouseRouting, WheelBubblesUntilAWindowTakesIt) {
    CRecordingWnd* pOuter = Make(&m_root, "outer", 0, 0, 300, 300);
    CRecordingWnd* pMiddle = Make(pOuter, "middle", 10, 10, 200, 200);
    CRecordingWnd* pInner = Make(pMiddle, "inner", 10, 10, 100, 100);
    Mouse(WM_MOUSEMOVE, 50, 50);
    testing::internal::CaptureStdout();
    Manager().MsgProc(WM_MOUSEWHEEL, MAKEWPARAM(0, -120), MAKELPARAM(900, 900));
    EXPECT_EQ(pInner->vecEvents.back(), "wheel -120,0");
    EXPECT_EQ(pMiddle->vecEvents.back(), "wheel -120,0");
    EXPECT_EQ(pOuter->vecEvents.back(), "wheel -120,0");
    EXPECT_TRUE(m_root.GetWheelSeen());
    testing::internal::GetCapturedStdout();

    // A window that takes it stops the bubbling.
    m_root.ClearWheelSeen();
    pOuter->vecEvents.clear();
    pMiddle->bWheelResult = true;
    Manager().MsgProc(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(pMiddle->vecEvents.back(), "wheel 120,0");
    EXPECT_TRUE(pOuter->vecEvents.empty());
    EXPECT_FALSE(m_root.GetWheelSeen());
}

TEST_F(MouseRouting, WheelReachesWindowsWithItsScreenPoint) {
    // The cursor picks the window; the handlers see the screen point the wheel message carried.
    CArkWnd* pPlain = Make<CArkWnd>(&m_root, "plainwnd", 0, 0, 100, 100);
    Mouse(WM_MOUSEMOVE, 30, 40);
    testing::internal::CaptureStdout();
    Manager().MsgProc(WM_MOUSEWHEEL, MAKEWPARAM(0, 240), MAKELPARAM(930, 740));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ArkGui::CArkWnd::OnMouseWheel plainwnd [240 (930, 740)]\n");

    // Under a modal window a plain child does not take input: the modal window gets the message as it
    // came, through its own dispatcher, and nothing bubbles past it.
    pPlain->Destroy();
    delete pPlain;
    m_root.ClearWheelSeen();
    CArkWnd* pDialog = Make<CArkWnd>(&m_root, "dialog", 0, 0, 200, 200, ARK_STYLE_MODAL);
    Make<CArkWnd>(pDialog, "label", 10, 10, 50, 50);
    testing::internal::CaptureStdout();
    Manager().MsgProc(WM_MOUSEWHEEL, MAKEWPARAM(0, -120), MAKELPARAM(930, 740));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ArkGui::CArkWnd::OnMouseWheel dialog [-120 (930, 740)]\n");
    EXPECT_FALSE(m_root.GetWheelSeen());
}

// A parent that closes the dialog (destroys the button's parent) when the button is clicked.
class CClosingWnd : public CRecordingWnd {
public:
    int OnNotify(CArkWnd* pChild, uint32_t uCode, intptr_t a, intptr_t b) override {
        CRecordingWnd::OnNotify(pChild, uCode, a, b);
        if (uCode == ARK_NOTIFY_CLICK) {
            pClosed = pDialog;
            pDialog->Destroy();
            delete pDialog;
            pDialog = nullptr;
        }
        return 1;
    }
    CArkWnd* pDialog = nullptr;
    CArkWnd* pClosed = nullptr;
};

TEST_F(MouseRouting, DestroyingWindowsInsideACallbackIsSafe) {
    auto* pOwner = Make<CClosingWnd>(&m_root, "owner", 0, 0, 640, 520);
    CRecordingWnd* pDialog = Make(pOwner, "dialog", 100, 100, 200, 200, ARK_STYLE_INPUT_OBSERVER);
    pDialog->SetDeleteWithParent(false);
    pOwner->pDialog = pDialog;
    // The button reports to the dialog, an input observer; route its click to the owner.
    class CForwardButton : public CArkButton {
    public:
        CArkWnd* pOwner = nullptr;
        int OnLButtonUp(int k, int x, int y) override {
            if (IsClickRelease()) return pOwner->OnNotify(this, ARK_NOTIFY_CLICK, x, y);
            return CArkButton::OnLButtonUp(k, x, y);
        }
    };
    auto* pButton = Make<CForwardButton>(pDialog, "close", 10, 10, 50, 20);
    pButton->pOwner = pOwner;
    size_t uLive = Manager().GetLiveCount();
    Click(115, 115);
    EXPECT_EQ(pOwner->pClosed, pDialog);
    EXPECT_EQ(Manager().GetLiveCount(), uLive - 2);
    EXPECT_EQ(Manager().GetMouseProc().GetFocusWnd(), nullptr);
    EXPECT_EQ(Manager().GetMouseProc().GetPrevFocusWnd(), nullptr);
    EXPECT_EQ(Manager().GetHoveredWnd(), nullptr);
    // Later input reaches what lies there now.
    Click(115, 115);
    EXPECT_EQ(pOwner->vecEvents.back(), "lup 115,115");
}

TEST_F(MouseRouting, InputObserverParentHearsEveryHandledMessage) {
    CRecordingWnd* pParent = Make(&m_root, "parent", 0, 0, 300, 300, ARK_STYLE_INPUT_OBSERVER);
    CRecordingWnd* pChild = Make(pParent, "child", 10, 10, 50, 50);
    (void)pChild;
    Mouse(WM_MOUSEMOVE, 20, 20);
    ASSERT_EQ(pParent->vecNotices.size(), 1u);
    EXPECT_EQ(pParent->vecNotices[0].uCode, ARK_NOTIFY_INPUT);
    EXPECT_EQ(pParent->vecNotices[0].a, static_cast<intptr_t>(WM_MOUSEMOVE));
}

TEST_F(MouseRouting, TheCursorIsTheOneOfTheWindowTheMouseWouldReach) {
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 400, 400);
    Make<CArkEdit>(pPanel, "edit", 10, 10, 200, 24);
    auto* pButton = Make<CArkButton>(pPanel, "ok", 10, 100, 80, 30);
    pButton->SetCursorShape(KXPlatform::HostCursor::Hand);
    auto cursorAt = [this](int nX, int nY) {
        Mouse(WM_MOUSEMOVE, nX, nY);
        Manager().MsgProc(WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return m_host.GetCursor();
    };
    EXPECT_EQ(cursorAt(50, 20), KXPlatform::HostCursor::IBeam);  // over the edit box
    EXPECT_EQ(cursorAt(20, 110), KXPlatform::HostCursor::Hand);
    EXPECT_EQ(cursorAt(300, 300), KXPlatform::HostCursor::Arrow);  // the panel has none of its own
    EXPECT_EQ(cursorAt(50, 20), KXPlatform::HostCursor::IBeam);

    // While the tool passes the mouse through, the windows that do not take clicks answer instead.
    CRecordingWnd* pOverlay = Make(&m_root, "overlay", 0, 0, 100, 50);
    pOverlay->SetHitTestable(0);
    pOverlay->SetCursorShape(KXPlatform::HostCursor::Wait);
    EXPECT_EQ(cursorAt(50, 20), KXPlatform::HostCursor::IBeam);
    Manager().SetPassThrough(true);
    EXPECT_EQ(cursorAt(50, 20), KXPlatform::HostCursor::Wait);
}

}  // namespace

namespace {

class CPointHook : public ArkGui::IArkHook {
public:
    bool bConsume = false;
    std::vector<std::pair<int, int>> vecPoints;
    bool OnHookMessage(uint32_t, KXPlatform::WParam, KXPlatform::LParam l) override {
        vecPoints.emplace_back(GET_X_LPARAM(l), GET_Y_LPARAM(l));
        return bConsume;
    }
};

class MouseHooks : public GuiFixture {};

TEST_F(MouseHooks, FiltersSeeWindowCoordinatesAndHookedWindowsSeeEverything) {
    CRecordingWnd* pTarget = Make(&m_root, "target", 100, 100, 50, 50);
    CRecordingWnd* pSpy = Make(&m_root, "spy", 400, 400, 10, 10);
    Manager().AddHookedWnd(pSpy);
    CPointHook filter;
    Manager().RegisterHook(&filter, {WM_LBUTTONDOWN}, true, true);
    Mouse(WM_LBUTTONDOWN, 110, 120, MK_LBUTTON);
    ASSERT_EQ(filter.vecPoints.size(), 1u);
    EXPECT_EQ(filter.vecPoints[0], std::make_pair(10, 20));  // relative to the hit window
    EXPECT_EQ(pTarget->vecEvents.back(), "ldown 10,20");
    ASSERT_FALSE(pSpy->vecEvents.empty());
    EXPECT_EQ(pSpy->vecEvents.back(), "ldown -290,-280");  // far away, but it hears it
    Mouse(WM_LBUTTONUP, 110, 120);
    filter.bConsume = true;
    pTarget->vecEvents.clear();
    Mouse(WM_LBUTTONDOWN, 110, 120, MK_LBUTTON);
    EXPECT_TRUE(pTarget->vecEvents.empty());  // consumed
    Mouse(WM_LBUTTONUP, 110, 120);
    // A hidden hooked window hears nothing; a destroyed one is forgotten.
    pSpy->Show(false);
    size_t uHeard = pSpy->vecEvents.size();
    Mouse(WM_MOUSEMOVE, 5, 5);
    EXPECT_EQ(pSpy->vecEvents.size(), uHeard);
    pSpy->Destroy();
    delete pSpy;
    EXPECT_TRUE(Manager().GetHookedWnds().empty());
}

TEST_F(MouseHooks, PassThroughRouteHitsOnlyWindowsMarkedForIt) {
    CRecordingWnd* pNormal = Make(&m_root, "normal", 0, 0, 100, 100);
    CRecordingWnd* pThrough = Make(&m_root, "through", 200, 0, 100, 100);
    pThrough->SetHitTestable(0);
    Manager().MouseOnlyProc(WM_MOUSEMOVE, 0, MAKELPARAM(250, 50));
    EXPECT_EQ(pThrough->vecEvents.back(), "move 50,50");
    Manager().MouseOnlyProc(WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
    EXPECT_TRUE(pNormal->vecEvents.empty());
    // The ordinary route ignores the pass-through window.
    Mouse(WM_MOUSEMOVE, 250, 50);
    EXPECT_EQ(pThrough->vecEvents.size(), 1u);
}

}  // namespace

namespace {

TEST_F(MouseRouting, ParentHearsMouseMovesOverAButtonOnlyWhenItAskedAndTheButtonIsEnabled) {
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 400, 400);
    auto* pButton = Make<CArkButton>(pPanel, "ok", 50, 50, 80, 30);
    auto moveCodes = [pPanel] {
        std::vector<Notice> v;
        for (const Notice& n : pPanel->vecNotices) {
            if (n.uCode == ARK_NOTIFY_MOUSEMOVE) v.push_back(n);
        }
        return v;
    };
    Mouse(WM_MOUSEMOVE, 70, 65);  // the parent has not asked
    EXPECT_TRUE(moveCodes().empty());

    EXPECT_FALSE(pPanel->SetWantMouseMove(true));
    Mouse(WM_MOUSEMOVE, 71, 66);
    std::vector<Notice> v = moveCodes();
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].pChild, pButton);
    EXPECT_EQ(v[0].a, 71);  // the cursor in GUI pixels of the root
    EXPECT_EQ(v[0].b, 66);
    Mouse(WM_MOUSEMOVE, 300, 300);  // over the panel itself, not the button
    EXPECT_EQ(moveCodes().size(), 1u);

    pButton->SetEnabled(false);  // a disabled button is silent
    Mouse(WM_MOUSEMOVE, 72, 67);
    EXPECT_EQ(moveCodes().size(), 1u);
    pButton->SetEnabled(true);
    EXPECT_TRUE(pPanel->SetWantMouseMove(false));  // asked, then withdrew
    Mouse(WM_MOUSEMOVE, 73, 68);
    EXPECT_EQ(moveCodes().size(), 1u);
}

}  // namespace

namespace {

TEST_F(MouseRouting, TripleClickOnAButtonIsPressClickDoubleClickClickPressClick) {
    // The host sends a triple click as press, double click, press; each release after a press or a
    // double click on the button is a click.
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 400, 400);
    Make<CArkButton>(pPanel, "ok", 50, 50, 80, 30);
    Mouse(WM_LBUTTONDOWN, 60, 60, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 60, 60);
    Mouse(WM_LBUTTONDBLCLK, 60, 60, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 60, 60);
    Mouse(WM_LBUTTONDOWN, 60, 60, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 60, 60);
    EXPECT_EQ(pPanel->Codes(), (std::vector<uint32_t>{ARK_NOTIFY_PRESS, ARK_NOTIFY_CLICK, ARK_NOTIFY_DBLCLK,
                                                      ARK_NOTIFY_CLICK, ARK_NOTIFY_PRESS, ARK_NOTIFY_CLICK}));
    EXPECT_EQ(Manager().GetMouseProc().GetState(), ARK_MOUSE_NORMAL);
    EXPECT_EQ(Manager().GetMouseProc().GetFocusWnd(), nullptr);
}

}  // namespace

namespace {

TEST_F(MouseRouting, DragWhoseReleaseWasLostOutsideEndsWhenTheCursorComesBackUnpressed) {
    CRecordingWnd* pPanel = Make(&m_root, "panel", 100, 100, 200, 150, ARK_STYLE_MOVABLE);
    Mouse(WM_LBUTTONDOWN, 150, 150, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 160, 150, MK_LBUTTON);
    ASSERT_EQ(Manager().GetMouseProc().GetState(), ARK_MOUSE_DRAG);
    // The cursor leaves the window and the button goes up out there: the release never arrives.
    Manager().MsgProc(WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(Manager().IsCursorOutside());
    // Keys meanwhile leave the drag alone (a drag is in progress, so no release is made up for it).
    Key(WM_KEYDOWN, 'A');
    EXPECT_EQ(Manager().GetMouseProc().GetState(), ARK_MOUSE_DRAG);
    EXPECT_EQ(pPanel->GetX(), 110);
    // Back in with the button up: the drop happens where the cursor is and the panel stays put.
    Mouse(WM_MOUSEMOVE, 200, 170);
    EXPECT_FALSE(Manager().IsCursorOutside());
    EXPECT_EQ(Manager().GetMouseProc().GetState(), ARK_MOUSE_NORMAL);
    EXPECT_FALSE(Manager().GetKeyProc().IsDragInProgress());
    ASSERT_FALSE(pPanel->vecNotices.empty());
    EXPECT_EQ(pPanel->vecNotices.back().uCode, ARK_NOTIFY_DROP_SOURCE);
    EXPECT_EQ(pPanel->GetX(), 110);
    EXPECT_EQ(pPanel->GetY(), 100);
}

}  // namespace
