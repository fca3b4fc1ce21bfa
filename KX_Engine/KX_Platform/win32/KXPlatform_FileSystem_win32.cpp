// Directories and file attributes on Windows, with the ANSI (GBK) functions; paths given to us may use
// "/" or "\", paths handed back use "/".
#include "KX_Platform/KXPlatform_FileSystem.h"

#include "KXPlatform_Win32.h"

#include <io.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace KXPlatform {

namespace {

std::string ForwardSlashes(std::string strPath) {
    std::replace(strPath.begin(), strPath.end(), '\\', '/');
    return strPath;
}

}  // namespace

std::string GetCurrentDir() {
    char buffer[MAX_PATH + 1];
    const DWORD n = ::GetCurrentDirectoryA(sizeof(buffer), buffer);
    if (n == 0 || n >= sizeof(buffer)) return std::string();
    std::string path = ForwardSlashes(std::string(buffer, n));
    if (path.size() > 3 && path.back() == '/') path.pop_back();
    return path;
}

bool SetCurrentDir(const char* szPath) { return szPath && ::SetCurrentDirectoryA(szPath) != 0; }

std::string GetExecutableDir() {
    char buffer[MAX_PATH + 1];
    const DWORD n = ::GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
    if (n == 0 || n >= sizeof(buffer)) return std::string();
    std::string path = ForwardSlashes(std::string(buffer, n));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

FileAttributes GetFileAttributes(const char* szPath) {
    FileAttributes attributes;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!szPath || !::GetFileAttributesExA(szPath, GetFileExInfoStandard, &data)) return attributes;
    attributes.bExists = true;
    attributes.bDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    attributes.uSize =
        attributes.bDirectory ? 0 : (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return attributes;
}

std::FILE* OpenFileStream(const char* szPath, const char* szMode) {
    if (!szPath || !szMode) return nullptr;
    std::FILE* f = std::fopen(szPath, szMode);
    if (!f) {
        ::SetLastError(static_cast<DWORD>(_doserrno));
        return nullptr;
    }
    // The run-time opens files inheritable; a check's command must not keep this one open.
    ::SetHandleInformation(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f))), HANDLE_FLAG_INHERIT, 0);
    return f;
}

bool DeleteFile(const char* szPath) { return szPath && ::DeleteFileA(szPath) != 0; }

bool MoveFile(const char* szFrom, const char* szTo) { return szFrom && szTo && ::MoveFileA(szFrom, szTo) != 0; }

bool ReplaceFile(const char* szFrom, const char* szTo) {
    return szFrom && szTo && ::MoveFileExA(szFrom, szTo, MOVEFILE_REPLACE_EXISTING) != 0;
}

bool MakeDirectory(const char* szPath) {
    if (!szPath) return false;
    if (::CreateDirectoryA(szPath, nullptr)) return true;
    return ::GetLastError() == ERROR_ALREADY_EXISTS && GetFileAttributes(szPath).bDirectory;
}

int32_t LastSystemError() { return static_cast<int32_t>(::GetLastError()); }

std::string DescribeSystemError(int32_t nCode) {
    char buffer[512];
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                               static_cast<DWORD>(nCode), 0, buffer, sizeof(buffer), nullptr);
    while (n > 0 && (buffer[n - 1] == '\r' || buffer[n - 1] == '\n' || buffer[n - 1] == ' ')) --n;
    if (n == 0) return "unknown error " + std::to_string(nCode);
    return std::string(buffer, n);
}

namespace {

bool ListInto(const std::string& root, const std::string& prefix, std::vector<std::string>& out) {
    const std::string dir = prefix.empty() ? root : root + "/" + prefix;
    WIN32_FIND_DATAA entry{};
    HANDLE hFind = ::FindFirstFileA((dir + "/*").c_str(), &entry);
    if (hFind == INVALID_HANDLE_VALUE) return false;
    struct Name {
        std::string strName;
        DWORD uAttributes;
    };
    std::vector<Name> names;
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") names.push_back({name, entry.dwFileAttributes});
    } while (::FindNextFileA(hFind, &entry));
    ::FindClose(hFind);
    std::sort(names.begin(), names.end(), [](const Name& a, const Name& b) { return a.strName < b.strName; });
    for (const Name& name : names) {
        const std::string relative = prefix.empty() ? name.strName : prefix + "/" + name.strName;
        if (name.uAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;  // links are not followed
        if (name.uAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!ListInto(root, relative, out)) return false;
        } else {
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
