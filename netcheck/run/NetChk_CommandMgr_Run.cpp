// The run controller of CNetChk_CommandMgr: starting steps in ordered and grouped mode, the per-frame
// poll that hands finished outputs to the readers and moves the run on, and stopping.
//
// Ordered mode runs m_vecCommands one by one in slot 0. Grouped mode runs group 4 in both slots (step 0),
// then group 5 when the last group-4 ping graded bad, else group 4 again (step 1), then the ordered
// commands (step n runs entry n - 2).
#include "netcheck/NetChk_CommandMgr.h"

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/run/NetChk_CheckView.h"
#include "netcheck/run/NetChk_RunHost.h"

#include <algorithm>

namespace {

// Source lines the controller's index errors have always reported, so that old logs still compare.
const int kGroupStep0Line = 204;
const int kGroupStep1Line = 240;
// What the zero-wait on a child that still runs answers, in the numbering the stop line has always
// logged (the wait's time-out code), so that old and new logs read alike.
const int kWaitStillRunning = 258;

bool Contains(const std::string& s, const char* szWhat) { return s.find(szWhat) != std::string::npos; }

}  // namespace

void CNetChk_CommandMgr::PrepareFirstStep() {
    DeleteLocalFile(TargetFile());
    if (m_pView) {
        m_pView->EnableUpload(false);
        const std::string strChecking = GetString("Ntc_NQ_Checking");
        const std::string texts[3] = {strChecking, strChecking, strChecking};
        const std::string tips[3];
        m_pView->SetResults(texts, tips);
    }
    g_DetailInfo.strReportText.clear();
}

void CNetChk_CommandMgr::StartStep(uint32_t uStep, bool bGrouped) {
    if (bGrouped) {
        StartGroupedStep(uStep);
        return;
    }
    const std::vector<NetChkCommand>& vecCommands = OrderedCommands();
    if (uStep >= vecCommands.size()) {
        ArkLog(WL_ERROR, M_Logic, "查找命令时发生错误，没有找到相应命令，当前命令：%d", static_cast<int>(uStep));
        FatalError();
        return;
    }
    const NetChkCommand& cmd = vecCommands[uStep];
    m_nCurStep = uStep;
    ArkLog(WL_WARNING, M_Logic, "开始执行批处理命令，目前是第 %d 条，命令内容是%s", static_cast<int>(uStep),
           cmd.m_strContent.c_str());
    if (uStep == 0) PrepareFirstStep();
    m_nRunning = 1;
    if (!RunCatalogueCommand(0, cmd, cmd.m_nType)) return;  // the fatal path was taken
    if (m_pView) {
        m_pView->SetProgress(uStep, static_cast<uint32_t>(vecCommands.size()), INetChk_CheckView::kProgressRunning);
        m_pView->SetStepText(cmd.m_strDesc);
    }
    SetAppState(INetChk_RunHost::kAppChecking);
}

bool CNetChk_CommandMgr::StartGroupCommands(const std::vector<NetChkCommand>& group, uint32_t uStep, int32_t nType) {
    m_nRunning = 0;
    // Only the first two commands of a group run, one per slot.
    const size_t nCount = std::min<size_t>(group.size(), kSlotCount);
    for (size_t i = 0; i < nCount; ++i) {
        m_nRunning += 1;
        ArkLog(WL_WARNING, M_Logic, "开始执行批处理命令，目前是第 %d 条，并行命令，命令内容是%s", static_cast<int>(uStep),
               group[i].m_strContent.c_str());
        if (!RunCatalogueCommand(static_cast<int32_t>(i), group[i], nType)) return false;
    }
    return true;
}

