// The upload's outcome shown in the net-check windows: the report window and the message box.
#pragma once

#include "netcheck/report/NetChk_UploadClient.h"

class CNetChk_WindowUploadView : public INetChkUploadView {
public:
    bool IsReportWndVisible() override;
    void ResumeEditing() override;
    void HideReportWnd() override;
    void ShowMessage(const std::string& strText) override;
};
