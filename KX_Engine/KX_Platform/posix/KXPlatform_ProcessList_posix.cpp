// The process list on POSIX: the numeric entries of /proc.
#include "../KXPlatform_ProcessList.h"

#include "../KXPlatform_Encoding.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace KXPlatform {

namespace {

constexpr char kDeleted[] = " (deleted)";

// readlink of /proc/PID/exe; "" when the process is not ours to inspect or has no executable.
std::string ReadExeLink(uint32_t uPid, ssize_t& nLength) {
    char szLink[64];
    std::snprintf(szLink, sizeof(szLink), "/proc/%u/exe", uPid);
    char szPath[4096];
    nLength = ::readlink(szLink, szPath, sizeof(szPath) - 1);
    if (nLength <= 0) return std::string();
    std::string path(szPath, static_cast<size_t>(nLength));
    // An executable replaced on disk (a rebuild while it runs) is still the same program.
    const size_t n = sizeof(kDeleted) - 1;
    if (path.size() > n && path.compare(path.size() - n, n, kDeleted) == 0) path.resize(path.size() - n);
    return path;
}

std::string ReadSmallFile(const std::string& strPath) {
    std::FILE* f = std::fopen(strPath.c_str(), "rb");
    if (!f) return std::string();
    char buf[512];
    const size_t n = std::fread(buf, 1, sizeof(buf), f);
    std::fclose(f);
    return std::string(buf, n);
}

// The state letter of /proc/PID/stat: after the last ')' that closes the command name.
bool IsZombie(uint32_t uPid) {
    const std::string stat = ReadSmallFile("/proc/" + std::to_string(uPid) + "/stat");
    const size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
}

}  // namespace

bool ListProcesses(std::vector<RunningProcess>& vecOut) {
    vecOut.clear();
    DIR* dir = ::opendir("/proc");
    if (!dir) return false;
    while (dirent* e = ::readdir(dir)) {
        char* end = nullptr;
        const unsigned long pid = std::strtoul(e->d_name, &end, 10);
        if (!end || *end != '\0' || pid == 0 || pid > 0xFFFFFFFFul) continue;
        RunningProcess p;
        p.uPid = static_cast<uint32_t>(pid);
        if (IsZombie(p.uPid)) continue;
        ssize_t nLength = 0;
        const std::string path = ReadExeLink(p.uPid, nLength);
        if (!path.empty()) {
            p.strImageName = path.substr(path.rfind('/') + 1);
        } else {
            // Another user's process: its command name, which the kernel keeps to 15 bytes.
            std::string comm = ReadSmallFile("/proc/" + std::to_string(pid) + "/comm");
            while (!comm.empty() && (comm.back() == '\n' || comm.back() == '\0')) comm.pop_back();
            p.strImageName = comm;
        }
        if (!p.strImageName.empty()) vecOut.push_back(std::move(p));
    }
    ::closedir(dir);
    return true;
}

ImagePathQuery QueryProcessImagePath(uint32_t uPid) {
    ImagePathQuery q;
    q.nErrorBefore = errno;
    ssize_t nLength = 0;
    const std::string path = ReadExeLink(uPid, nLength);
    q.nResult = nLength > 0 ? static_cast<int>(nLength) : 0;
    q.nErrorAfter = path.empty() ? errno : 0;
    q.strPath = Utf8ToGbk(path);
    return q;
}

}  // namespace KXPlatform