void CNetChk_CommandMgr::StartGroupedStep(uint32_t uStep) {
    m_nFinished = 0;
    m_nCurStep = uStep;
    const NetChkCommand* pLast = nullptr;
    if (uStep == 0) {
        PrepareFirstStep();
        const std::vector<NetChkCommand>* pGroup = FindGroup(4);
        if (!pGroup || pGroup->empty()) {
            ArkLog(WL_ERROR, M_Logic, "查找命令时发生错误，没有找到相应命令，当前命令：%d", 0);
            FatalError();
            return;
        }
        m_nChosenSlot = -1;
        if (!StartGroupCommands(*pGroup, 0, 4)) return;
        pLast = &(*pGroup)[static_cast<size_t>(m_nRunning) - 1];
    } else if (uStep == 1) {
        const int32_t nKey = m_bRunGroup5 ? 5 : 4;
        const std::vector<NetChkCommand>* pGroup = FindGroup(nKey);
        if (!pGroup || pGroup->empty()) {
            ArkLog(WL_ERROR, M_Logic, "查找命令时发生错误，没有找到相应命令，当前命令：%d，命令类型：%d", 1, nKey);
            FatalError();
            return;
        }
        if (!StartGroupCommands(*pGroup, 1, nKey)) return;
        pLast = &(*pGroup)[static_cast<size_t>(m_nRunning) - 1];
    } else {
        const std::vector<NetChkCommand>& vecCommands = OrderedCommands();
        if (uStep - 2 >= vecCommands.size()) {
            ArkLog(WL_ERROR, M_Logic, "查找命令时发生错误，没有找到相应命令，当前命令：%d", static_cast<int>(uStep));
            FatalError();
            return;
        }
        pLast = &vecCommands[uStep - 2];
        ArkLog(WL_WARNING, M_Logic, "开始执行批处理命令，目前是第 %d 条，命令内容是%s", static_cast<int>(uStep),
               pLast->m_strContent.c_str());
        m_nRunning = 1;
        if (!RunCatalogueCommand(0, *pLast, pLast->m_nType)) return;
    }
    if (m_pView) {
        m_pView->SetProgress(uStep, static_cast<uint32_t>(OrderedCommands().size()) + 2,
                             INetChk_CheckView::kProgressRunning);
        m_pView->SetStepText(pLast->m_strDesc);
    }
    SetAppState(INetChk_RunHost::kAppChecking);
}

const NetChkCommand* CNetChk_CommandMgr::FindFinishedCommand(uint32_t uStep, int32_t nSlot) {
    if (m_bGrouped && uStep <= 1) {
        const int32_t nKey = (uStep == 1 && m_bRunGroup5) ? 5 : 4;
        const std::vector<NetChkCommand>* pGroup = FindGroup(nKey);
        if (!pGroup) {
            ArkLog(WL_ERROR, M_Logic, "解析检测结果查找命令时发生错误，没有找到相应命令，当前命令类型：%d", nKey);
            FatalError();
            return nullptr;
        }
        if (static_cast<size_t>(nSlot) >= pGroup->size()) {
            ArkLog(WL_ERROR, M_Logic, "解析检测结果发生错误，索引值超出vector大小，行：%d，索引码：%d，vector大小：%d",
                   uStep == 0 ? kGroupStep0Line : kGroupStep1Line, nSlot, static_cast<int>(pGroup->size()));
            FatalError();
            return nullptr;
        }
        return &(*pGroup)[static_cast<size_t>(nSlot)];
    }
    const std::vector<NetChkCommand>& vecCommands = OrderedCommands();
    const uint32_t uIndex = m_bGrouped ? uStep - 2 : uStep;
    if (uIndex >= vecCommands.size()) {
        ArkLog(WL_ERROR, M_Logic, "解析检测结果错误，索引值超出vector大小，索引码：%d，vector大小：%d",
               static_cast<int>(uIndex), static_cast<int>(vecCommands.size()));
        FatalError();
        return nullptr;
    }
    return &vecCommands[uIndex];
}

