// CNetChkCommitWnd: creation, showing over the shield, and the return to editing.
#include "netcheck/ui/NetChkCommitWnd.h"

#include "KX_GUI/ArkButton.h"
#include "KX_GUI/ArkEdit.h"
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
    }
    CArkWnd::Show(bShow);
}

void CNetChkCommitWnd::Update() {
    m_shieldPainter.Paint(m_pShield);
    CArkWnd::Update();
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
