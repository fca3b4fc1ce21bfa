// A stand-in browser for the Windows tests: writes the arguments it was given, one per line, to a file
// beside itself named after it ("browser.exe" writes "browser.exe.args"), and exits.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    char szSelf[MAX_PATH] = {};
    const DWORD uLen = ::GetModuleFileNameA(nullptr, szSelf, MAX_PATH);
    if (uLen == 0 || uLen >= MAX_PATH) return 2;
    const std::string strTemp = std::string(szSelf) + ".part";
    std::FILE* pFile = std::fopen(strTemp.c_str(), "wb");
    if (!pFile) return 3;
    for (int i = 1; i < argc; ++i) std::fprintf(pFile, "%s\n", argv[i]);
    std::fclose(pFile);
    // Appears whole or not at all for the test that waits for it.
    return ::MoveFileExA(strTemp.c_str(), (std::string(szSelf) + ".args").c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
