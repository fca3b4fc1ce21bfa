// CNetChk_UtilResMgr::LoadNetJudged: the grading bounds from "./config/sys/NetJudged.csv".
//
// Data row 1 holds the good bounds, row 2 the common bounds, row 3 the overflow bounds (0 = off); the
// columns "网络延迟(ms)" and "丢包率(%)" are found by name, other columns and rows are ignored.
#include "netcheck/ui/NetChk_UtilResMgr.h"

#include "KX_Kernal/fileandpath/KXKernal_TableFile.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"

#include <cstdlib>

namespace {
const char kNetJudgedFile[] = "./config/sys/NetJudged.csv";
}

bool CNetChk_UtilResMgr::LoadNetJudged() {
    CTabFile table;
    if (!table.Load(kNetJudgedFile, ',', true)) {
        ArkLog(WL_ERROR, M_Common, "无法读取网络质量配置文件%s！\n", kNetJudgedFile);
        return false;
    }
    for (uint32_t i = 0; i < 3; ++i) {
        // A missing row or cell reads as "" and so as 0.
        m_nLagLimit[i] = std::atoi(table.GetString(i + 1, "网络延迟(ms)"));
        m_nLossLimit[i] = std::atoi(table.GetString(i + 1, "丢包率(%)"));
    }
    return true;
}
