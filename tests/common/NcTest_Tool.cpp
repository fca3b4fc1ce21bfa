#include "common/NcTest_Tool.h"

#include "common/NcTest_Paths.h"
#include "common/NcTest_TempDir.h"

#include <sys/wait.h>

#include <cstdlib>

namespace {
std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
}  // namespace

ToolResult RunNcTool(const std::vector<std::string>& words, const std::string& strInput) {
    ToolResult result;
    ScopedTempDir io;
    WriteTestFile(io / "in", strInput);
    std::string command = Quote(NcTestToolsDir() + "/nctool");
    for (const std::string& word : words) command += " " + Quote(word);
    command += " <" + Quote(io / "in") + " >" + Quote(io / "out") + " 2>" + Quote(io / "err");
    const int status = std::system(command.c_str());
    result.nExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.strOut = ReadTestFile(io / "out");
    result.strErr = ReadTestFile(io / "err");
    return result;
}
