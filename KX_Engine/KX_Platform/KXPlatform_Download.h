// Downloads of one address into memory, with time-outs and without any cache. http://, https:// and
// file:// addresses work; the HTTP status is not examined, so an error page is a body like any other.
#pragma once

#include <cstdint>
#include <string>

namespace KXPlatform {

// Where a download stopped. The three failures match the three stages the callers log: the library
// could not be set up, the address could not be opened (name, connection, protocol), or the transfer
// broke after it had begun.
enum class DownloadStatus { Ok = 0, InitFailed, OpenFailed, ReadFailed };

struct DownloadOptions {
    uint32_t uConnectTimeoutMs = 30000;
    // The longest time without a single byte arriving; the transfer as a whole has no limit.
    uint32_t uReceiveTimeoutMs = 30000;
    // A body larger than this breaks the transfer (ReadFailed), so a hostile server cannot fill memory.
    uint64_t uMaxBytes = 16u * 1024u * 1024u;
};

struct DownloadResult {
    DownloadStatus eStatus = DownloadStatus::InitFailed;
    int32_t nErrorCode = 0;  // the backend's error number, for log lines; 0 on success
};

// Appends every byte received to strBuffer; on ReadFailed the bytes received so far stay there.
DownloadResult DownloadToMemory(const char* szUrl, const DownloadOptions& options, std::string& strBuffer);

// Downloads into the file szPath (system encoding), replacing it. Ok only when the whole transfer
// succeeded and the file was written; otherwise the file may hold a part and the caller deletes it.
DownloadResult DownloadToFile(const char* szUrl, const DownloadOptions& options, const char* szPath);

}  // namespace KXPlatform
