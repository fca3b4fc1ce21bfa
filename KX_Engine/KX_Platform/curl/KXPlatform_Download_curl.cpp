// Downloads, and the crash report's upload, through libcurl: the only file that includes it.
#include "KX_Platform/KXPlatform_Download.h"

#include "KX_Platform/KXPlatform_CrashInfo.h"
#include "KX_Platform/KXPlatform_FileSystem.h"

#include <curl/curl.h>
// On Windows curl.h brings in <windows.h>, whose A/W macro of this name would rename our own function.
#undef GetFileAttributes

#include <cerrno>
#include <cstdio>
#include <mutex>

namespace KXPlatform {

namespace {

struct Transfer {
    std::string* pBuffer = nullptr;
    uint64_t uMaxBytes = 0;
    uint64_t uReceived = 0;
    bool bBodyStarted = false;
    bool bTooLarge = false;
};

size_t OnData(char* pData, size_t uSize, size_t uCount, void* pContext) {
    Transfer& transfer = *static_cast<Transfer*>(pContext);
    const size_t uBytes = uSize * uCount;
    transfer.bBodyStarted = true;
    if (transfer.uReceived + uBytes > transfer.uMaxBytes) {
        transfer.bTooLarge = true;
        return 0;  // a short count makes curl abort with CURLE_WRITE_ERROR
    }
    transfer.pBuffer->append(pData, uBytes);
    transfer.uReceived += uBytes;
    return uBytes;
}

size_t ReadForUpload(char* pBuffer, size_t uSize, size_t uCount, void* pStream) {
    return std::fread(pBuffer, uSize, uCount, static_cast<std::FILE*>(pStream));
}

// curl_global_init is not thread-safe; once per process, never cleaned up because other threads may
// still download while the process ends.
bool GlobalInit() {
    static std::once_flag once;
    static CURLcode result = CURLE_FAILED_INIT;
    std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
    return result == CURLE_OK;
}

}  // namespace

DownloadResult DownloadToMemory(const char* szUrl, const DownloadOptions& options, std::string& strBuffer) {
    DownloadResult result;
    if (!szUrl || !GlobalInit()) {
        result.nErrorCode = CURLE_FAILED_INIT;
        return result;
    }
    CURL* pCurl = curl_easy_init();
    if (!pCurl) {
        result.nErrorCode = CURLE_FAILED_INIT;
        return result;
    }
    Transfer transfer;
    transfer.pBuffer = &strBuffer;
    transfer.uMaxBytes = options.uMaxBytes;

    // Always from the network: ask every cache on the way to revalidate.
    curl_slist* pHeaders = nullptr;
    pHeaders = curl_slist_append(pHeaders, "Cache-Control: no-cache");
    pHeaders = curl_slist_append(pHeaders, "Pragma: no-cache");

    curl_easy_setopt(pCurl, CURLOPT_URL, szUrl);
    curl_easy_setopt(pCurl, CURLOPT_PROTOCOLS_STR, "http,https,file");
    curl_easy_setopt(pCurl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(pCurl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(pCurl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(pCurl, CURLOPT_HTTPHEADER, pHeaders);
    curl_easy_setopt(pCurl, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(pCurl, CURLOPT_FORBID_REUSE, 1L);
    // No signals: SIGALRM-based resolver time-outs would disturb a multi-threaded process.
    curl_easy_setopt(pCurl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(pCurl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.uConnectTimeoutMs));
    // The receive time-out: abort when less than one byte per second arrived over that many seconds.
    const long lReceiveSeconds = static_cast<long>((options.uReceiveTimeoutMs + 999) / 1000);
    curl_easy_setopt(pCurl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(pCurl, CURLOPT_LOW_SPEED_TIME, lReceiveSeconds > 0 ? lReceiveSeconds : 1L);
    curl_easy_setopt(pCurl, CURLOPT_WRITEFUNCTION, &OnData);
    curl_easy_setopt(pCurl, CURLOPT_WRITEDATA, &transfer);

    const CURLcode code = curl_easy_perform(pCurl);
    curl_easy_cleanup(pCurl);
    curl_slist_free_all(pHeaders);

    result.nErrorCode = static_cast<int32_t>(code);
    if (code == CURLE_OK) {
        result.eStatus = DownloadStatus::Ok;
    } else if (transfer.bBodyStarted || transfer.bTooLarge) {
        result.eStatus = DownloadStatus::ReadFailed;
    } else {
        result.eStatus = DownloadStatus::OpenFailed;
    }
    return result;
}

DownloadResult DownloadToFile(const char* szUrl, const DownloadOptions& options, const char* szPath) {
    // The pages fetched this way are small (the body is capped by uMaxBytes): fetch into memory, then
    // write the file in one go.
    std::string strBody;
    DownloadResult result = DownloadToMemory(szUrl, options, strBody);
    if (result.eStatus != DownloadStatus::Ok) return result;
    std::FILE* pFile = szPath ? std::fopen(szPath, "wb") : nullptr;
    const bool bWritten = pFile && std::fwrite(strBody.data(), 1, strBody.size(), pFile) == strBody.size();
    if (pFile && std::fclose(pFile) != 0) result.nErrorCode = errno;
    if (!bWritten || result.nErrorCode != 0) {
        if (result.nErrorCode == 0) result.nErrorCode = errno != 0 ? errno : EIO;
        result.eStatus = DownloadStatus::ReadFailed;
    }
    return result;
}

bool UploadFile(const char* szUrl, const char* szPath) {
    if (!szUrl || !*szUrl || !szPath) return false;
    const FileAttributes attributes = GetFileAttributes(szPath);
    if (!attributes.bExists || attributes.bDirectory) return false;
    std::FILE* pFile = std::fopen(szPath, "rb");
    if (!pFile) return false;
    CURL* pCurl = GlobalInit() ? curl_easy_init() : nullptr;
    bool bDone = false;
    if (pCurl) {
        curl_easy_setopt(pCurl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(pCurl, CURLOPT_URL, szUrl);
        curl_easy_setopt(pCurl, CURLOPT_READFUNCTION, ReadForUpload);
        curl_easy_setopt(pCurl, CURLOPT_READDATA, pFile);
        curl_easy_setopt(pCurl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(attributes.uSize));
        curl_easy_setopt(pCurl, CURLOPT_NOPROGRESS, 1L);
        curl_easy_setopt(pCurl, CURLOPT_NOSIGNAL, 1L);
        // A refusal by the server is a failed upload too, and a dead server must not hold the report.
        curl_easy_setopt(pCurl, CURLOPT_FAILONERROR, 1L);
        curl_easy_setopt(pCurl, CURLOPT_CONNECTTIMEOUT, 10L);
        curl_easy_setopt(pCurl, CURLOPT_TIMEOUT, 120L);
        // No "Expect: 100-continue" round trip: the body follows the headers at once.
        curl_slist* pHeaders = curl_slist_append(nullptr, "Expect:");
        curl_easy_setopt(pCurl, CURLOPT_HTTPHEADER, pHeaders);
        bDone = curl_easy_perform(pCurl) == CURLE_OK;
        curl_easy_cleanup(pCurl);
        curl_slist_free_all(pHeaders);
    }
    std::fclose(pFile);
    return bDone;
}

}  // namespace KXPlatform
