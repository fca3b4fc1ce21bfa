// CNetChkCommitWnd: creation, showing over the shield, and the return to editing.
#include "netcheck/ui/NetChkCommitWnd.h"

#include "KX_GUI/ArkButton.h"
#include "KX_GUI/ArkEdit.h"
#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkGui_Defs.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "netcheck/ui/NetChk_AppServices.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"
#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/ui/NetChk_WndCommon.h"

using namespace ArkGui;

namespace {
CNetChkCommitWnd* g_pCommitWnd = nullptr;

void ResumeEdit(CArkEdit* pEdit) {
    if (!pEdit) return;
    pEdit->SetInputSuspended(false);
    pEdit->SetEnabled(true);
}
}  // namespace

CNetChkCommitWnd* GetNetChkCommitWnd() {
    if (g_pCommitWnd) return g_pCommitWnd;
    auto* pWnd = new CNetChkCommitWnd();
    if (!NetChkWnd::CreateFromTemplate(pWnd, "UploadReportWnd")) {
        delete pWnd;
        return nullptr;
    }
    pWnd->CArkWnd::Show(false);
    pWnd->Setup();
    return pWnd;
}

CNetChkCommitWnd* FindNetChkCommitWnd() { return g_pCommitWnd; }

CNetChkCommitWnd::CNetChkCommitWnd() = default;

CNetChkCommitWnd::~CNetChkCommitWnd() {
    if (g_pCommitWnd == this) g_pCommitWnd = nullptr;
}

void CNetChkCommitWnd::Setup() {
    if (!g_pCommitWnd) g_pCommitWnd = this;
    NetChkWnd::ApplyControlFonts(this);
    CArkWnd::Show(false);
    SetLayerOrder(kLayer);
    m_pGroupServer = FindChild("GroupServerWnd");
    m_pNameEdit = NetChkWnd::FindTyped<CArkEdit>(this, "NameEditWnd");
    m_pDescEdit = NetChkWnd::FindTyped<CArkEdit>(this, "DescripEditWnd");
    m_pCommitBtn = NetChkWnd::FindTyped<CArkButton>(this, "CommitdBtn");
    m_pCommitting = FindChild("CommittingWnd");
    m_pShield = FindChild("SheildWnd");
    m_pCloseBtn = NetChkWnd::FindTyped<CArkButton>(this, "CloseBtn");
    if (m_pNameEdit) {
        m_pNameEdit->SetMaxLength(16);
        m_pNameEdit->SetStyle(m_pNameEdit->GetStyle() | 0x4);
    }
    if (m_pDescEdit) {
        m_pDescEdit->SetStyle(m_pDescEdit->GetStyle() | 0x5);
        m_pDescEdit->SetMaxLength(200);
    }
    if (m_pCommitBtn) m_pCommitBtn->SetEnabled(false);
}

void CNetChkCommitWnd::Show(bool bShow) {
    if (bShow) {
        NetChkWnd::CentreInRoot(this);
        if (m_pGroupServer) m_pGroupServer->SetText((g_DetailInfo.strGroupName + "-" + g_DetailInfo.strServerName).c_str());
        if (m_pNameEdit) {
            m_pNameEdit->SetText(g_DetailInfo.strUserName.c_str());
            ResumeEdit(m_pNameEdit);
            m_pNameEdit->SetCaret(static_cast<int>(m_pNameEdit->GetText().size()));
        }
        if (m_pDescEdit) {
            m_pDescEdit->SetText(g_DetailInfo.strDescription.c_str());
            ResumeEdit(m_pDescEdit);
        }
        if (m_pCommitBtn) m_pCommitBtn->Show(true);
        if (m_pCommitting) m_pCommitting->Show(false);
        if (m_pCloseBtn) m_pCloseBtn->Show(true);
        NetChkWnd::RaiseShield(m_pShield);
        // Same layer as the main window, which start-up showed after creating this one.
        BringToFront();
    }
    CArkWnd::Show(bShow);
}

namespace {
const char kPlaceholderName[] = "请输入游戏账号";
constexpr uint32_t kNotifyTab = 260;
constexpr uint32_t kDotStepMs = 500;

uint32_t AppTick() {
    INetChkAppServices* pApp = GetNetChkAppServices();
    return pApp ? pApp->GetAppTick() : 0;
}

void SuspendEdit(CArkEdit* pEdit) {
    if (!pEdit) return;
    pEdit->SetEnabled(false);
    pEdit->SetInputSuspended(true);
}
}  // namespace

