#include "netcheck/ui/NetChk_UploadView.h"

#include "netcheck/ui/NetChkCommitWnd.h"
#include "netcheck/ui/NetChkMsgBox.h"

bool CNetChk_WindowUploadView::IsReportWndVisible() {
    const CNetChkCommitWnd* pWnd = FindNetChkCommitWnd();
    return pWnd && pWnd->IsVisible();
}

void CNetChk_WindowUploadView::ResumeEditing() {
    if (CNetChkCommitWnd* pWnd = FindNetChkCommitWnd()) pWnd->ResumeEditing(true);
}

void CNetChk_WindowUploadView::HideReportWnd() {
    if (CNetChkCommitWnd* pWnd = FindNetChkCommitWnd()) pWnd->Show(false);
}

void CNetChk_WindowUploadView::ShowMessage(const std::string& strText) {
    if (CNetChkMsgBox* pBox = GetNetChkMsgBox()) pBox->ShowMessage(strText.c_str());
}
