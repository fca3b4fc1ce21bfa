#include "common/NcTest_Tool.h"

#include "common/NcTest_Paths.h"
#include "common/NcTest_TempDir.h"

#include "KX_Platform/KXPlatform_Shell.h"

#include <cstdlib>

// The exit code of the program std::system ran (the shell's status on POSIX, the code itself on Windows).
int NcTestExitCodeOfSystem(int nStatus);

ToolResult RunNcTool(const std::vector<std::string>& words, const std::string& strInput) {
    ToolResult result;
    ScopedTempDir io;
    WriteTestFile(io / "in", strInput);
    using KXPlatform::QuoteShellWord;
    std::string command = QuoteShellWord(NcTestToolsDir() + "/nctool");
    for (const std::string& word : words) command += " " + QuoteShellWord(word);
    command += " <" + QuoteShellWord(io / "in") + " >" + QuoteShellWord(io / "out") + " 2>" +
               QuoteShellWord(io / "err");
    result.nExitCode = NcTestExitCodeOfSystem(std::system(command.c_str()));
    result.strOut = ReadTestFile(io / "out");
    result.strErr = ReadTestFile(io / "err");
    return result;
}
