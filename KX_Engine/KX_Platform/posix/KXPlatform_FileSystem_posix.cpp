// Directories and file attributes on POSIX.
#include "../KXPlatform_FileSystem.h"
#include "../KXPlatform_Encoding.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

namespace KXPlatform {

std::string GetCurrentDir() {
    char buffer[PATH_MAX];
    if (!getcwd(buffer, sizeof(buffer))) return std::string();
    return buffer;
}

bool SetCurrentDir(const char* szPath) { return szPath && chdir(szPath) == 0; }

std::string GetExecutableDir() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (n <= 0) return std::string();
    std::string path(buffer, static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

FileAttributes GetFileAttributes(const char* szPath) {
    FileAttributes attributes;
    struct stat st {};
    if (!szPath || stat(szPath, &st) != 0) return attributes;
    attributes.bExists = true;
    attributes.bDirectory = S_ISDIR(st.st_mode);
    attributes.uSize = attributes.bDirectory ? 0 : static_cast<uint64_t>(st.st_size);
    return attributes;
}

std::FILE* OpenFileStream(const char* szPath, const char* szMode) {
    if (!szPath || !szMode) return nullptr;
    // glibc's "e" sets close-on-exec in the open itself, so a child spawned by another thread at that
    // moment cannot inherit the descriptor either.
    const std::string strMode = std::string(szMode) + "e";
    return std::fopen(szPath, strMode.c_str());
}

bool DeleteFile(const char* szPath) { return szPath && unlink(szPath) == 0; }

bool MoveFile(const char* szFrom, const char* szTo) {
    if (!szFrom || !szTo) return false;
    // link + unlink refuses an existing destination without a check-then-rename race.
    if (link(szFrom, szTo) == 0) return unlink(szFrom) == 0;
    if (errno == EEXIST) return false;
    struct stat st {};
    if (stat(szTo, &st) == 0) return false;
    return std::rename(szFrom, szTo) == 0;
}

bool ReplaceFile(const char* szFrom, const char* szTo) { return szFrom && szTo && std::rename(szFrom, szTo) == 0; }

bool MakeDirectory(const char* szPath) {
    if (!szPath) return false;
    if (mkdir(szPath, 0755) == 0) return true;
    return errno == EEXIST && GetFileAttributes(szPath).bDirectory;
}

int32_t LastSystemError() { return errno; }

std::string DescribeSystemError(int32_t nCode) {
    char buffer[256];
    // The GNU strerror_r returns its text, which need not be the buffer.
    const char* szText = strerror_r(nCode, buffer, sizeof(buffer));
    return Utf8ToGbk(szText ? szText : "unknown error");
}

namespace {
bool ListInto(const std::string& root, const std::string& prefix, std::vector<std::string>& out) {
    DIR* dir = opendir((prefix.empty() ? root : root + "/" + prefix).c_str());
    if (!dir) return false;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string relative = prefix.empty() ? name : prefix + "/" + name;
        struct stat st {};
        if (lstat((root + "/" + relative).c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            if (!ListInto(root, relative, out)) return false;
        } else if (S_ISREG(st.st_mode)) {
            out.push_back(relative);
        }
    }
    return true;
}
}  // namespace

bool ListFilesRecursive(const char* szRoot, const std::function<void(const std::string&)>& onFile) {
    if (!szRoot) return false;
    std::vector<std::string> files;
    if (!ListInto(szRoot, std::string(), files)) return false;
    for (const std::string& file : files) onFile(file);
    return true;
}

}  // namespace KXPlatform
