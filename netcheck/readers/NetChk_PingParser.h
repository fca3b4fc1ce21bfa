// The ping summary parser: packet loss and average round-trip time from the output of the system ping,
// in the Windows English and Chinese wording and in the iputils wording.
#pragma once

#include <cstdint>
#include <string>

struct NetChk_PingFigures {
    int32_t nLoss = 100;      // percent; 100 when no loss line was found
    int32_t nLag = -1;        // milliseconds; -1 when no usable average was found
    std::string strLossText;  // the bytes the loss was read from ("" when none)
    std::string strLagText;   // the bytes the lag was read from ("" when none)
};

// Parses one output (GBK bytes, any length, NUL bytes allowed). Never fails: an output it does not
// understand gives loss 100 and lag -1.
NetChk_PingFigures NetChk_ParsePingText(const std::string& strOutput);
