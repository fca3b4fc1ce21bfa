// One of the command manager's two child-process slots: the child with its output pipe, and the figures
// the ping parser took from its last output.
#pragma once

#include "KX_Platform/KXPlatform_ChildProcess.h"

#include <cstdint>

struct NetChk_CommandSlot {
    int32_t nLag = -1;    // average round-trip time in ms; -1 unknown
    int32_t nLoss = 100;  // packet loss in percent; 100 unknown
    KXPlatform::CChildProcess child;
};
