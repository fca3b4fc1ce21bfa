// Window message numbers, key and button flags, virtual-key codes and the wParam/lParam packing
// that the toolkit routes. The values are the Win32 ones so that layouts, tables and handlers keep
// their numbers on every platform; every backend translates its own events into them.
//
// These are our own constants, not the system's: the Win32 backend must not include this header in
// the same translation unit as <windows.h>.
#pragma once

#include <cstdint>

namespace KXPlatform {

// Pointer-sized message arguments, as the window procedure receives them.
using WParam = std::uintptr_t;
using LParam = std::intptr_t;

}  // namespace KXPlatform

// ---- message numbers ----
constexpr uint32_t WM_NULL = 0;
constexpr uint32_t WM_DESTROY = 2;
constexpr uint32_t WM_SETFOCUS = 7;
constexpr uint32_t WM_KILLFOCUS = 8;
constexpr uint32_t WM_PAINT = 15;         // the window's pixels were lost (shown, uncovered): draw them again
constexpr uint32_t WM_CLOSE = 16;
constexpr uint32_t WM_QUIT = 18;
constexpr uint32_t WM_ACTIVATEAPP = 28;   // wParam 1 when the program gains the input focus, 0 when it loses it
constexpr uint32_t WM_SETCURSOR = 32;     // wParam 0, lParam = MakeLParam(HTCLIENT, mouse message that caused it)
constexpr uint32_t WM_KEYDOWN = 256;
constexpr uint32_t WM_KEYUP = 257;
constexpr uint32_t WM_CHAR = 258;         // wParam one GBK byte; a double-byte character comes as two, lead byte first
constexpr uint32_t WM_DEADCHAR = 259;
constexpr uint32_t WM_SYSKEYDOWN = 260;   // a key pressed while Alt is held, or Alt itself, or F10
constexpr uint32_t WM_SYSKEYUP = 261;
constexpr uint32_t WM_SYSCHAR = 262;
constexpr uint32_t WM_SYSDEADCHAR = 263;
constexpr uint32_t WM_KEYLAST = 264;
constexpr uint32_t WM_IME_STARTCOMPOSITION = 269;
constexpr uint32_t WM_IME_ENDCOMPOSITION = 270;
constexpr uint32_t WM_IME_COMPOSITION = 271;
constexpr uint32_t WM_COMMAND = 273;
constexpr uint32_t WM_TIMER = 275;
constexpr uint32_t WM_MOUSEFIRST = 512;
constexpr uint32_t WM_MOUSEMOVE = 512;
constexpr uint32_t WM_LBUTTONDOWN = 513;
constexpr uint32_t WM_LBUTTONUP = 514;
constexpr uint32_t WM_LBUTTONDBLCLK = 515;
constexpr uint32_t WM_RBUTTONDOWN = 516;
constexpr uint32_t WM_RBUTTONUP = 517;
constexpr uint32_t WM_RBUTTONDBLCLK = 518;
constexpr uint32_t WM_MBUTTONDOWN = 519;
constexpr uint32_t WM_MBUTTONUP = 520;
constexpr uint32_t WM_MBUTTONDBLCLK = 521;
constexpr uint32_t WM_MOUSEWHEEL = 522;   // lParam holds screen coordinates, not client ones
constexpr uint32_t WM_MOUSELAST = 522;
constexpr uint32_t WM_IME_CHAR = 646;
constexpr uint32_t WM_MOUSELEAVE = 675;   // the cursor left the client area

// Hit-test code carried in the low word of WM_SETCURSOR's lParam.
constexpr uint32_t HTCLIENT = 1;

// ---- mouse key flags, in the low word of wParam of mouse messages ----
constexpr uint32_t MK_LBUTTON = 0x0001;
constexpr uint32_t MK_RBUTTON = 0x0002;
constexpr uint32_t MK_SHIFT = 0x0004;
constexpr uint32_t MK_CONTROL = 0x0008;
constexpr uint32_t MK_MBUTTON = 0x0010;

// One notch of the wheel; the high word of WM_MOUSEWHEEL's wParam is a signed multiple of it.
constexpr int WHEEL_DELTA = 120;

