// The three output readers of CNetChk_CommandMgr: the ping parser, the plain copier and the output-file
// reader. Each appends what it read to the report text.
#include "netcheck/NetChk_CommandMgr.h"

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/readers/NetChk_PingParser.h"
#include "netcheck/run/NetChk_CheckView.h"
#include "KX_Platform/KXPlatform_Encoding.h"
#include "KX_Platform/KXPlatform_FileSystem.h"

#include <cstdio>

bool CNetChk_CommandMgr::ReadFailed(int32_t nStep) {
    if (m_pView) {
        const std::string strOverflow = GetString("Ntc_LagLoss_Overflow");
        const std::string texts[3] = {strOverflow, strOverflow, strOverflow};
        const std::string tips[3];
        m_pView->SetResults(texts, tips);
        m_pView->SetProgress(static_cast<uint32_t>(nStep),
                             static_cast<uint32_t>(OrderedCommands().size()) + GroupCount(),
                             INetChk_CheckView::kProgressStopped);
        m_pView->SetStepText(GetString("Ntc_Chk_Excption_OpenTargetFileFailed"));
    }
    return false;
}

bool CNetChk_CommandMgr::ParsePingOutput(int32_t nStep, int32_t nSlot) {
    std::string strOutput;
    if (!ReadSlotOutput(nSlot, kPingReadSize, strOutput)) {
        ArkLog(WL_ERROR, M_Logic, "读管道失败！errcode %d", nSlot >= 0 && nSlot < kSlotCount ? m_Slots[nSlot].child.GetLastError() : 0);
        return ReadFailed(nStep);
    }
    g_DetailInfo.strReportText += strOutput;

    NetChk_PingFigures figures = NetChk_ParsePingText(strOutput);
    ArkLog(WL_MUST, M_Logic, "丢包率是%s , 延迟是%s", figures.strLossText.c_str(), figures.strLagText.c_str());
    SetSlotFigures(nSlot, figures.nLag, figures.nLoss);
    return true;
}

bool CNetChk_CommandMgr::CopyCommandOutput(int32_t nStep, int32_t nSlot) {
    std::string strOutput;
    if (!ReadSlotOutput(nSlot, kCopyReadSize, strOutput)) {
        ArkLog(WL_ERROR, M_Logic, "读管道失败！errcode %d", nSlot >= 0 && nSlot < kSlotCount ? m_Slots[nSlot].child.GetLastError() : 0);
        return ReadFailed(nStep);
    }
    g_DetailInfo.strReportText += strOutput;
    return true;
}

bool CNetChk_CommandMgr::ReadTargetFile(int32_t nStep) {
    std::FILE* pFile = KXPlatform::OpenFileStream(KXPlatform::ToSystemText(TargetFile()).c_str(), "rb");
    if (!pFile) {
        ArkLog(WL_ERROR, M_Logic, "打开批处理生成的文件失败！errcode %d", KXPlatform::LastSystemError());
        return ReadFailed(nStep);
    }
    // Read as a text file: CR LF arrives as LF.
    std::string strText;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), pFile)) > 0) strText.append(buf, n);
    std::fclose(pFile);
    std::string strLines;
    strLines.reserve(strText.size());
    for (size_t i = 0; i < strText.size(); ++i) {
        if (strText[i] == '\r' && i + 1 < strText.size() && strText[i + 1] == '\n') continue;
        strLines += strText[i];
    }
    // The command wrote it as it writes to the pipe.
    g_DetailInfo.strReportText += KXPlatform::FromChildOutput(strLines);
    DeleteLocalFile(TargetFile());
    return true;
}
