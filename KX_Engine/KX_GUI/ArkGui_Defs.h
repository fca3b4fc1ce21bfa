// Style bits, window type codes, attribute keys and notification codes shared by every ArkGui window.
#pragma once

#include <cstdint>

namespace ArkGui {

// ---- style bits of CArkWnd ----
constexpr uint32_t ARK_STYLE_MODAL = 0x80000000u;         // registered in the modal stack, drawn after the tree
constexpr uint32_t ARK_STYLE_ATTACHED = 0x40000000u;      // follows its parent when the parent is dragged
constexpr uint32_t ARK_STYLE_SHAPED = 0x20000000u;        // hit-test through the alpha mask of the enabled background
constexpr uint32_t ARK_STYLE_QUAD_HIT = 0x10000000u;      // hit only inside the quads of the base layer
constexpr uint32_t ARK_STYLE_CONTROL = 0x00400000u;       // added by buttons, progress bars and decorations
constexpr uint32_t ARK_STYLE_TOPMOST = 0x00800000u;       // stays in front; a press does not raise it
constexpr uint32_t ARK_STYLE_CLIP_PARENT = 0x00080000u;   // drawing and hits limited to the parent
constexpr uint32_t ARK_STYLE_INPUT_OBSERVER = 0x00040000u;  // the parent hears of every input its children handle
constexpr uint32_t ARK_STYLE_MOVABLE = 0x00020000u;       // the user may drag the window, its children with it
constexpr uint32_t ARK_STYLE_BOTTOM_GROUP = 0x00010000u;  // raised only among its own group, behind the others

// ---- window type codes ----
enum ArkWndType : int {
    ARK_WND_PLAIN = 0,
    ARK_WND_ROOT = 1,
    ARK_WND_RICH = 2,
    ARK_WND_PROGRESS = 5,
    ARK_WND_BUTTON = 6,
    ARK_WND_CHECKBUTTON = 7,
    ARK_WND_CURSOR = 8,
    ARK_WND_SCROLLBAR = 10,
    ARK_WND_EDIT = 11,
    ARK_WND_DECORATE = 15,
    ARK_WND_NAMEBOARD = 18,
    ARK_WND_MIDDLEWARE = 19,
    ARK_WND_TYPE20 = 20,
};

// ---- attribute keys: kind 1 in the high half, the state in the low half ----
enum ArkAttrState : uint32_t {
    ARK_ATTR_BASE = 0,
    ARK_ATTR_TEXT = 1,
    ARK_ATTR_ENABLED = 2,
    ARK_ATTR_DISABLED = 3,
    ARK_ATTR_MOUSEOVER = 4,
    ARK_ATTR_MOUSEDOWN = 5,
    ARK_ATTR_BAR = 10,
    ARK_ATTR_DRAG = 15,
};
constexpr uint32_t ArkAttrKey(uint32_t uState) { return (1u << 16) | (uState & 0xFFFFu); }
constexpr uint32_t ArkAttrKind(uint32_t uKey) { return uKey >> 16; }
constexpr uint32_t ArkAttrStateOf(uint32_t uKey) { return uKey & 0xFFFFu; }

// ---- notification codes sent through OnNotify (they reuse Win32 message numbers) ----
constexpr uint32_t ARK_NOTIFY_INPUT = 1;            // a = message, b = wParam
constexpr uint32_t ARK_NOTIFY_EDIT_SUBMIT = 257;
constexpr uint32_t ARK_NOTIFY_EDIT_CTRL_UP = 258;
constexpr uint32_t ARK_NOTIFY_EDIT_CTRL_DOWN = 259;
constexpr uint32_t ARK_NOTIFY_EDIT_TAB = 260;
constexpr uint32_t ARK_NOTIFY_KEY = 262;            // system key (down and up), and every edit key-down
constexpr uint32_t ARK_NOTIFY_EDIT_CHAR = 263;
constexpr uint32_t ARK_NOTIFY_KEY_AFTER = 264;
constexpr uint32_t ARK_NOTIFY_CLICK = 513;
constexpr uint32_t ARK_NOTIFY_REPEAT = 514;
constexpr uint32_t ARK_NOTIFY_DRAGMOVE = 515;
constexpr uint32_t ARK_NOTIFY_PRESS = 516;
constexpr uint32_t ARK_NOTIFY_RPRESS = 517;
constexpr uint32_t ARK_NOTIFY_DBLCLK = 518;
constexpr uint32_t ARK_NOTIFY_MOUSEMOVE = 519;
constexpr uint32_t ARK_NOTIFY_HOLD = 520;
constexpr uint32_t ARK_NOTIFY_RRELEASE = 521;
constexpr uint32_t ARK_NOTIFY_DROP_TARGET = 528;
constexpr uint32_t ARK_NOTIFY_DROP_SOURCE = 530;
constexpr uint32_t ARK_NOTIFY_CHECK_KEY = 544;
constexpr uint32_t ARK_NOTIFY_SCROLL = 769;
constexpr uint32_t ARK_NOTIFY_SCROLL_END = 770;
constexpr uint32_t ARK_NOTIFY_THUMB_DRAG_END = 772;
constexpr uint32_t ARK_NOTIFY_THUMB_DRAGGED = 773;
constexpr uint32_t ARK_NOTIFY_EDIT_ACTIVE = 896;
constexpr uint32_t ARK_NOTIFY_EDIT_INACTIVE = 897;
constexpr uint32_t ARK_NOTIFY_SHIFT_CLICK = 1284;

// Mouse handler slots of a window.
enum ArkMouseState : int { ARK_MOUSE_NORMAL = 0, ARK_MOUSE_DRAG = 1, ARK_MOUSE_CARRY = 2, ARK_MOUSE_STATE_COUNT = 3 };

}  // namespace ArkGui
