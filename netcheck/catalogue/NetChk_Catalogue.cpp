// CNetChk_Catalogue: the search for a new-format catalogue (descriptor, downloads, local copy) and the
// loading of one document with its placeholders.
#include "netcheck/catalogue/NetChk_Catalogue.h"

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_Shell.h"
#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/catalogue/NetChk_CatalogueKey.h"
#include "netcheck/catalogue/NetChk_CatalogueXml.h"
#include "netcheck/catalogue/NetChk_FetchData.h"
#include "netcheck/catalogue/NetChk_ServerArgs.h"
#include "netcheck/catalogue/NetChk_StorageCipher.h"

#include <exception>

namespace {

// Replaces every occurrence of strFrom, resuming after each inserted text so it is never searched again.
void ReplaceAll(std::string& strText, const std::string& strFrom, const std::string& strTo) {
    for (size_t pos = strText.find(strFrom); pos != std::string::npos; pos = strText.find(strFrom, pos)) {
        strText.replace(pos, strFrom.size(), strTo);
        pos += strTo.size();
    }
}

}  // namespace

void CNetChk_Catalogue::SetExeDir(const std::string& strDir) {
    m_strExeDir = strDir;
    if (!m_strExeDir.empty() && m_strExeDir.back() != '/') m_strExeDir += '/';
}

std::string CNetChk_Catalogue::GetExeDir() const {
    return m_strExeDir.empty() ? KXPlatform::GetExecutableDir() + "/" : m_strExeDir;
}

void CNetChk_Catalogue::SetServer(const std::string& strServerName, const std::string& strServerIP) {
    m_bServerSet = true;
    m_strServerName = strServerName;
    m_strServerIP = strServerIP;
}

const std::string& CNetChk_Catalogue::ServerName() const {
    return m_bServerSet ? m_strServerName : g_DetailInfo.strServerName;
}

const std::string& CNetChk_Catalogue::ServerIP() const {
    return m_bServerSet ? m_strServerIP : g_DetailInfo.strServerIP;
}

std::string CNetChk_Catalogue::GetDescriptorPath() const { return GetExeDir() + "patch/update_url.xml"; }

std::string CNetChk_Catalogue::GetLocalCopyPath() const { return GetExeDir() + "net_check.xml"; }

bool CNetChk_Catalogue::initCommandMgr() { return initNewCommandMgr() || initOldCommandMgr(); }

bool CNetChk_Catalogue::initNewCommandMgr() {
    static const char kTag[] = "CNetChk_CommandMgr::initNewCommandMgr";
    // The only exception expected here is the out-of-range one of a stored document whose length
    // trailer lies beyond its data: it ends the new format at once, local copy included.
    try {
        std::vector<std::string> vecUrls;
        switch (NetChk_CatalogueXml::ReadUpdateDescriptor(GetDescriptorPath(), vecUrls)) {
        case NetChk_CatalogueXml::DescriptorStatus::Unreadable:
            ArkLog(WL_ERROR, M_Common, "%s 读取update_url.xml失败", kTag);
            return false;
        case NetChk_CatalogueXml::DescriptorStatus::NoNetCheck:
            ArkLog(WL_ERROR, M_Common, "%s update_url.xml中net_check未配置，请检查配表", kTag);
            return false;
        case NetChk_CatalogueXml::DescriptorStatus::Ok:
            break;
        }
        for (size_t i = 0; i < vecUrls.size(); ++i) {
            if (vecUrls[i].empty()) {
                ArkLog(WL_ERROR, M_Common, "%s update_url.xml中第%u个下载地址为空", kTag, static_cast<unsigned>(i + 1));
                continue;
            }
            std::string strBuffer;
            if (!FetchData(vecUrls[i], strBuffer, kFetchTimeoutSeconds)) continue;
            const std::string strPlain = NetChk_StorageCipher::DecryptString(strBuffer, NetChk_CatalogueKey::kBuiltInKey);
            if (!loadNewCommandMgrXml(strPlain)) continue;
            writeEncryptXml(strPlain);
            return true;
        }
        ArkLog(WL_ERROR, M_Common, "%s网络检测命令配置表下载失败！", kTag);
        if (loadNewCommandMgrXml(loadEncryptXml())) return true;
        ArkLog(WL_ERROR, M_Common, "%s本地网络检测命令配置表读取失败！", kTag);
        return false;
    } catch (const std::exception& e) {
        ArkLog(WL_ERROR, M_Common, "%s捕获异常%s！", kTag, e.what());
        return false;
    }
}

bool CNetChk_Catalogue::loadNewCommandMgrXml(const std::string& strText) {
    static const char kTag[] = "CNetChk_CommandMgr::loadNewCommandMgrXml";
    NetChk_CatalogueXml::CatalogueDocument doc;
    switch (NetChk_CatalogueXml::ParseCatalogueDocument(strText, doc)) {
    case NetChk_CatalogueXml::DocumentStatus::NoRoot:
        ArkLog(WL_ERROR, M_Common, "%s载入新配置失败！%s", kTag, strText.c_str());
        return false;
    case NetChk_CatalogueXml::DocumentStatus::NoConfig:
        ArkLog(WL_ERROR, M_Common, "%s net_check.xml配表错误！", kTag);
        return false;
    case NetChk_CatalogueXml::DocumentStatus::Malformed:
        // Rejected like a document without Config; the second line says what broke the shape.
        ArkLog(WL_ERROR, M_Common, "%s net_check.xml配表错误！", kTag);
        ArkLog(WL_ERROR, M_Common, "%s %s", kTag, doc.strProblem.c_str());
        return false;
    case NetChk_CatalogueXml::DocumentStatus::UseOld:
        ArkLog(WL_MUST, M_Common, "%s 使用旧配置表", kTag);
        return false;
    case NetChk_CatalogueXml::DocumentStatus::Ok:
        break;
    }

    m_mapGroupedCommands.clear();
    for (NetChkCommand& command : doc.vecCommands) {
        if (command.m_nType == 4 || command.m_nType == 5)
            m_mapGroupedCommands[command.m_nType].push_back(std::move(command));
        else
            m_vecCommands.push_back(std::move(command));
    }
    m_strTargetFile = NetChk_TargetFileName(ServerName());

    // Both values come from the launcher's command line or the ini file and end up in a shell script:
    // the address is put in only when it is a plain dotted address, the file name only as one quoted
    // word, so that neither can add a command of its own.
    const bool bAddressOk = NetChk_IsDottedIPv4(ServerIP());
    const std::string strFileWord = KXPlatform::QuoteShellWord(m_strTargetFile);
    bool bRefused = false;
    auto replace = [&](NetChkCommand& command) {
        if (command.m_strContent.find("#IP#") != std::string::npos && !bAddressOk) {
            command.m_bAddressRefused = true;
            bRefused = true;
        } else {
            ReplaceAll(command.m_strContent, "#IP#", ServerIP());
        }
        ReplaceAll(command.m_strContent, "#FILE#", strFileWord);
    };
    for (NetChkCommand& command : m_vecCommands) replace(command);
    for (auto& group : m_mapGroupedCommands)
        for (NetChkCommand& command : group.second) replace(command);
    if (bRefused) ArkLog(WL_ERROR, M_Common, "%s 服务器地址%s不是IPv4地址，使用#IP#的命令不会执行", kTag, ServerIP().c_str());
    return true;
}
