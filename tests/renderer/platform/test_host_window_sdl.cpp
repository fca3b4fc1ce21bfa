// SDL events pushed under the offscreen driver arrive as the Win32-numbered messages the toolkit routes.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "KX_Platform/KXPlatform_HostWindow.h"

using namespace KXPlatform;

namespace {

class SdlHostWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pHost = CreateSdlHostWindow();
        ASSERT_TRUE(m_pHost->Create("网络检测", 640, 520)) << m_pHost->GetLastError();
        // Whatever the driver queued for the new window is not part of the test.
        Drain();
    }

    std::vector<HostMessage> Drain() {
        std::vector<HostMessage> vec;
        HostMessage msg;
        while (m_pHost->PollMessage(msg)) vec.push_back(msg);
        return vec;
    }

    void PushButton(bool bDown, Uint8 uButton, int nX, int nY, Uint8 uClicks) {
        SDL_Event ev{};
        ev.type = bDown ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        ev.button.button = uButton;
        ev.button.state = bDown ? SDL_PRESSED : SDL_RELEASED;
        ev.button.clicks = uClicks;
        ev.button.x = nX;
        ev.button.y = nY;
        ASSERT_EQ(SDL_PushEvent(&ev), 1);
    }

    void PushMotion(int nX, int nY) {
        SDL_Event ev{};
        ev.type = SDL_MOUSEMOTION;
        ev.motion.x = nX;
        ev.motion.y = nY;
        ASSERT_EQ(SDL_PushEvent(&ev), 1);
    }

    void PushKey(bool bDown, SDL_Keycode sym, SDL_Scancode scan, bool bRepeat = false) {
        SDL_Event ev{};
        ev.type = bDown ? SDL_KEYDOWN : SDL_KEYUP;
        ev.key.state = bDown ? SDL_PRESSED : SDL_RELEASED;
        ev.key.repeat = bRepeat ? 1 : 0;
        ev.key.keysym.sym = sym;
        ev.key.keysym.scancode = scan;
        ASSERT_EQ(SDL_PushEvent(&ev), 1);
    }

    void PushText(const char* szUtf8) {
        SDL_Event ev{};
        ev.type = SDL_TEXTINPUT;
        SDL_strlcpy(ev.text.text, szUtf8, sizeof(ev.text.text));
        ASSERT_EQ(SDL_PushEvent(&ev), 1);
    }

    std::unique_ptr<IHostWindow> m_pHost;
};

// The expected message only by number and arguments, printed readably on failure.
struct Expected {
    uint32_t uMessage;
    WParam wParam;
    LParam lParam;
};

void ExpectSequence(const std::vector<HostMessage>& vecGot, const std::vector<Expected>& vecWant) {
    ASSERT_EQ(vecGot.size(), vecWant.size());
    for (size_t i = 0; i < vecWant.size(); ++i) {
        EXPECT_EQ(vecGot[i].uMessage, vecWant[i].uMessage) << "message " << i;
        EXPECT_EQ(vecGot[i].wParam, vecWant[i].wParam) << "wParam of message " << i;
        EXPECT_EQ(static_cast<uint32_t>(vecGot[i].lParam), static_cast<uint32_t>(vecWant[i].lParam))
            << "lParam of message " << i;
    }
}

TEST_F(SdlHostWindowTest, MouseClickAndDoubleClick) {
    PushMotion(10, 20);
    PushButton(true, SDL_BUTTON_LEFT, 10, 20, 1);
    PushButton(false, SDL_BUTTON_LEFT, 10, 20, 1);
    PushButton(true, SDL_BUTTON_LEFT, 11, 20, 2);
    PushButton(false, SDL_BUTTON_LEFT, 11, 20, 2);
    PushButton(true, SDL_BUTTON_RIGHT, 639, 519, 1);
    ExpectSequence(Drain(), {
                                {WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)},
                                {WM_MOUSEMOVE, 0, MAKELPARAM(10, 20)},
                                {WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)},
                                {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20)},
                                {WM_LBUTTONUP, 0, MAKELPARAM(10, 20)},
                                {WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)},
                                {WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(11, 20)},
                                {WM_LBUTTONUP, 0, MAKELPARAM(11, 20)},
                                {WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_RBUTTONDOWN)},
                                {WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(639, 519)},
                            });
    EXPECT_LT(m_pHost->GetKeyState(VK_RBUTTON), 0);
    EXPECT_GE(m_pHost->GetKeyState(VK_LBUTTON), 0);
}

