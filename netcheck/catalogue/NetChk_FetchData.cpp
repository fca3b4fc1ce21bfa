// FetchData over the platform download: the log lines of the three stages of a download.
#include "netcheck/catalogue/NetChk_FetchData.h"

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Download.h"

bool FetchData(const std::string& strUrl, std::string& strBuffer, uint32_t uTimeoutSeconds) {
    static const char kTag[] = "FetchData";
    ArkLog(WL_MUST, M_Logic, "%s==>%s开启下载", kTag, strUrl.c_str());
    KXPlatform::DownloadOptions options;
    options.uConnectTimeoutMs = uTimeoutSeconds * 1000;
    options.uReceiveTimeoutMs = uTimeoutSeconds * 1000;
    const KXPlatform::DownloadResult result = KXPlatform::DownloadToMemory(strUrl.c_str(), options, strBuffer);
    switch (result.eStatus) {
    case KXPlatform::DownloadStatus::Ok:
        ArkLog(WL_INFO, M_Logic, "%s==>%s下载成功", kTag, strUrl.c_str());
        return true;
    case KXPlatform::DownloadStatus::InitFailed:
        ArkLog(WL_ERROR, M_Logic, "InternetOpen failed:%d", result.nErrorCode);
        return false;
    case KXPlatform::DownloadStatus::OpenFailed:
        ArkLog(WL_ERROR, M_Logic, "InternetOpenUrl failed:%d %s", result.nErrorCode, strUrl.c_str());
        return false;
    case KXPlatform::DownloadStatus::ReadFailed:
        ArkLog(WL_ERROR, M_Logic, "InternetReadFile failed:%d", result.nErrorCode);
        return false;
    }
    return false;
}
