// The end of a check run: the graphics adapter line, the final verdict and advice, the result file under
// "checklist" beside the executable, and the window flash.
#include "netcheck/NetChk_CommandMgr.h"

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_GraphicsAdapter.h"
#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/run/NetChk_CheckView.h"
#include "netcheck/run/NetChk_RunHost.h"
#include "netcheck/verdict/NetChk_Grading.h"

#include "KX_Platform/KXPlatform_Encoding.h"

#include <cstdio>

void CNetChk_CommandMgr::FinishRun(uint32_t uStep) {
    g_DetailInfo.strReportText += "\n";
    g_DetailInfo.strReportText += "显卡型号:";
    g_DetailInfo.strReportText += GetGraphicsCardName();
    SetAppState(INetChk_RunHost::kAppIdle);

    // A grouped run judges the group ping that was chosen, not what slot 0 ran last.
    if (m_bGrouped) SetSlotFigures(0, m_nChosenLag, m_nChosenLoss);
    int32_t nGrade = 0;
    JudgeNetQuality(true, nGrade, 0, m_nResultCode);
    const int32_t nIndex = m_bGrouped ? m_nResultCode : AdviceIndexForGrade(nGrade);
    if (m_pView) {
        m_pView->ShowVerdict(nIndex);
        m_pView->SetProgress(uStep, uStep, INetChk_CheckView::kProgressFinished);
        m_pView->SetStepText(GetString("Ntc_Chk_Finish_PrgsInfo"));
        m_pView->EnableUpload(true);
    }
    StopCheck();
    SaveResultFile();
    if (m_pHost) m_pHost->FlashMainWindow();
    ArkLog(WL_MUST, M_Logic, "批处理全部执行完成！！");
}

std::string CNetChk_CommandMgr::GetResultFilePath() const {
    return GetExeDir() + "/checklist/" + KXPlatform::ToSystemText(TargetFile());
}

bool CNetChk_CommandMgr::SaveResultFile() {
    m_nResultFileError = 0;
    const std::string strDir = GetExeDir() + "/checklist";
    if (!KXPlatform::GetFileAttributes(strDir.c_str()).bDirectory) {
        ArkLog(WL_ERROR, M_Logic, "没有目录 %s，要自己创建一个!", strDir.c_str());
        KXPlatform::MakeDirectory(strDir.c_str());
    }
    const std::string strPath = GetResultFilePath();
    std::FILE* pFile = KXPlatform::OpenFileStream(strPath.c_str(), "wb");
    if (!pFile) {
        m_nResultFileError = KXPlatform::LastSystemError();
        ArkLog(WL_ERROR, M_Logic, "保存结果文件出错，错误码 %d", m_nResultFileError);
        return false;
    }
    // Lines end at LF; carriage returns are dropped and every line ends with CR LF, as the Windows
    // build's text-mode file has it, so the players' files read the same everywhere.
    const std::string& strReport = g_DetailInfo.strReportText;
    std::string strOut;
    strOut.reserve(strReport.size() + strReport.size() / 16 + 2);
    size_t start = 0;
    while (start < strReport.size()) {
        size_t lf = strReport.find('\n', start);
        size_t end = lf == std::string::npos ? strReport.size() : lf;
        for (size_t i = start; i < end; ++i) {
            if (strReport[i] != '\r') strOut += strReport[i];
        }
        strOut += "\r\n";
        start = end + 1;
    }
    const bool bWritten = std::fwrite(strOut.data(), 1, strOut.size(), pFile) == strOut.size();
    if (!bWritten) m_nResultFileError = KXPlatform::LastSystemError();
    // A full disk may show only when the buffer goes out.
    if (std::fclose(pFile) != 0 && bWritten) m_nResultFileError = KXPlatform::LastSystemError();
    if (m_nResultFileError != 0) {
        ArkLog(WL_ERROR, M_Logic, "保存结果文件出错，错误码 %d", m_nResultFileError);
        return false;
    }
    ArkLog(WL_MUST, M_Logic, "保存结果文件 %s", (GetExeDir() + "/checklist/" + TargetFile()).c_str());
    return true;
}

std::string CNetChk_CommandMgr::GetGraphicsCardName() const { return KXPlatform::GetGraphicsAdapterName(); }
