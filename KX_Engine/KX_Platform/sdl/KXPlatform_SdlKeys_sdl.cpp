// SDL key codes to virtual-key codes, and the characters a key gives without the input method.
#include "KXPlatform_SdlKeys.h"

#include <cstring>

#include "KX_Platform/KXPlatform_Messages.h"

namespace KXPlatform {

SdlKeyInfo TranslateSdlKey(const SDL_Keysym& keysym) {
    SdlKeyInfo info;
    const SDL_Keycode sym = keysym.sym;
    const SDL_Scancode scan = keysym.scancode;
    // The keypad by scan code, since its key codes depend on Num Lock.
    if (scan >= SDL_SCANCODE_KP_1 && scan <= SDL_SCANCODE_KP_9) {
        info.nVirtualKey = VK_NUMPAD0 + 1 + (scan - SDL_SCANCODE_KP_1);
        return info;
    }
    if (scan == SDL_SCANCODE_KP_0) { info.nVirtualKey = VK_NUMPAD0; return info; }
    if (sym >= SDLK_a && sym <= SDLK_z) { info.nVirtualKey = 'A' + (sym - SDLK_a); return info; }
    if (sym >= SDLK_0 && sym <= SDLK_9) { info.nVirtualKey = '0' + (sym - SDLK_0); return info; }
    if (sym >= SDLK_F1 && sym <= SDLK_F12) { info.nVirtualKey = VK_F1 + (sym - SDLK_F1); return info; }
    struct Entry { SDL_Keycode sym; int vk; int side; bool ext; };
    static const Entry kTable[] = {
        {SDLK_BACKSPACE, VK_BACK, 0, false}, {SDLK_TAB, VK_TAB, 0, false},
        {SDLK_RETURN, VK_RETURN, 0, false}, {SDLK_KP_ENTER, VK_RETURN, 0, true},
        {SDLK_ESCAPE, VK_ESCAPE, 0, false}, {SDLK_SPACE, VK_SPACE, 0, false},
        {SDLK_LSHIFT, VK_SHIFT, VK_LSHIFT, false}, {SDLK_RSHIFT, VK_SHIFT, VK_RSHIFT, false},
        {SDLK_LCTRL, VK_CONTROL, VK_LCONTROL, false}, {SDLK_RCTRL, VK_CONTROL, VK_RCONTROL, true},
        {SDLK_LALT, VK_MENU, VK_LMENU, false}, {SDLK_RALT, VK_MENU, VK_RMENU, true},
        {SDLK_PAUSE, VK_PAUSE, 0, false}, {SDLK_CAPSLOCK, VK_CAPITAL, 0, false},
        {SDLK_PAGEUP, VK_PRIOR, 0, true}, {SDLK_PAGEDOWN, VK_NEXT, 0, true},
        {SDLK_END, VK_END, 0, true}, {SDLK_HOME, VK_HOME, 0, true},
        {SDLK_LEFT, VK_LEFT, 0, true}, {SDLK_UP, VK_UP, 0, true},
        {SDLK_RIGHT, VK_RIGHT, 0, true}, {SDLK_DOWN, VK_DOWN, 0, true},
        {SDLK_PRINTSCREEN, VK_SNAPSHOT, 0, true}, {SDLK_INSERT, VK_INSERT, 0, true},
        {SDLK_DELETE, VK_DELETE, 0, true}, {SDLK_LGUI, VK_LWIN, 0, true},
        {SDLK_RGUI, VK_RWIN, 0, true}, {SDLK_APPLICATION, VK_APPS, 0, true},
        {SDLK_KP_MULTIPLY, VK_MULTIPLY, 0, false}, {SDLK_KP_PLUS, VK_ADD, 0, false},
        {SDLK_KP_MINUS, VK_SUBTRACT, 0, false}, {SDLK_KP_PERIOD, VK_DECIMAL, 0, false},
        {SDLK_KP_DIVIDE, VK_DIVIDE, 0, true}, {SDLK_NUMLOCKCLEAR, VK_NUMLOCK, 0, true},
        {SDLK_SCROLLLOCK, VK_SCROLL, 0, false}, {SDLK_SEMICOLON, VK_OEM_1, 0, false},
        {SDLK_EQUALS, VK_OEM_PLUS, 0, false}, {SDLK_COMMA, VK_OEM_COMMA, 0, false},
        {SDLK_MINUS, VK_OEM_MINUS, 0, false}, {SDLK_PERIOD, VK_OEM_PERIOD, 0, false},
        {SDLK_SLASH, VK_OEM_2, 0, false}, {SDLK_BACKQUOTE, VK_OEM_3, 0, false},
        {SDLK_LEFTBRACKET, VK_OEM_4, 0, false}, {SDLK_BACKSLASH, VK_OEM_5, 0, false},
        {SDLK_RIGHTBRACKET, VK_OEM_6, 0, false}, {SDLK_QUOTE, VK_OEM_7, 0, false},
    };
    for (const Entry& e : kTable) {
        if (e.sym == sym) {
            info.nVirtualKey = e.vk;
            info.nSideKey = e.side;
            info.bExtended = e.ext;
            return info;
        }
    }
    return info;
}

char AsciiFromSdlKey(const SDL_Keysym& keysym, bool bShift, bool bCapsLock) {
    const SDL_Keycode sym = keysym.sym;
    if (sym >= SDLK_a && sym <= SDLK_z) {
        bool bUpper = bShift != bCapsLock;
        return static_cast<char>((bUpper ? 'A' : 'a') + (sym - SDLK_a));
    }
    if (sym == SDLK_SPACE) return ' ';
    if (sym < 0x21 || sym > 0x7E) return 0;
    if (!bShift) return static_cast<char>(sym);
    static const char kPlain[] = "1234567890-=[]\\;',./`";
    static const char kShifted[] = "!@#$%^&*()_+{}|:\"<>?~";
    const char* p = std::strchr(kPlain, static_cast<int>(sym));
    return p ? kShifted[p - kPlain] : static_cast<char>(sym);
}

}  // namespace KXPlatform
