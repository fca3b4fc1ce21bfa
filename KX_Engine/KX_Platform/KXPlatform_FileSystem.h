// Directories and file attributes of the operating system, with "/" as the separator.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace KXPlatform {

struct FileAttributes {
    bool bExists = false;
    bool bDirectory = false;
    uint64_t uSize = 0;  // bytes; 0 for a directory
};

// The current directory without a trailing "/"; empty when it cannot be read.
std::string GetCurrentDir();
bool SetCurrentDir(const char* szPath);

// The directory that holds the running executable, without a trailing "/".
std::string GetExecutableDir();

FileAttributes GetFileAttributes(const char* szPath);

// fopen whose stream is not inherited by child processes: the log file and the pack archives stay
// open for the whole run, and a check's command must not keep them open after the program closes them.
std::FILE* OpenFileStream(const char* szPath, const char* szMode);

// Removes a file (not a directory).
bool DeleteFile(const char* szPath);

// Moves a file; fails when the destination exists, as MoveFileA does.
bool MoveFile(const char* szFrom, const char* szTo);

// Replaces the destination if it exists; atomic on one file system.
bool ReplaceFile(const char* szFrom, const char* szTo);

// Creates one directory level; true when it exists afterwards.
bool MakeDirectory(const char* szPath);

// The system's error code of the last failed file operation of this thread, and its description as
// program text (GBK), e.g. for "could not be written: Permission denied".
int32_t LastSystemError();
std::string DescribeSystemError(int32_t nCode);

// Calls back with the path of every regular file below szRoot, relative to it and with "/" separators,
// in sorted order so that archives built from a tree are reproducible.
bool ListFilesRecursive(const char* szRoot, const std::function<void(const std::string&)>& onFile);

}  // namespace KXPlatform
