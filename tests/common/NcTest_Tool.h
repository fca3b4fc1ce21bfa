// Runs the built nctool (see NcTest_Paths.h) and captures its output and exit code.
#pragma once

#include <string>
#include <vector>

struct ToolResult {
    int nExitCode = -1;
    std::string strOut;
    std::string strErr;
};

// Runs nctool with the words as arguments in the current directory, feeding szInput on standard input.
ToolResult RunNcTool(const std::vector<std::string>& words, const std::string& strInput = std::string());
