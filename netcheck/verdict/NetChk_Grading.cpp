// Grading of figures and the combination rules of the verdict.
#include "netcheck/verdict/NetChk_Grading.h"

#include "netcheck/ui/NetChk_UtilResMgr.h"

namespace {

std::string Text(const CNetChk_UtilResMgr* pResMgr, const char* szKey) {
    return pResMgr ? pResMgr->GetNetChkString(szKey) : std::string();
}

}  // namespace

void GradeLagLoss(int32_t nValue, std::string& strText, const int32_t nBounds[3], int32_t& nGrade,
                  const CNetChk_UtilResMgr* pResMgr) {
    if (nValue <= nBounds[0]) {
        nGrade = 0;
        strText = Text(pResMgr, "Ntc_LagLoss_Good");
    } else if (nValue > nBounds[1]) {
        nGrade = 2;
        bool bOverflow = nBounds[2] != 0 && nValue > nBounds[2];
        strText = Text(pResMgr, bOverflow ? "Ntc_LagLoss_Overflow" : "Ntc_LagLoss_Bad");
    } else {
        nGrade = 1;
        strText = Text(pResMgr, "Ntc_LagLoss_Common");
    }
}

int32_t CombineGrades(int32_t nLagGrade, int32_t nLossGrade) {
    if (nLagGrade == 0 || nLagGrade == 1) return nLossGrade;
    return nLossGrade == 0 ? 1 : 2;
}

int32_t OutcomeToGrade(int32_t nOutcome) {
    if (nOutcome == 0) return 0;
    if (nOutcome == 1 || nOutcome == 2) return 1;
    return 2;
}

int32_t AdviceIndexForGrade(int32_t nGrade) {
    if (nGrade == 0) return 0;
    if (nGrade == 1) return 2;
    return 3;
}
