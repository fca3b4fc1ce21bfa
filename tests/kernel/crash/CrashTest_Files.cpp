// What a crash left on disk: the files of a directory and the newest log.
#include "kernel/crash/CrashTest_Child.h"

#include "common/NcTest_TempDir.h"

#include <algorithm>
#include <filesystem>

std::vector<std::string> ListFiles(const std::string& strDir) {
    std::vector<std::string> vecOut;
    std::error_code ec;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(strDir, ec)) {
        if (entry.is_regular_file(ec)) vecOut.push_back(entry.path().filename().string());
    }
    std::sort(vecOut.begin(), vecOut.end());
    return vecOut;
}

std::string ReadCrashLog(const std::string& strDir) {
    // A report that runs over the full hour continues in the next hour's file; the names sort by time.
    std::string strLog;
    for (const std::string& strName : ListFiles(strDir + "/log")) strLog += ReadTestFile(strDir + "/log/" + strName);
    return strLog;
}
