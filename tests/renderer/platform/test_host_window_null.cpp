// The null host window: injected messages come out in order and drive the key state.
#include <gtest/gtest.h>

#include "KX_Platform/KXPlatform_HostWindow.h"

using namespace KXPlatform;

TEST(NullHostWindow, InjectedKeysDriveKeyStateAndPeekKeepsOrder) {
    CKXPlatform_NullHostWindow host;
    ASSERT_TRUE(host.Create("t", 640, 520));
    EXPECT_FALSE(host.Create("t", 640, 520));

    host.InjectMessage(WM_KEYDOWN, VK_CAPITAL, 1);
    host.InjectMessage(WM_KEYUP, VK_CAPITAL, 1);
    host.InjectMessage(WM_CHAR, 0xD6, 1);
    host.InjectMessage(WM_MOUSEMOVE, 0, MAKELPARAM(3, 4));
    host.InjectMessage(WM_CHAR, 0xD0, 1);
    EXPECT_EQ(host.GetKeyState(VK_CAPITAL), 1);  // up, toggled on

    HostMessage msg;
    ASSERT_TRUE(host.PeekMessage(WM_MOUSEMOVE, msg));
    EXPECT_EQ(GET_Y_LPARAM(msg.lParam), 4);
    ASSERT_TRUE(host.PollMessage(msg));
    EXPECT_EQ(msg.uMessage, WM_KEYDOWN);
    ASSERT_TRUE(host.PollMessage(msg));
    ASSERT_TRUE(host.PollMessage(msg));
    EXPECT_EQ(msg.wParam, 0xD6u);
    ASSERT_TRUE(host.PollMessage(msg));
    EXPECT_EQ(msg.wParam, 0xD0u);
    EXPECT_FALSE(host.PollMessage(msg));

    host.InjectMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    EXPECT_LT(host.GetKeyState(VK_LBUTTON), 0);
    host.InjectMessage(WM_LBUTTONUP, 0, 0);
    EXPECT_GE(host.GetKeyState(VK_LBUTTON), 0);

    host.SetKeyDown(VK_RCONTROL, true);
    EXPECT_LT(host.GetKeyState(VK_CONTROL), 0);  // either side answers for the generic code
    EXPECT_GE(host.GetKeyState(VK_SHIFT), 0);
}

TEST(NullHostWindow, EmptyClipboardIsNoText) {
    CKXPlatform_NullHostWindow host;
    std::string str = "old";
    EXPECT_FALSE(host.GetClipboardText(str));
    EXPECT_TRUE(str.empty());
    host.SetClipboardText("");
    EXPECT_TRUE(host.GetClipboardText(str));
    host.ClearClipboard();
    EXPECT_FALSE(host.GetClipboardText(str));
}

TEST(PackingHelpers, SignedCoordinatesSurviveThePacking) {
    LParam l = MAKELPARAM(-5, 700);
    EXPECT_EQ(GET_X_LPARAM(l), -5);
    EXPECT_EQ(GET_Y_LPARAM(l), 700);
    WParam w = MAKEWPARAM(MK_CONTROL, -WHEEL_DELTA);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(w), -120);
    EXPECT_EQ(GET_KEYSTATE_WPARAM(w), static_cast<int>(MK_CONTROL));
}