void CNetChkCommitWnd::Update() {
    if (m_pCommitBtn && m_pCommitBtn->IsVisible()) {
        const bool bFilled = m_pNameEdit && m_pDescEdit && !m_pNameEdit->GetText().empty() && !m_pDescEdit->GetText().empty();
        m_pCommitBtn->SetEnabled(bFilled);
    }
    m_shieldPainter.Paint(m_pShield);
    if (m_pCommitting && m_pCommitting->IsVisible()) {
        const uint32_t uNow = AppTick();
        if (uNow - m_uUploadingTick >= kDotStepMs) {
            m_nDotCount = (m_nDotCount + 1) % 4;
            m_uUploadingTick = uNow;
        }
        INetChkAppServices* pApp = GetNetChkAppServices();
        const std::string strLine = (pApp ? pApp->GetResMgr()->GetNetChkString("Ntc_Uploade_Uploading") : std::string()) +
                                    std::string(static_cast<size_t>(m_nDotCount), '.');
        if (m_pCommitting->GetText() != strLine) m_pCommitting->SetText(strLine.c_str());
    }
    // The launcher's placeholder goes as soon as the player starts typing the account.
    if (m_pNameEdit && GetManager() && GetManager()->GetActiveWnd() == m_pNameEdit &&
        m_pNameEdit->GetText() == kPlaceholderName) {
        m_pNameEdit->SetText("");
    }
    CArkWnd::Update();
}

int CNetChkCommitWnd::OnNotify(CArkWnd* pChild, uint32_t uCode, intptr_t, intptr_t) {
    if (uCode == kNotifyTab) {
        CArkEdit* pNext = GetManager() && GetManager()->GetActiveWnd() == m_pNameEdit ? m_pDescEdit : m_pNameEdit;
        if (pNext) {
            pNext->Activate();
            pNext->SetCaret(static_cast<int>(pNext->GetText().size()));
        }
    } else if (uCode == ARK_NOTIFY_CLICK && pChild) {
        if (pChild == m_pCommitBtn) {
            Commit();
        } else if (pChild == m_pCloseBtn) {
            Show(false);
        }
    }
    return 0;
}

std::string CNetChkCommitWnd::GetTrimmedName() const {
    if (!m_pNameEdit) return std::string();
    std::string strName = m_pNameEdit->GetText().substr(0, 255);
    const char* szBlanks = " \t\r\n";
    const size_t uFirst = strName.find_first_not_of(szBlanks);
    if (uFirst == std::string::npos) return std::string();
    return strName.substr(uFirst, strName.find_last_not_of(szBlanks) - uFirst + 1);
}

void CNetChkCommitWnd::Commit() {
    CArkWnd* pActive = GetManager() ? GetManager()->GetActiveWnd() : nullptr;
    SuspendEdit(m_pNameEdit);
    SuspendEdit(m_pDescEdit);
    if (m_pCommitBtn && pActive && (pActive == m_pNameEdit || pActive == m_pDescEdit)) m_pCommitBtn->Activate();
    if (m_pCommitBtn) m_pCommitBtn->Show(false);
    if (m_pCommitting) m_pCommitting->Show(true);
    if (m_pCloseBtn) m_pCloseBtn->Show(false);
    g_DetailInfo.strUserName = GetTrimmedName();
    if (m_pDescEdit) g_DetailInfo.strDescription = m_pDescEdit->GetText();
    m_uUploadingTick = AppTick();
    ArkLog(WL_WARNING, M_Logic, "玩家确定开始上传报告！");
    if (INetChkAppServices* pApp = GetNetChkAppServices()) pApp->StartUpload();
}

void CNetChkCommitWnd::ResumeEditing(bool bRefused) {
    if (bRefused) {
        if (m_pCommitting) m_pCommitting->Show(false);
        if (m_pCommitBtn) {
            m_pCommitBtn->Show(true);
            m_pCommitBtn->SetEnabled(true);
        }
        if (m_pCloseBtn) m_pCloseBtn->Show(true);
        if (m_pShield) m_pShield->Show(false);
        return;
    }
    NetChkWnd::RaiseShield(m_pShield);
    ResumeEdit(m_pNameEdit);
    ResumeEdit(m_pDescEdit);
    if (m_pNameEdit) m_pNameEdit->Activate();
}
