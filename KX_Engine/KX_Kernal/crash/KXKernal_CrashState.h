// The crash handler's process-wide state, kept in fixed-size memory without pointers so that the crash
// agent can take a byte copy of it from the failing process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace KXKernal_Crash {

constexpr uint32_t kTextSize = 256;  // 255 bytes and the terminator
constexpr uint32_t kCallRecordCount = 300;

struct Settings {
    char szAppName[kTextSize];
    char szDumpPathFormat[kTextSize];
    char szUploadUrl[kTextSize];
    char szDumpTag[kTextSize];
    char szMachineTag[kTextSize];
    uint32_t uInstallTick;
    uint32_t uMainThreadId;
    bool bHasCallback;
};

struct CallRecords {
    char aText[kCallRecordCount][kTextSize];
    uint32_t uFirst;  // index of the oldest
    uint32_t uCount;
};

Settings& GetSettings();
CallRecords& GetCallRecords();

// Oldest first; empties the ring.
std::vector<std::string> TakeCallRecords();

}  // namespace KXKernal_Crash
