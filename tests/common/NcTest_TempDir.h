// A fresh directory per test, removed with everything in it; optionally the current directory meanwhile.
#pragma once

#include <string>

class ScopedTempDir {
public:
    // With bEnter the process's current directory moves into the new directory until destruction.
    explicit ScopedTempDir(bool bEnter = false);
    ~ScopedTempDir();
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

    const std::string& Path() const { return m_strPath; }
    // Path() + "/" + relative
    std::string operator/(const std::string& relative) const { return m_strPath + "/" + relative; }

private:
    std::string m_strPath;
    std::string m_strPreviousDir;
};

// Writes bytes to a file, creating its parent directories.
void WriteTestFile(const std::string& path, const std::string& bytes);
// The whole file; "" when it cannot be read.
std::string ReadTestFile(const std::string& path);

// A file:// address for an absolute path with "/" separators ("/tmp/x" or "C:/Temp/x").
std::string NcTestFileUrl(const std::string& strPath);
