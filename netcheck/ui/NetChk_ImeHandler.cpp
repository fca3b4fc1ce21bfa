// CImehandler: the input method through the host window.
#include "netcheck/ui/NetChk_ImeHandler.h"

#include <string>

#include "KX_GUI/ArkEdit.h"
#include "KX_Platform/KXPlatform_HostWindow.h"
#include "netcheck/ui/NetChk_WndCommon.h"

CImehandler::CImehandler(KXPlatform::IHostWindow* pHost) : m_pHost(pHost) {}

CImehandler::~CImehandler() = default;

void CImehandler::EnableIme(bool bEnable) {
    if (!m_pHost) {
        ArkGui::CArkWnd* pRoot = NetChkWnd::GetRoot();
        if (pRoot && pRoot->GetManager()) m_pHost = pRoot->GetManager()->GetHostWindow();
    }
    if (m_pHost) m_pHost->EnableIme(bEnable);
}

void CImehandler::PlayUISound(const char*) {}

void CImehandler::RefreshEdit(ArkGui::CArkEdit* pEdit) {
    if (!pEdit) return;
    const std::string strText = pEdit->GetText();
    pEdit->SetText(strText.c_str());
    pEdit->SetCaret(static_cast<int>(strText.size()));
}
