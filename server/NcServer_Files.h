// The two folders the server hands out or fills: catalogue documents (read) and dumps (written once).
#pragma once

#include <cstdint>
#include <string>

// Opens the regular file strName (already checked with NcIsSafeName) directly inside strDir for
// reading, without following a symbolic link. The descriptor (close-on-exec) or -1.
int NcOpenCatalogue(const std::string& strDir, const std::string& strName, uint64_t* pSize);

// One dump upload. The bytes go to a hidden temporary file in the dump folder; Commit links it under its
// name, which fails when the name exists, so a name is never overwritten and a half-received dump never
// appears under its name. The temporary file goes away on every path.
class CNcDumpWriter {
public:
    enum class Result { Ok, Exists, Failed };

    CNcDumpWriter() = default;
    ~CNcDumpWriter() { Abort(); }
    CNcDumpWriter(const CNcDumpWriter&) = delete;
    CNcDumpWriter& operator=(const CNcDumpWriter&) = delete;

    Result Begin(const std::string& strDir, const std::string& strName);
    bool Write(const char* pData, size_t uSize);
    Result Commit();
    void Abort();
    uint64_t Written() const { return m_uWritten; }

private:
    int m_nFd = -1;
    std::string m_strTempPath;
    std::string m_strFinalPath;
    uint64_t m_uWritten = 0;
};
