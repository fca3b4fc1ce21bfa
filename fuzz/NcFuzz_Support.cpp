// The shared set-up of the fuzz harnesses.
#include "NcFuzz_Support.h"

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_MessageBox.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace ncfuzz {

namespace {

std::atomic<uint64_t> g_uBoxes{0};
std::string g_strScratch;

}  // namespace

void Init() {
    static const bool bDone = [] {
        KXPlatform::SetMessageBoxHook([](const KXPlatform::MsgBoxRequest& request) {
            ++g_uBoxes;
            return request.eButtons == KXPlatform::MsgBoxButtons::YesNo ? KXPlatform::MsgBoxAnswer::No
                                                                        : KXPlatform::MsgBoxAnswer::Ignore;
        });
        // Nothing reaches the console or a log file, so no line is formatted at all.
        CArkLogger::Instance().SetConsoleLevel(WL_LEVEL_COUNT);
        CArkLogger::Instance().SetFileLevel(WL_LEVEL_COUNT);
        // One folder per process: several fuzzing jobs may run side by side.
        const char* szBase = std::getenv("NCFUZZ_SCRATCH");
        std::filesystem::path base = szBase && *szBase ? szBase
                                     : std::filesystem::exists("/dev/shm") ? "/dev/shm"
                                                                            : std::filesystem::temp_directory_path();
        const std::filesystem::path dir = base / ("ncfuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        g_strScratch = dir.string() + "/";
        std::filesystem::current_path(dir);
        // Removed when the process ends normally; a crashed run leaves it for the post-mortem.
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(g_strScratch, ec);
        });
        return true;
    }();
    (void)bDone;
}

const std::string& ScratchDir() { return g_strScratch; }

std::string WriteScratchFile(const std::string& strRelative, const std::string& strBytes) {
    const std::filesystem::path path = std::filesystem::path(g_strScratch) / strRelative;
    std::filesystem::create_directories(path.parent_path());
    std::FILE* pFile = std::fopen(path.c_str(), "wb");
    if (!pFile) Fail(__FILE__, __LINE__, "cannot write a scratch file");
    const bool bOk = std::fwrite(strBytes.data(), 1, strBytes.size(), pFile) == strBytes.size();
    if (std::fclose(pFile) != 0 || !bOk) Fail(__FILE__, __LINE__, "cannot write a scratch file");
    return path.string();
}

uint64_t BoxCount() { return g_uBoxes.load(); }

void Fail(const char* szFile, int nLine, const char* szWhat) {
    std::fprintf(stderr, "%s:%d: broken promise: %s\n", szFile, nLine, szWhat);
    std::fflush(stderr);
    std::abort();
}

}  // namespace ncfuzz
