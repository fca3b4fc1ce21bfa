// CImehandler: what the GUI manager calls to turn the input method on and off (on while an edit box is
// active), to play UI sounds (this tool plays none) and to refresh an edit box.
#pragma once

#include "KX_GUI/ArkGUIManager.h"

namespace KXPlatform {
class IHostWindow;
}

class CImehandler : public ArkGui::IGUIHandler {
public:
    // The host window whose input method is switched; null: the root's, looked up on first use.
    explicit CImehandler(KXPlatform::IHostWindow* pHost = nullptr);

    void EnableIme(bool bEnable) override;
    void PlayUISound(const char* szName) override;
    void RefreshEdit(ArkGui::CArkEdit* pEdit) override;
    ~CImehandler() override;

private:
    KXPlatform::IHostWindow* m_pHost;
};
