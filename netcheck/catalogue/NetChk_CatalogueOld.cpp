// CNetChk_Catalogue::initOldCommandMgr: the old-format table, one row per command, whose rows of the
// game server's network segment form the catalogue.
#include "netcheck/catalogue/NetChk_Catalogue.h"

#include "KX_Kernal/KXKernal_Assert.h"
#include "KX_Kernal/fileandpath/KXKernal_TableFile.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"

#include <cstdlib>
#include <cstring>

namespace {

const char kOldTable[] = "./config/sys/NetChkOption.csv";

// The segment of a dotted address: everything before its last "."; the whole text without one.
std::string SegmentOf(const std::string& strIP) {
    const size_t pos = strIP.rfind('.');
    return pos == std::string::npos ? strIP : strIP.substr(0, pos);
}

}  // namespace

bool CNetChk_Catalogue::initOldCommandMgr() {
    static const char kTag[] = "CNetChk_CommandMgr::initOldCommandMgr";
    CTabFile table;
    if (!table.Load(kOldTable, ',', true)) {
        ArkLog(WL_ERROR, M_Common, "%s网络检测命令配置表%s加载失败！\n", kTag, kOldTable);
        KXKernal_MessageBox("网络检测命令配置表加载失败!");
        return false;
    }
    const std::string strSegment = SegmentOf(ServerIP());
    bool bMatched = false;
    const uint32_t uRows = table.GetRowCount();
    for (uint32_t uRow = 1; uRow < uRows; ++uRow) {
        if (std::strcmp(table.GetString(uRow, "机房网段"), strSegment.c_str()) != 0) continue;
        bMatched = true;
        m_strTargetFile = table.GetString(uRow, "目标文件");
        NetChkCommand command;
        // A 64-bit decimal kept in its low 32 bits, as the table tools of the game write it.
        command.m_nType = static_cast<int32_t>(std::strtoll(table.GetString(uRow, "命令类型"), nullptr, 10));
        command.m_strContent = table.GetString(uRow, "命令内容");
        command.m_strDesc = table.GetString(uRow, "命令描述");
        m_vecCommands.push_back(std::move(command));
    }
    if (uRows < 2 || !bMatched) {
        ArkLog(WL_ERROR, M_Common, "%s找不到服务器%s对应的大区网段%s！\n", kTag, ServerName().c_str(), strSegment.c_str());
        KXKernal_MessageBox("匹配大区网段地址失败!");
        return false;
    }
    return true;
}