TEST_F(SdlHostWindowTest, ThirdPressStartsANewPair) {
    // A quick third press is a plain press again, and a fourth the double click of the new pair.
    for (int nClicks = 1; nClicks <= 4; ++nClicks) {
        PushButton(true, SDL_BUTTON_LEFT, 10, 20, nClicks);
        PushButton(false, SDL_BUTTON_LEFT, 10, 20, nClicks);
    }
    std::vector<uint32_t> vecPresses;
    for (const HostMessage& m : Drain()) {
        if (m.uMessage == WM_LBUTTONDOWN || m.uMessage == WM_LBUTTONDBLCLK) vecPresses.push_back(m.uMessage);
    }
    EXPECT_EQ(vecPresses, (std::vector<uint32_t>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}));
}

TEST_F(SdlHostWindowTest, ModifiersReachMouseFlagsAndWheel) {
    PushKey(true, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT);
    PushButton(true, SDL_BUTTON_LEFT, 5, 6, 1);
    SDL_Event ev{};
    ev.type = SDL_MOUSEWHEEL;
    ev.wheel.y = -2;
    ASSERT_EQ(SDL_PushEvent(&ev), 1);
    std::vector<HostMessage> vec = Drain();
    ASSERT_EQ(vec.size(), 4u);
    EXPECT_EQ(vec[0].uMessage, WM_KEYDOWN);
    EXPECT_EQ(vec[0].wParam, static_cast<WParam>(VK_SHIFT));
    EXPECT_EQ(vec[2].uMessage, WM_LBUTTONDOWN);
    EXPECT_EQ(vec[2].wParam, static_cast<WParam>(MK_LBUTTON | MK_SHIFT));
    EXPECT_EQ(vec[3].uMessage, WM_MOUSEWHEEL);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(vec[3].wParam), -2 * WHEEL_DELTA);
    EXPECT_EQ(GET_KEYSTATE_WPARAM(vec[3].wParam), static_cast<int>(MK_LBUTTON | MK_SHIFT));
    int nOriginX = 0, nOriginY = 0;
    m_pHost->GetClientOrigin(nOriginX, nOriginY);
    EXPECT_EQ(GET_X_LPARAM(vec[3].lParam), nOriginX + 5);
    EXPECT_EQ(GET_Y_LPARAM(vec[3].lParam), nOriginY + 6);
}

TEST_F(SdlHostWindowTest, KeyPressWithAltGivesSystemKeys) {
    PushKey(true, SDLK_LALT, SDL_SCANCODE_LALT);
    PushKey(true, SDLK_f, SDL_SCANCODE_F);
    PushKey(true, SDLK_f, SDL_SCANCODE_F, true);
    PushKey(false, SDLK_f, SDL_SCANCODE_F);
    PushKey(false, SDLK_LALT, SDL_SCANCODE_LALT);
    const LParam lAltDown = static_cast<LParam>(1 | KF_ALTDOWN_BIT);
    const LParam lAltRepeat = static_cast<LParam>(1 | KF_ALTDOWN_BIT | KF_REPEAT_BIT);
    const LParam lAltUp = static_cast<LParam>(static_cast<int32_t>(1u | KF_ALTDOWN_BIT | KF_REPEAT_BIT | KF_UP_BIT));
    const LParam lUp = static_cast<LParam>(static_cast<int32_t>(1u | KF_REPEAT_BIT | KF_UP_BIT));
    ExpectSequence(Drain(), {
                                {WM_SYSKEYDOWN, VK_MENU, lAltDown},
                                {WM_SYSKEYDOWN, 'F', lAltDown},
                                {WM_SYSKEYDOWN, 'F', lAltRepeat},
                                {WM_SYSKEYUP, 'F', lAltUp},
                                {WM_SYSKEYUP, VK_MENU, lAltUp},
                            });
    EXPECT_GE(m_pHost->GetKeyState(VK_MENU), 0);

    // Without Alt the same key is an ordinary one, and Ctrl+A types character 1 as the system does.
    PushKey(true, SDLK_LCTRL, SDL_SCANCODE_LCTRL);
    PushKey(true, SDLK_a, SDL_SCANCODE_A);
    PushKey(false, SDLK_a, SDL_SCANCODE_A);
    PushKey(false, SDLK_LCTRL, SDL_SCANCODE_LCTRL);
    PushKey(true, SDLK_RETURN, SDL_SCANCODE_RETURN);
    ExpectSequence(Drain(), {
                                {WM_KEYDOWN, VK_CONTROL, 1},
                                {WM_KEYDOWN, 'A', 1},
                                {WM_CHAR, 1, 1},
                                {WM_KEYUP, 'A', lUp},
                                {WM_KEYUP, VK_CONTROL, lUp},
                                {WM_KEYDOWN, VK_RETURN, 1},
                                {WM_CHAR, 13, 1},
                            });
}

