// CNetChkMainWnd: the clicks on its buttons.
#include "netcheck/ui/NetChkMainWnd.h"

#include "KX_GUI/ArkGui_Defs.h"
#include "KX_GUI/ArkRichWnd.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "netcheck/NetChk_CommandMgr.h"
#include "netcheck/ui/NetChkCommitWnd.h"
#include "netcheck/ui/NetChk_AppServices.h"
#include "netcheck/ui/NetChk_WndCommon.h"

int CNetChkMainWnd::OnNotify(ArkGui::CArkWnd* pChild, uint32_t uCode, intptr_t, intptr_t) {
    if (uCode != ArkGui::ARK_NOTIFY_CLICK || !pChild) return 0;
    const std::string& strName = pChild->GetName();
    if (strName == "CloseBtn") {
        OnClose();
    } else if (strName == "StopchkBtn") {
        OnStop();
    } else if (strName == "RechkBtn") {
        OnRecheck();
    } else if (strName == "UploadRptBtn") {
        if (CNetChkCommitWnd* pCommit = GetNetChkCommitWnd()) pCommit->Show(true);
    }
    return 0;
}

void CNetChkMainWnd::OnClose() {
    ArkLog(WL_WARNING, M_Logic, "玩家点关闭按钮退出工具！");
    INetChkAppServices* pApp = GetNetChkAppServices();
    if (!pApp) return;
    pApp->StopCheck();
    pApp->DestroyMainWindow();
}

void CNetChkMainWnd::LogStop() const {
    INetChkAppServices* pApp = GetNetChkAppServices();
    const CNetChk_CommandMgr* pMgr = pApp ? pApp->GetCommandMgr() : nullptr;
    if (!pMgr) return;
    const int nIndex = static_cast<int>(pMgr->GetCurStep());
    const std::vector<NetChkCommand>& vecCommands = pMgr->GetCatalogue().m_vecCommands;
    // A grouped run starts with its two parallel group steps; its ordered commands follow from step 2.
    if (pMgr->IsGrouped() && nIndex <= 1) {
        ArkLog(WL_WARNING, M_Logic, "玩家手动终止检测，目前执行到第 %d 条批处理（并行）", nIndex);
        return;
    }
    const int nCommand = pMgr->IsGrouped() ? nIndex - 2 : nIndex;
    const char* szText = nCommand >= 0 && static_cast<size_t>(nCommand) < vecCommands.size()
                             ? vecCommands[static_cast<size_t>(nCommand)].m_strContent.c_str()
                             : "";
    ArkLog(WL_WARNING, M_Logic, "玩家手动终止检测，目前执行到第 %d 条批处理，内容为 %s", nIndex, szText);
}

void CNetChkMainWnd::OnStop() {
    LogStop();
    INetChkAppServices* pApp = GetNetChkAppServices();
    const CNetChk_CommandMgr* pMgr = pApp ? pApp->GetCommandMgr() : nullptr;
    const std::string strStop = NetChkWnd::GetString("Ntc_Chk_Stop_PrgsInfo");
    SetStepText(strStop);
    if (pMgr) SetProgress(pMgr->GetCurStep(), pMgr->GetTotalSteps(), kProgressStopped);
    else SetProgress(0, 0, kProgressStopped);
    const std::string strTexts[3] = {strStop, strStop, strStop};
    const std::string strTips[3];
    SetResults(strTexts, strTips);
    if (pApp) pApp->StopCheck();
}

void CNetChkMainWnd::OnRecheck() {
    ArkLog(WL_WARNING, M_Logic, "玩家重新检测了！！");
    if (m_pCheckResult) m_pCheckResult->SetText("");
    if (m_pRepair) m_pRepair->SetText("");
    if (INetChkAppServices* pApp = GetNetChkAppServices()) pApp->StartCheck(0);
}
