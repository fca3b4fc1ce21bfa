// UploadClient on the GUI thread: start, per-frame poll with the time limit, the reply's result and
// the message that shows it.
#include "netcheck/report/NetChk_UploadClient.h"

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/report/NetChk_UploadJob.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

#include <cstdio>
#include <functional>
#include <system_error>
#include <vector>

namespace {

// A format from the string table with one argument, as printf would show it.
std::string FormatWith(const std::string& strFormat, const char* szType, int32_t nNumber, const std::string& strText) {
    // Only the first conversion is honoured, and only the kind the key's text is meant to carry; any
    // other "%" in a hostile table is printed as it stands.
    std::string out;
    bool bUsed = false;
    for (size_t i = 0; i < strFormat.size(); ++i) {
        const char c = strFormat[i];
        if (c != '%' || i + 1 >= strFormat.size()) {
            out += c;
            continue;
        }
        const char next = strFormat[i + 1];
        if (next == '%') {
            out += '%';
            ++i;
        } else if (!bUsed && next == szType[0]) {
            out += szType[0] == 'd' ? std::to_string(nNumber) : strText;
            bUsed = true;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

CNetChk_UploadClient::CNetChk_UploadClient() = default;

CNetChk_UploadClient::~CNetChk_UploadClient() { StopUpload(); }

void CNetChk_UploadClient::SetResultTargets(const CNetChk_UtilResMgr* pResMgr, INetChkUploadView* pView) {
    m_pResMgr = pResMgr;
    m_pView = pView;
}

bool CNetChk_UploadClient::StartUpload(uint32_t uNowMs) {
    StopUpload();
    auto pJob = std::make_shared<NetChkUploadJob>();
    const NetChk_DetailInfo& info = g_DetailInfo;
    pJob->uAddress = info.uPlatformAddress;
    pJob->uPort = static_cast<uint16_t>(info.nPort & 0xFFFF);
    pJob->strDomain = info.strDomain;
    pJob->strPage = info.strPage;
    pJob->strIpPage = info.strIpPage.empty()
                          ? "http://" + info.strDomain + ":" + std::to_string(info.nPort) + "/ip2city.asp"
                          : info.strIpPage;
    pJob->form.strUserName = info.strUserName;
    pJob->form.strQuestionType = info.strQuestionType;
    pJob->form.strServerName = info.strServerName;
    pJob->form.strNetType = info.strNetType;
    pJob->form.strDescription = info.strDescription;
    pJob->form.strReportText = info.strReportText;
    try {
        m_Thread = std::thread(&CNetChk_UploadClient::UploadThreadProc, pJob);
    } catch (const std::system_error& e) {
        ArkLog(WL_ERROR, M_Logic, "%s 创建上传线程失败：%s", "CNetChk_UploadClient::StartUpload", e.what());
        return false;
    }
    m_uThreadId = static_cast<uint32_t>(std::hash<std::thread::id>()(m_Thread.get_id()));
    m_pJob = std::move(pJob);
    m_uStartTime = uNowMs;
    return true;
}

bool CNetChk_UploadClient::PollUpload(uint32_t uNowMs) {
    if (!m_pJob) return true;
    if (!m_pJob->completed.Wait(0)) {
        if (uNowMs - m_uStartTime <= static_cast<uint32_t>(g_DetailInfo.nUploadLimitMs)) return false;
        ArkLog(WL_ERROR, M_Logic, "%s 上传时间太长，超过了上限，将终止。", "CNetChk_UploadClient::PollUpload");
        StopUpload();
        m_nResultCode = kUploadFailed;
        ShowUploadResult();
        return true;
    }
    // The event is set: the worker has written everything and is ending.
    if (m_Thread.joinable()) m_Thread.join();
    m_bSuccess = m_pJob->bSuccess;
    m_strReceived = m_pJob->strReceived;
    // The carrier found stays for later uploads.
    if (g_DetailInfo.strNetType.empty()) g_DetailInfo.strNetType = m_pJob->form.strNetType;
    g_DetailInfo.bUploadSuccess = m_bSuccess;
    g_DetailInfo.strReceived = m_strReceived;
    m_pJob.reset();
    if (m_bSuccess == 0) {
        ArkLog(WL_ERROR, M_Logic, "%s 上传失败", "CNetChk_UploadClient::PollUpload");
        m_nResultCode = kUploadFailed;
    } else {
        ParseUploadReply();
    }
    ShowUploadResult();
    return true;
}

void CNetChk_UploadClient::ParseUploadReply() {
    const char* szTag = "CNetChk_UploadClient::ParseUploadReply";
    ArkLog(WL_WARNING, M_Logic, "%s 平台返回数据为 %s", szTag, m_strReceived.c_str());
    int32_t nRet = 0;
    bool bBraces = false;
    m_nResultCode = NetChk_ResultFromReply(m_strReceived, nRet, bBraces);
    if (!bBraces) {
        ArkLog(WL_ERROR, M_Logic, "%s 解析返回数据失败，没有找到{ret=xxx}！", szTag);
        return;
    }
    ArkLog(WL_MUST, M_Logic, "%s 得到返回数据中ret= %d", szTag, nRet);
    switch (m_nResultCode) {
        case kUploadRepeated: ArkLog(WL_ERROR, M_Logic, "%s 10分钟内重复登陆!", szTag); break;
        case kUploadUnknownAccount: ArkLog(WL_ERROR, M_Logic, "%s 账号不存在!", szTag); break;
        case kUploadFailed: ArkLog(WL_ERROR, M_Logic, "%s 服务器不存在!", szTag); break;
        default: m_nReplyNumber = nRet; break;
    }
}

std::string CNetChk_UploadClient::BuildResultMessage() const {
    auto text = [this](const char* szKey) { return m_pResMgr ? m_pResMgr->GetNetChkString(szKey) : std::string(); };
    switch (m_nResultCode) {
        case kUploadSuccess: return FormatWith(text("Ntc_Uploade_Success"), "d", m_nReplyNumber, "");
        case kUploadUnknownAccount: return text("Ntc_Uploade_UnameWrong");
        case kUploadRepeated: return FormatWith(text("Ntc_Uploade_IN10MIN"), "d", m_nReplyNumber, "");
        default: return FormatWith(text("Ntc_Uploade_Failed"), "s", 0, m_strTargetFile);
    }
}

void CNetChk_UploadClient::ShowUploadResult() {
    if (m_pView && m_pView->IsReportWndVisible()) {
        if (m_nResultCode == kUploadUnknownAccount) {
            m_pView->ResumeEditing();
        } else {
            m_pView->HideReportWnd();
        }
    }
    const std::string strMessage = BuildResultMessage();
    ArkLog(WL_INFO, M_Logic, "%s 结果 %d：%s", "CNetChk_UploadClient::ShowUploadResult", m_nResultCode,
           strMessage.c_str());
    if (m_pView) m_pView->ShowMessage(strMessage);
}

void CNetChk_UploadClient::StopUpload() {
    if (m_pJob) {
        m_pJob->Abandon();
        m_pJob.reset();
    }
    if (m_Thread.joinable()) m_Thread.detach();  // it holds its own job and ends by itself
    m_uThreadId = 0;
}

bool CNetChk_UploadClient::WaitForWorker(uint32_t uMilliseconds) {
    if (!m_pJob) return true;
    return m_pJob->completed.Wait(uMilliseconds);
}
