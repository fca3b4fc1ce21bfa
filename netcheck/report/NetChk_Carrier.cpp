// LookupCarrier: public address from the address page, carrier from the ranges of IP.csv.
#include "netcheck/report/NetChk_Carrier.h"

#include "KX_Kernal/fileandpath/KXKernal_TableFile.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Download.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_Sockets.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kIpTable[] = "./config/sys/IP.csv";
const char kTempName[] = "userip.txt";
const char kOther[] = "其他";
const char kTag[] = "LookupCarrier";

// _atoi64 kept in its low 32 bits.
uint32_t ParseRangeBound(const char* szCell) {
    return static_cast<uint32_t>(static_cast<unsigned long long>(std::strtoll(szCell, nullptr, 10)));
}

std::string TempFilePath() {
    std::string dir = KXPlatform::GetCurrentDir();
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
    return dir + kTempName;
}

// Reads the downloaded page back from the file; false (logged) when it cannot be read or is empty.
bool ReadPageFile(const std::string& strPath, std::string& strPage) {
    std::FILE* pFile = KXPlatform::OpenFileStream(strPath.c_str(), "rb");
    if (!pFile) {
        ArkLog(WL_ERROR, M_Logic, "%s 读临时ip文件失败！", kTag);
        return false;
    }
    char buf[4096];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof(buf), pFile)) > 0) strPage.append(buf, n);
    std::fclose(pFile);
    if (strPage.empty()) {
        ArkLog(WL_ERROR, M_Logic, "%s 获取的内容长度不对，不能转换为ip！", kTag);
        return false;
    }
    return true;
}

}  // namespace

bool NetChk_AddressFromPage(const std::string& strPage, uint32_t& uAddress) {
    const size_t uClose = strPage.find(']');
    if (uClose == std::string::npos) return false;
    const size_t uOpen = strPage.rfind('[', uClose);
    const size_t uStart = uOpen == std::string::npos ? 1 : uOpen + 1;
    if (uStart > uClose) return false;
    const std::string candidate = strPage.substr(uStart, uClose - uStart);
    if (candidate.empty() || candidate.size() > 16) return false;
    uint32_t uNet = 0;
    if (candidate.find('\0') != std::string::npos || !KXPlatform::ParseIPv4(candidate.c_str(), uNet)) {
        ArkLog(WL_ERROR, M_Logic, "%s %s为无效ip，解析失败！", kTag, candidate.c_str());
        return false;
    }
    unsigned char aBytes[4];
    std::memcpy(aBytes, &uNet, sizeof(aBytes));  // network order: the first part first
    uAddress = (uint32_t(aBytes[0]) << 24) | (uint32_t(aBytes[1]) << 16) | (uint32_t(aBytes[2]) << 8) | aBytes[3];
    ArkLog(WL_WARNING, M_Logic, "%s 获得了玩家出口ip，为%s，解析出来的数字为%d！", kTag, candidate.c_str(),
           static_cast<int>(uAddress));
    return true;
}

void LookupCarrier(std::string& strNetType, const std::string& strIpPage) {
    strNetType = kOther;
    CTabFile table;
    if (!table.Load(kIpTable, ',', true)) {
        ArkLog(WL_ERROR, M_Logic, "%s 读ip表[%s]失败！", kTag, kIpTable);
        return;
    }
    const std::string strTemp = TempFilePath();
    KXPlatform::DownloadOptions options;
    options.uConnectTimeoutMs = 10000;
    options.uReceiveTimeoutMs = 10000;
    options.uMaxBytes = 64u * 1024u;  // the page is a line of text
    const KXPlatform::DownloadResult result = KXPlatform::DownloadToFile(strIpPage.c_str(), options, strTemp.c_str());
    if (result.eStatus != KXPlatform::DownloadStatus::Ok) {
        KXPlatform::DeleteFile(strTemp.c_str());
        ArkLog(WL_ERROR, M_Logic, "%s 下载临时ip文件失败！", kTag);
        return;
    }
    uint32_t uAddress = 0xFFFFFFFFu;
    std::string strPage;
    if (ReadPageFile(strTemp, strPage) && !NetChk_AddressFromPage(strPage, uAddress)) uAddress = 0xFFFFFFFFu;
    KXPlatform::DeleteFile(strTemp.c_str());

    if (uAddress == 0xFFFFFFFFu || table.GetRowCount() < 2) return;
    for (uint32_t uRow = 1; uRow < table.GetRowCount(); ++uRow) {
        const uint32_t uStart = ParseRangeBound(table.GetString(uRow, "StartIP"));
        const uint32_t uEnd = ParseRangeBound(table.GetString(uRow, "EndIP"));
        if (uStart <= uAddress && uAddress <= uEnd) {
            ArkLog(WL_WARNING, M_Logic, "%s 该ip在ip段 %d 到 %d", kTag, static_cast<int>(uStart), static_cast<int>(uEnd));
            const char* szCarrier = table.GetString(uRow, "Carrier");
            if (szCarrier[0] != '\0') strNetType = szCarrier;
            return;
        }
    }
}