// ---- key message lParam bits ----
constexpr uint32_t KF_REPEAT_COUNT_MASK = 0x0000FFFFu;  // always 1 here: one message per key event
constexpr uint32_t KF_EXTENDED_BIT = 1u << 24;
constexpr uint32_t KF_ALTDOWN_BIT = 1u << 29;   // context code: Alt was held
constexpr uint32_t KF_REPEAT_BIT = 1u << 30;    // previous key state: the key was already down (auto-repeat)
constexpr uint32_t KF_UP_BIT = 1u << 31;        // transition state: set on key-up

// ---- virtual-key codes ----
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;     // Alt
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;    // Page Up
constexpr int VK_NEXT = 0x22;     // Page Down
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_SNAPSHOT = 0x2C; // Print Screen
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
// '0'..'9' are 0x30..0x39 and 'A'..'Z' are 0x41..0x5A, the upper-case ASCII codes.
constexpr int VK_LWIN = 0x5B;
constexpr int VK_RWIN = 0x5C;
constexpr int VK_APPS = 0x5D;
constexpr int VK_NUMPAD0 = 0x60;  // ..VK_NUMPAD9 = 0x69
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SEPARATOR = 0x6C;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70;       // ..VK_F12 = 0x7B
constexpr int VK_F10 = 0x79;
constexpr int VK_F12 = 0x7B;
constexpr int VK_NUMLOCK = 0x90;
constexpr int VK_SCROLL = 0x91;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_RSHIFT = 0xA1;
constexpr int VK_LCONTROL = 0xA2;
constexpr int VK_RCONTROL = 0xA3;
constexpr int VK_LMENU = 0xA4;
constexpr int VK_RMENU = 0xA5;
constexpr int VK_OEM_1 = 0xBA;       // ";:"
constexpr int VK_OEM_PLUS = 0xBB;    // "=+"
constexpr int VK_OEM_COMMA = 0xBC;
constexpr int VK_OEM_MINUS = 0xBD;
constexpr int VK_OEM_PERIOD = 0xBE;
constexpr int VK_OEM_2 = 0xBF;       // "/?"
constexpr int VK_OEM_3 = 0xC0;       // "`~"
constexpr int VK_OEM_4 = 0xDB;       // "[{"
constexpr int VK_OEM_5 = 0xDC;       // "\|"
constexpr int VK_OEM_6 = 0xDD;       // "]}"
constexpr int VK_OEM_7 = 0xDE;       // "'\""

// ---- packing helpers ----
constexpr uint16_t LOWORD(std::uintptr_t v) { return static_cast<uint16_t>(v & 0xFFFF); }
constexpr uint16_t HIWORD(std::uintptr_t v) { return static_cast<uint16_t>((v >> 16) & 0xFFFF); }

// Low word first, as MAKELPARAM: MakeLParam(x, y) puts x in the low word.
constexpr KXPlatform::LParam MAKELPARAM(int nLow, int nHigh) {
    return static_cast<KXPlatform::LParam>(
        static_cast<int32_t>((static_cast<uint32_t>(nLow) & 0xFFFF) | ((static_cast<uint32_t>(nHigh) & 0xFFFF) << 16)));
}
constexpr KXPlatform::WParam MAKEWPARAM(int nLow, int nHigh) {
    return static_cast<KXPlatform::WParam>((static_cast<uint32_t>(nLow) & 0xFFFF) |
                                           ((static_cast<uint32_t>(nHigh) & 0xFFFF) << 16));
}

// Signed coordinates: a point left of or above the client area gives negative values.
constexpr int GET_X_LPARAM(KXPlatform::LParam l) { return static_cast<int16_t>(LOWORD(static_cast<std::uintptr_t>(l))); }
constexpr int GET_Y_LPARAM(KXPlatform::LParam l) { return static_cast<int16_t>(HIWORD(static_cast<std::uintptr_t>(l))); }

// The MK_ flags and the signed wheel delta of WM_MOUSEWHEEL.
constexpr int GET_KEYSTATE_WPARAM(KXPlatform::WParam w) { return LOWORD(w); }
constexpr int GET_WHEEL_DELTA_WPARAM(KXPlatform::WParam w) { return static_cast<int16_t>(HIWORD(w)); }
