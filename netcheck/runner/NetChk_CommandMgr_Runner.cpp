// The command runner of CNetChk_CommandMgr: batch scripts, the two slots' children and pipes, and the
// deletion of working files.
//
// The script of slot n is "QVRTNchk<n>.sh" in the current directory, written by the platform layer in
// the system's encoding: the command line and then "exit"; for type 2 the line is echoed first, as the
// Windows interpreter does without the "@".
#include "netcheck/NetChk_CommandMgr.h"

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Encoding.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_Shell.h"

#include <cstdio>

namespace {

// The extension is the interpreter's: ".sh" on POSIX, ".bat" on Windows.
const char kBatchFilePattern[] = "QVRTNchk%d%s";

bool IsSlot(int32_t nSlot) { return nSlot >= 0 && nSlot < CNetChk_CommandMgr::kSlotCount; }

}  // namespace

std::string CNetChk_CommandMgr::GetBatchFileName(int32_t nSlot) {
    char szName[64];
    std::snprintf(szName, sizeof(szName), kBatchFilePattern, nSlot, KXPlatform::ScriptFileExtension());
    return szName;
}

void CNetChk_CommandMgr::InitPipe(int32_t nSlot) {
    if (!IsSlot(nSlot)) {
        ArkLog(WL_ERROR, M_Logic, "%s 初始化管道错误 索引：%d", "CNetChk_CommandMgr::InitPipe", nSlot);
        return;
    }
    // A failed pipe is noticed when the child cannot be started on it.
    m_Slots[nSlot].child.OpenPipe();
}

void CNetChk_CommandMgr::ClosePipe(int32_t nSlot) {
    if (!IsSlot(nSlot)) {
        ArkLog(WL_ERROR, M_Logic, "%s 关闭管道错误 索引：%d", "CNetChk_CommandMgr::ClosePipe", nSlot);
        return;
    }
    m_Slots[nSlot].child.ClosePipe();
}

bool CNetChk_CommandMgr::RunCommand(int32_t nSlot, const std::string& strLine, int32_t nType) {
    if (!IsSlot(nSlot)) {
        ArkLog(WL_ERROR, M_Logic, "创建子进程时错误，索引码：%d", nSlot);
        return FatalError();
    }
    InitPipe(nSlot);

    const std::string strBatch = GetBatchFileName(nSlot);
    std::FILE* pFile = std::fopen(strBatch.c_str(), "wb");
    if (!pFile) {
        ArkLog(WL_ERROR, M_Logic, "创建临时批处理文件出错！！");
        return FatalError();
    }
    if (nType == 2) {
        // The command writes the output file itself; the one of an earlier run must not be read again.
        DeleteLocalFile(TargetFile());
    }
    const std::string strScript = KXPlatform::BuildCommandScript(strLine, nType == 2);
    std::fwrite(strScript.data(), 1, strScript.size(), pFile);
    std::fclose(pFile);

    if (!m_Slots[nSlot].child.StartScript(strBatch.c_str())) {
        ArkLog(WL_ERROR, M_Logic, "创建子进程失败! 错误码 %d", m_Slots[nSlot].child.GetLastError());
        return FatalError();
    }
    return true;
}

bool CNetChk_CommandMgr::RunCatalogueCommand(int32_t nSlot, const NetChkCommand& cmd, int32_t nType) {
    if (cmd.m_bAddressRefused) {
        // Nothing of the line is run; the step fails as one whose child could not be started.
        ArkLog(WL_ERROR, M_Logic, "创建子进程失败! 服务器地址不是IPv4地址，命令未执行：%s", cmd.m_strContent.c_str());
        return FatalError();
    }
    return RunCommand(nSlot, cmd.m_strContent, nType);
}

bool CNetChk_CommandMgr::IsSlotDone(int32_t nSlot) {
    if (!IsSlot(nSlot)) return false;
    return m_Slots[nSlot].child.PollEnded();
}

bool CNetChk_CommandMgr::ReadSlotOutput(int32_t nSlot, uint32_t uMaxBytes, std::string& strOut) {
    if (!IsSlot(nSlot)) return false;
    return m_Slots[nSlot].child.ReadOutput(uMaxBytes, strOut);
}

void CNetChk_CommandMgr::ReleaseSlotProcess(int32_t nSlot) {
    if (IsSlot(nSlot)) m_Slots[nSlot].child.ReleaseProcess();
}

int32_t CNetChk_CommandMgr::GetSlotLag(int32_t nSlot) const { return IsSlot(nSlot) ? m_Slots[nSlot].nLag : -1; }

int32_t CNetChk_CommandMgr::GetSlotLoss(int32_t nSlot) const { return IsSlot(nSlot) ? m_Slots[nSlot].nLoss : 100; }

void CNetChk_CommandMgr::SetSlotFigures(int32_t nSlot, int32_t nLag, int32_t nLoss) {
    if (!IsSlot(nSlot)) return;
    m_Slots[nSlot].nLag = nLag;
    m_Slots[nSlot].nLoss = nLoss;
}

void CNetChk_CommandMgr::DeleteLocalFile(const std::string& strName) {
    const std::string strDir = KXPlatform::GetCurrentDir();
    const std::string strFull = strDir + "/" + KXPlatform::ToSystemText(strName);
    KXPlatform::FileAttributes attr = KXPlatform::GetFileAttributes(strFull.c_str());
    if (!attr.bExists) return;
    ArkLog(WL_WARNING, M_Logic, "删除文件%s", (strDir + "/" + strName).c_str());
    if (!KXPlatform::DeleteFile(strFull.c_str())) {
        ArkLog(WL_ERROR, M_Logic, "删除文件失败！！ 错误码 %d", KXPlatform::LastSystemError());
    }
}
