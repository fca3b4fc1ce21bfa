// CNetChkCommitWnd: the pop-up in which the player sends the check report. This part holds its creation,
// showing over a shield and the return to editing after the message box; the form's own behaviour
// (enabling the commit, the upload animation, the commit itself) comes with the report upload.
#pragma once

#include "KX_GUI/ArkWnd.h"
#include "netcheck/ui/NetChk_WndCommon.h"

namespace ArkGui {
class CArkButton;
class CArkEdit;
}  // namespace ArkGui

class CNetChkCommitWnd : public ArkGui::CArkWnd {
public:
    static constexpr int kLayer = 200;

    CNetChkCommitWnd();
    ~CNetChkCommitWnd() override;

    void Show(bool bShow) override;
    void Update() override;

    // After the window and its children exist: fonts, layer, child look-ups.
    // The first window set up is the instance its accessor returns.
    void Setup();
    // true: an upload was refused for the account while the message box is up (commit button back,
    // shield down: the box brings its own); false: the box has closed (shield up, edit boxes back on,
    // the name box active).
    void ResumeEditing(bool bRefused);

private:
    ArkGui::CArkWnd* m_pGroupServer = nullptr;
    ArkGui::CArkEdit* m_pNameEdit = nullptr;
    ArkGui::CArkEdit* m_pDescEdit = nullptr;
    ArkGui::CArkButton* m_pCommitBtn = nullptr;
    ArkGui::CArkWnd* m_pCommitting = nullptr;
    ArkGui::CArkWnd* m_pShield = nullptr;
    ArkGui::CArkButton* m_pCloseBtn = nullptr;
    NetChkWnd::CShieldPainter m_shieldPainter;
};

// The report window, created hidden from the template "UploadReportWnd" on the first call; null when
// there is no window tree yet.
CNetChkCommitWnd* GetNetChkCommitWnd();
// The report window if it exists, without creating it.
CNetChkCommitWnd* FindNetChkCommitWnd();
