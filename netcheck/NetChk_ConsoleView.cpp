// The terminal's check view: progress, step texts, readings and verdict as UTF-8 lines.
#include "netcheck/NetChk_ConsoleView.h"

#include "KX_Platform/KXPlatform_Encoding.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

namespace {

const char* StateName(int32_t nState) {
    switch (nState) {
    case INetChk_CheckView::kProgressRunning: return "running";
    case INetChk_CheckView::kProgressFinished: return "finished";
    default: return "stopped";
    }
}

// Tooltips break lines with the rich-text code "#r"; a terminal line shows them as "; ".
std::string FlattenTip(const std::string& strTip) {
    std::string out;
    for (size_t i = 0; i < strTip.size(); ++i) {
        if (strTip.compare(i, 2, "#r") == 0) {
            out += "; ";
            ++i;
        } else {
            out += strTip[i];
        }
    }
    return out;
}

}  // namespace

CNetChk_ConsoleView::CNetChk_ConsoleView(std::FILE* pOut, const CNetChk_UtilResMgr* pResMgr)
    : m_pOut(pOut), m_pResMgr(pResMgr) {}

void CNetChk_ConsoleView::WriteLine(const std::string& strGbk) {
    const std::string utf8 = KXPlatform::GbkToUtf8(strGbk) + "\n";
    std::fwrite(utf8.data(), 1, utf8.size(), m_pOut);
    std::fflush(m_pOut);
}

void CNetChk_ConsoleView::SetProgress(uint32_t uPos, uint32_t uMax, int32_t nState) {
    m_nProgressState = nState;
    WriteLine("progress " + std::to_string(uPos) + "/" + std::to_string(uMax) + " " + StateName(nState));
}

void CNetChk_ConsoleView::SetStepText(const std::string& strText) { WriteLine("step " + strText); }

void CNetChk_ConsoleView::SetResults(const std::string strTexts[3], const std::string strTips[3]) {
    static const char* const kNames[3] = {"quality", "latency", "loss"};
    for (int i = 0; i < 3; ++i) {
        std::string line = std::string(kNames[i]) + " " + strTexts[i];
        if (!strTips[i].empty()) line += " (" + FlattenTip(strTips[i]) + ")";
        WriteLine(line);
    }
}

void CNetChk_ConsoleView::ShowVerdict(int32_t nIndex) {
    const std::string strIndex = std::to_string(nIndex);
    std::string strResult, strAdvice;
    if (m_pResMgr) {
        strResult = m_pResMgr->GetNetChkString("Ntc_Chk_CheckResult" + strIndex);
        strAdvice = m_pResMgr->GetNetChkString("Ntc_Chk_RepairSuggest" + strIndex);
    }
    WriteLine("verdict " + strIndex + " " + strResult);
    WriteLine("advice " + strAdvice);
}

void CNetChk_ConsoleView::EnableUpload(bool bEnable) { WriteLine(bEnable ? "upload enabled" : "upload disabled"); }
