// The ping summary parser on hostile command output (one read of at most 8192 bytes, as the program
// hands it over): the figures always come from the output's own bytes, and what nothing was found for
// keeps its "unknown" value.
#include "NcFuzz_Support.h"

#include "netcheck/readers/NetChk_PingParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
    ncfuzz::Init();
    const std::string strOutput(reinterpret_cast<const char*>(pData), uSize < 8192 ? uSize : 8192);
    const NetChk_PingFigures figures = NetChk_ParsePingText(strOutput);
    if (figures.strLossText.empty()) {
        NCFUZZ_CHECK(figures.nLoss == 100 || figures.nLoss == 0);
    } else {
        NCFUZZ_CHECK(strOutput.find(figures.strLossText) != std::string::npos);
    }
    if (figures.strLagText.empty()) {
        NCFUZZ_CHECK(figures.nLag == -1 || figures.nLag == 0);
    } else {
        NCFUZZ_CHECK(strOutput.find(figures.strLagText) != std::string::npos);
    }
    return 0;
}