bool CNetChk_CommandMgr::HandleOutput(const NetChkCommand& cmd, uint32_t uStep, int32_t nSlot, bool bStepComplete,
                                      bool& bGroup5Done) {
    const int32_t nStep = static_cast<int32_t>(uStep);
    switch (cmd.m_nType) {
    case 0:
        ParsePingOutput(nStep, 0);  // a failure is shown and the run goes on
        return true;
    case 1:
        CopyCommandOutput(nStep, nSlot);
        return true;
    case 2:
    case 3:
        ReadTargetFile(nStep);
        return true;
    case 4: {
        if (!Contains(cmd.m_strContent, "ping")) {
            CopyCommandOutput(nStep, nSlot);
            return true;
        }
        if (!ParsePingOutput(nStep, nSlot)) return false;
        m_bRunGroup5 = false;
        int32_t nGrade = 0;
        JudgeNetQuality(false, nGrade, nSlot, 0);
        if (nGrade == 2 && uStep == 0) m_bRunGroup5 = true;
        if (uStep == 1) m_nResultCode = nGrade == 2 ? 1 : 0;
        m_nChosenLag = GetSlotLag(nSlot);
        m_nChosenLoss = GetSlotLoss(nSlot);
        m_nChosenSlot = nSlot;
        return true;
    }
    case 5:
        if (m_nChosenSlot != -1) {
            m_nChosenLag = GetSlotLag(m_nChosenSlot);
            m_nChosenLoss = GetSlotLoss(m_nChosenSlot);
            m_nChosenSlot = -1;
        }
        if (!ParsePingOutput(nStep, nSlot)) return false;
        if (bStepComplete) {
            bGroup5Done = true;
            m_bRunGroup5 = false;
        }
        return true;
    default:
        return true;
    }
}

void CNetChk_CommandMgr::UpdateRun() {
    const uint32_t uStep = m_nCurStep;
    const uint32_t uTotal = GetTotalSteps();
    const bool bGroupStep = m_bGrouped && uStep <= 1;
    const int32_t nPolled = bGroupStep ? std::min<int32_t>(std::max<int32_t>(m_nRunning, 0), kSlotCount) : 1;

    // Every polled slot is polled (and so drained) each frame; only the lowest ended one is handled.
    int32_t nSlot = -1;
    for (int32_t i = 0; i < nPolled; ++i) {
        if (IsSlotDone(i) && nSlot < 0) nSlot = i;
    }
    if (nSlot < 0) return;

    const NetChkCommand* pCmd = FindFinishedCommand(uStep, nSlot);
    if (!pCmd) return;
    bool bComplete = true;
    if (bGroupStep) {
        m_nFinished += 1;
        bComplete = m_nFinished >= m_nRunning;
    }
    bool bGroup5Done = false;
    if (!HandleOutput(*pCmd, uStep, nSlot, bComplete, bGroup5Done)) {
        // A ping of a group could not be read: the failure is on screen and the run ends here.
        StopCheck();
        return;
    }
    ReleaseSlotProcess(nSlot);
    if (!bComplete) return;

    if (bGroup5Done) {
        m_nResultCode = 2;
        for (int32_t i = 0; i < std::min<int32_t>(m_nRunning, kSlotCount); ++i) {
            int32_t nGrade = 0;
            JudgeNetQuality(false, nGrade, i, 0);
            if (nGrade == 2) {
                m_nResultCode = 3;
                break;
            }
        }
    }
    m_nFinished = 0;
    if (uTotal == 0 || uStep >= uTotal - 1)
        FinishRun(uStep);
    else
        StartStep(uStep + 1, m_bGrouped);
}

void CNetChk_CommandMgr::StopCheck() {
    for (int32_t i = 0; i < kSlotCount; ++i) {
        KXPlatform::CChildProcess& child = m_Slots[i].child;
        if (child.HasProcess() && !child.PollEnded()) {
            child.Terminate();
            ArkLog(WL_WARNING, M_Logic, "子进程居然还在，应该是玩家按了停止按钮手动终止的！子进程:%d,结果:%d", i, kWaitStillRunning);
        }
        DeleteLocalFile(GetBatchFileName(i));
        ClosePipe(i);
    }
    m_nRunning = 0;
    m_nFinished = 0;
    m_bRunGroup5 = false;
    m_nChosenLag = -1;
    m_nChosenLoss = 100;
    m_nChosenSlot = -1;
    m_nResultCode = 0;
    SetAppState(INetChk_RunHost::kAppIdle);
}
