// The console's colours, the same on every system: a Windows console attribute as an ANSI sequence.
#include "KX_Platform/KXPlatform_Console.h"

namespace KXPlatform {

const char* AnsiColourOfAttribute(uint16_t uAttribute) {
    // Windows orders the colour bits blue, green, red; ANSI orders them red, green, blue.
    static const char* const kNormal[8] = {"\x1b[30m", "\x1b[34m", "\x1b[32m", "\x1b[36m",
                                           "\x1b[31m", "\x1b[35m", "\x1b[33m", "\x1b[37m"};
    static const char* const kBright[8] = {"\x1b[90m", "\x1b[94m", "\x1b[92m", "\x1b[96m",
                                           "\x1b[91m", "\x1b[95m", "\x1b[93m", "\x1b[97m"};
    const unsigned colour = uAttribute & 0x7u;
    return (uAttribute & 0x8u) ? kBright[colour] : kNormal[colour];
}

}  // namespace KXPlatform