TEST_F(SdlHostWindowTest, KeyStateFollowsTheMessagesTaken) {
    // A quick Shift+click: all four events are pumped at once, but while the program handles the press
    // Shift must still read as held, as the system's key state does.
    PushKey(true, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT);
    PushButton(true, SDL_BUTTON_LEFT, 5, 6, 1);
    PushButton(false, SDL_BUTTON_LEFT, 5, 6, 1);
    PushKey(false, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT);
    PushKey(true, SDLK_CAPSLOCK, SDL_SCANCODE_CAPSLOCK);
    const bool bCapsBefore = (m_pHost->GetKeyState(VK_CAPITAL) & 1) != 0;
    HostMessage msg;
    ASSERT_TRUE(m_pHost->PollMessage(msg));
    EXPECT_EQ(msg.uMessage, WM_KEYDOWN);
    EXPECT_LT(m_pHost->GetKeyState(VK_SHIFT), 0);
    EXPECT_GE(m_pHost->GetKeyState(VK_LBUTTON), 0);
    ASSERT_TRUE(m_pHost->PollMessage(msg));  // the set-cursor message of the press
    ASSERT_TRUE(m_pHost->PollMessage(msg));
    EXPECT_EQ(msg.uMessage, WM_LBUTTONDOWN);
    EXPECT_LT(m_pHost->GetKeyState(VK_SHIFT), 0);
    EXPECT_LT(m_pHost->GetKeyState(VK_LBUTTON), 0);
    ASSERT_TRUE(m_pHost->PollMessage(msg));
    EXPECT_EQ(msg.uMessage, WM_LBUTTONUP);
    EXPECT_LT(m_pHost->GetKeyState(VK_SHIFT), 0);
    EXPECT_GE(m_pHost->GetKeyState(VK_LBUTTON), 0);
    EXPECT_EQ((m_pHost->GetKeyState(VK_CAPITAL) & 1) != 0, bCapsBefore);
    ASSERT_TRUE(m_pHost->PollMessage(msg));
    EXPECT_EQ(msg.uMessage, WM_KEYUP);
    EXPECT_GE(m_pHost->GetKeyState(VK_SHIFT), 0);
    ASSERT_TRUE(m_pHost->PollMessage(msg));
    EXPECT_EQ(msg.wParam, static_cast<WParam>(VK_CAPITAL));
    EXPECT_NE((m_pHost->GetKeyState(VK_CAPITAL) & 1) != 0, bCapsBefore);
}

TEST_F(SdlHostWindowTest, ChineseTextInputArrivesAsGbkBytesLeadFirst) {
    PushText(u8"中a文");  // SDL hands over UTF-8
    std::vector<HostMessage> vec = Drain();
    ASSERT_EQ(vec.size(), 5u);
    const unsigned char kWant[5] = {0xD6, 0xD0, 'a', 0xCE, 0xC4};  // "中" D6D0, "文" CEC4 in GBK
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(vec[i].uMessage, WM_CHAR);
        EXPECT_EQ(vec[i].wParam, static_cast<WParam>(kWant[i])) << i;
    }
}

TEST_F(SdlHostWindowTest, PeekTakesOnlyTheAskedMessage) {
    PushMotion(1, 1);
    PushText(u8"中");
    HostMessage msg;
    ASSERT_TRUE(m_pHost->PeekMessage(WM_CHAR, msg));
    EXPECT_EQ(msg.wParam, 0xD6u);
    ASSERT_TRUE(m_pHost->PeekMessage(WM_CHAR, msg));
    EXPECT_EQ(msg.wParam, 0xD0u);
    EXPECT_FALSE(m_pHost->PeekMessage(WM_CHAR, msg));
    std::vector<HostMessage> vec = Drain();
    ASSERT_EQ(vec.size(), 2u);
    EXPECT_EQ(vec[0].uMessage, WM_SETCURSOR);
    EXPECT_EQ(vec[1].uMessage, WM_MOUSEMOVE);
}

TEST_F(SdlHostWindowTest, WithoutTheInputMethodKeysTypeAscii) {
    m_pHost->EnableIme(false);
    EXPECT_FALSE(m_pHost->IsImeEnabled());
    PushKey(true, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT);
    PushKey(true, SDLK_1, SDL_SCANCODE_1);
    PushKey(false, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT);
    PushKey(true, SDLK_q, SDL_SCANCODE_Q);
    std::vector<HostMessage> vec = Drain();
    std::vector<WParam> vecChars;
    for (const HostMessage& msg : vec)
        if (msg.uMessage == WM_CHAR) vecChars.push_back(msg.wParam);
    EXPECT_EQ(vecChars, (std::vector<WParam>{'!', 'q'}));
}

TEST_F(SdlHostWindowTest, ClipboardKeepsGbkText) {
    ASSERT_TRUE(m_pHost->SetClipboardText("复制abc"));
    std::string str;
    ASSERT_TRUE(m_pHost->GetClipboardText(str));
    EXPECT_EQ(str, "复制abc");
}

}  // namespace
