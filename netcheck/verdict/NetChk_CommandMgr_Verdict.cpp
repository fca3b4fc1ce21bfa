// CNetChk_CommandMgr::JudgeNetQuality: the verdict of one slot's figures, and with display the three
// result readings and the summary in front of the report text.
#include "netcheck/NetChk_CommandMgr.h"

#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/run/NetChk_CheckView.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"
#include "netcheck/verdict/NetChk_Grading.h"

#include <cstdio>

namespace {

std::string Format(const char* szFormat, int32_t nValue) {
    char buf[128];
    std::snprintf(buf, sizeof(buf), szFormat, nValue);
    return buf;
}

const char* PickByGrade(int32_t nGrade, const char* szGood, const char* szCommon, const char* szBad) {
    return nGrade == 0 ? szGood : nGrade == 1 ? szCommon : szBad;
}

}  // namespace

void CNetChk_CommandMgr::JudgeNetQuality(bool bDisplay, int32_t& nGrade, int32_t nSlot, int32_t nResultCode) {
    static const int32_t kNoBounds[3] = {0, 0, 0};
    const int32_t* pLagLimits = m_pResMgr ? m_pResMgr->GetLagLimits() : kNoBounds;
    const int32_t* pLossLimits = m_pResMgr ? m_pResMgr->GetLossLimits() : kNoBounds;
    const int32_t nLag = GetSlotLag(nSlot);
    const int32_t nLoss = GetSlotLoss(nSlot);

    std::string strLagTip, strLagText, strLagDetail;
    int32_t nLagGrade = 2;
    if (nLag < 0) {
        // No reply time at all: shown as worse than the longest wait a player would accept.
        strLagTip = "平均延时:大于500毫秒";
        strLagText = GetString("Ntc_LagLoss_Bad");
        strLagDetail = std::string("网络延迟: ") + "高 大于500毫秒" + "\n";
    } else {
        strLagTip = Format("平均延时:%d毫秒", nLag);
        GradeLagLoss(nLag, strLagText, pLagLimits, nLagGrade, m_pResMgr);
        strLagDetail = "网络延迟: " + Format(PickByGrade(nLagGrade, "低 %d毫秒", "中 %d毫秒", "高 %d毫秒"), nLag) + "\n";
    }

    std::string strLossText;
    int32_t nLossGrade = 2;
    const std::string strLossTip = Format("丢包率:%d%%", nLoss);
    GradeLagLoss(nLoss, strLossText, pLossLimits, nLossGrade, m_pResMgr);
    const std::string strLossDetail =
        "丢包率: " + Format(PickByGrade(nLossGrade, "低 %d%%", "中 %d%%", "高 %d%%"), nLoss) + "\n\n";

    const std::string strTip = strLossTip + "#r" + strLagTip;

    int32_t nOverall = CombineGrades(nLagGrade, nLossGrade);
    if (m_bRunGroup5 && bDisplay) nOverall = OutcomeToGrade(nResultCode);
    nGrade = nOverall;

    const std::string strQualityText = GetString(PickByGrade(nOverall, "Ntc_NQ_Good", "Ntc_NQ_Common", "Ntc_NQ_Bad"));
    const std::string strQualityDetail = std::string("网络质量: ") + PickByGrade(nOverall, "良好", "一般", "较差") + "\n";

    if (!bDisplay) return;
    if (m_pView) {
        const std::string texts[3] = {strQualityText, strLagText, strLossText};
        const std::string tips[3] = {strTip, strLagTip, strLossTip};
        m_pView->SetResults(texts, tips);
    }
    g_DetailInfo.strReportText = strQualityDetail + strLagDetail + strLossDetail + g_DetailInfo.strReportText;
}
