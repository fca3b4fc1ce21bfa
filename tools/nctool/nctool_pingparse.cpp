// nctool ping-parse [FILE]: the ping summary parser on a file or the standard input; prints
// "loss=N lag=M".
#include "NcTool_Command.h"

#include "netcheck/readers/NetChk_PingParser.h"

#include <cstdio>

namespace {

bool ReadAll(std::FILE* pIn, std::string& strOut) {
    char buf[8192];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), pIn)) > 0) strOut.append(buf, n);
    return !std::ferror(pIn);
}

int Run(const std::vector<std::string>& args) {
    if (args.size() > 1) return nctool::Usage("ping-parse [FILE]");
    std::string strText;
    if (args.empty()) {
        if (!ReadAll(stdin, strText)) return 1;
    } else {
        std::FILE* pIn = std::fopen(args[0].c_str(), "rb");
        if (!pIn) {
            std::fprintf(stderr, "cannot open %s\n", args[0].c_str());
            return 1;
        }
        bool bOk = ReadAll(pIn, strText);
        std::fclose(pIn);
        if (!bOk) return 1;
    }
    // The program hands the parser one read of at most 8192 bytes; so does the tool.
    if (strText.size() > 8192) strText.resize(8192);
    const NetChk_PingFigures figures = NetChk_ParsePingText(strText);
    std::printf("loss=%d lag=%d\n", figures.nLoss, figures.nLag);
    return 0;
}

const nctool::CommandRegistrar registrar("ping-parse", &Run, "ping-parse [FILE]");

}  // namespace
