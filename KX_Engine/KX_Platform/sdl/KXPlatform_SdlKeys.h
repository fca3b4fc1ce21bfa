// SDL key codes to virtual-key codes, and the characters a key gives without the input method.
#pragma once

#include <SDL.h>

namespace KXPlatform {

struct SdlKeyInfo {
    int nVirtualKey = 0;      // the generic code the message carries (VK_SHIFT, not VK_LSHIFT); 0: unknown
    int nSideKey = 0;         // VK_LSHIFT.. for a modifier, else 0
    bool bExtended = false;   // the keys the system marks with the extended bit (arrows, Insert, right Ctrl...)
};

SdlKeyInfo TranslateSdlKey(const SDL_Keysym& keysym);

// The ASCII character a key gives on a US layout with Shift (and Caps Lock) applied, or 0. Used only
// while the input method is off, when SDL delivers no text input.
char AsciiFromSdlKey(const SDL_Keysym& keysym, bool bShift, bool bCapsLock);

}  // namespace KXPlatform
