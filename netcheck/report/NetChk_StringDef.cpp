// The display string table of CNetChk_UtilResMgr: every shown text and picture name, by key.
#include "netcheck/ui/NetChk_UtilResMgr.h"

#include "KX_Kernal/fileandpath/KXKernal_TableFile.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"

namespace {
const char kStringDefFile[] = "./config/sys/NetChk_string_def.csv";
}  // namespace

bool CNetChk_UtilResMgr::LoadStringDef() {
    CTabFile table;
    if (!table.Load(kStringDefFile, ',', true)) {
        ArkLog(WL_ERROR, M_Common, "无法读取字符串信息配置文件%s！\n", kStringDefFile);
        return false;
    }
    for (uint32_t uRow = 1; uRow < table.GetRowCount(); ++uRow) {
        const char* szKey = table.GetString(uRow, "name");
        if (szKey[0] == '\0') continue;
        // A key that occurs twice keeps the text of its later row.
        m_mapString[szKey] = table.GetString(uRow, "msg");
    }
    return true;
}

std::string CNetChk_UtilResMgr::GetNetChkString(const std::string& strKey) const {
    const auto it = m_mapString.find(strKey);
    return it == m_mapString.end() ? std::string() : it->second;
}
