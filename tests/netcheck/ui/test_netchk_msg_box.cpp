// The message box on a tree built by code: a link in the message opens the address its id names in
// the string table (left click only), closing returns the report window to editing, and a scripted run
// answers the box at once.
#include "netcheck/ui/NetChkMsgBox.h"

#include <cstdlib>

#include "KX_GUI/ArkEdit.h"
#include "KX_Platform/KXPlatform_OpenUrl.h"
#include "NcTest_NetChkWnd.h"
#include "netcheck/ui/NetChkCommitWnd.h"
#include "netcheck/ui/NetChkMainWnd.h"

using namespace ArkGui;
using namespace netchkwndtest;

namespace {

class MsgBox : public NetChkWndFixture {
protected:
    void SetUp() override {
        NetChkWndFixture::SetUp();
        m_previousHook = KXPlatform::SetUrlLaunchHook([this](const std::string& strProgram, const std::string& strUrl) {
            m_vecOpened.push_back(strProgram + "|" + strUrl);
            return 0;
        });
        m_pMain = new CNetChkMainWnd();
        m_pMain->SetDeleteWithParent(true);
        ASSERT_EQ(m_pMain->Create("", 0, 0, 0, kWidth, kHeight, &m_root), 0);
        m_pMain->Setup();

        m_pBox = new CNetChkMsgBox();
        m_pBox->SetDeleteWithParent(true);
        ASSERT_EQ(m_pBox->Create("", 0, 0, 0, 300, 200, &m_root), 0);
        // The shield is the box's back-most child (made first: each new child goes in front).
        m_pShield = Make<CArkWnd>(m_pBox, "SheildWnd", 0, 0, 10, 10);
        m_pText = Make<CArkRichWnd>(m_pBox, "test_rh2", 10, 10, 280, 120);
        m_pExit = Make<CArkButton>(m_pBox, "testbt", 20, 150, 80, 30);
        m_pClose = Make<CArkButton>(m_pBox, "testbt2", 120, 150, 80, 30);
        m_pClose2 = Make<CArkButton>(m_pBox, "testbt3", 220, 150, 60, 30);
        m_pBox->Show(false);
        m_pBox->Setup();
    }
    void TearDown() override {
        KXPlatform::SetUrlLaunchHook(std::move(m_previousHook));
        ::unsetenv("NETCHECK_MSGBOX");
        NetChkWndFixture::TearDown();
    }

    // A report window on screen with its edit boxes switched off, as an upload leaves it.
    CNetChkCommitWnd* MakeUploadingReportWnd() {
        auto* pCommit = new CNetChkCommitWnd();
        pCommit->SetDeleteWithParent(true);
        EXPECT_EQ(pCommit->Create("", 0, 100, 100, 300, 250, &m_root), 0);
        Make<CArkWnd>(pCommit, "SheildWnd", 0, 0, 10, 10);
        m_pName = Make<CArkEdit>(pCommit, "NameEditWnd", 10, 10, 200, 20);
        m_pDesc = Make<CArkEdit>(pCommit, "DescripEditWnd", 10, 40, 200, 80);
        pCommit->Setup();
        pCommit->Show(true);
        for (CArkEdit* p : {m_pName, m_pDesc}) {
            p->SetEnabled(false);
            p->SetInputSuspended(true);
        }
        return pCommit;
    }

    KXPlatform::UrlLaunchHook m_previousHook;
    std::vector<std::string> m_vecOpened;
    CNetChkMainWnd* m_pMain = nullptr;
    CNetChkMsgBox* m_pBox = nullptr;
    CArkRichWnd* m_pText = nullptr;
    CArkWnd* m_pShield = nullptr;
    CArkButton* m_pExit = nullptr;
    CArkButton* m_pClose = nullptr;
    CArkButton* m_pClose2 = nullptr;
    CArkEdit* m_pName = nullptr;
    CArkEdit* m_pDesc = nullptr;
};

TEST_F(MsgBox, ShowsCentredOverTheShieldOnItsLayer) {
    EXPECT_EQ(GetNetChkMsgBox(), m_pBox);
    EXPECT_EQ(m_pBox->GetLayerOrder(), 252);
    EXPECT_EQ(m_pText->GetStyle(), 0x00000FF0u);
    m_pBox->ShowMessage("hello");
    EXPECT_TRUE(m_pBox->IsVisible());
    EXPECT_EQ(m_pText->GetText(), "hello");
    EXPECT_EQ(m_pBox->GetX(), 170);  // (640 - 300) / 2, (520 - 200) / 2
    EXPECT_EQ(m_pBox->GetY(), 160);
    EXPECT_TRUE(m_pShield->IsVisible());
    EXPECT_EQ(m_pShield->GetWidth(), m_pMain->GetWidth());
    EXPECT_EQ(m_pShield->GetHeight(), m_pMain->GetHeight());
    EXPECT_TRUE(m_pExit->GetVisibleFlag());
    EXPECT_TRUE(m_pClose->GetVisibleFlag());
    EXPECT_FALSE(m_pClose2->GetVisibleFlag());
}

TEST_F(MsgBox, ALeftClickOnALinkOpensTheAddressItsIdNames) {
    // Id 5, kind 1: the string table holds the address under the key "5". Id 6 has no address.
    m_pBox->ShowMessage("#c(5)abc#c(-1) #c(6)def#c(-1)");
    // The message window takes the mouse 5 pixels left and up of where it draws (its 0xFF0 bits).
    const int nX = m_pText->GetX() + 8, nY = m_pText->GetY() + 9;
    Mouse(WM_RBUTTONDOWN, nX, nY, MK_RBUTTON);
    Mouse(WM_RBUTTONUP, nX, nY);
    EXPECT_TRUE(m_vecOpened.empty());
    Click(nX, nY);
    EXPECT_EQ(m_vecOpened, std::vector<std::string>({"|http://support.example.com/help?id=5"}));

    // A link without an address opens nothing and says so.
    m_vecOpened.clear();
    Click(nX + 24, nY);
    EXPECT_TRUE(m_vecOpened.empty());
    EXPECT_TRUE(Logged("[WL_ERROR] [M_Logic]打开url[]失败，错误码[-1]"));
    EXPECT_TRUE(m_pBox->IsVisible());
}

TEST_F(MsgBox, ClosingReturnsTheReportWindowToEditingAndExitEndsTheProgram) {
    MakeUploadingReportWnd();
    m_pBox->ShowMessage("account unknown");
    Click(m_pClose->GetX() + 5, m_pClose->GetY() + 5);
    EXPECT_FALSE(m_pBox->IsVisible());
    for (CArkEdit* p : {m_pName, m_pDesc}) EXPECT_TRUE(p->GetEnabledFlag());
    EXPECT_EQ(m_root.GetManager()->GetActiveWnd(), m_pName);
    EXPECT_TRUE(m_app.calls.empty());

    m_pBox->ShowMessage("again");
    Click(m_pExit->GetX() + 5, m_pExit->GetY() + 5);
    EXPECT_EQ(m_app.calls, std::vector<std::string>({"destroy"}));
}

TEST_F(MsgBox, AScriptedRunWritesTheBoxAndClosesIt) {
    MakeUploadingReportWnd();
    ::setenv("NETCHECK_MSGBOX", "stderr", 1);
    testing::internal::CaptureStderr();
    m_pBox->ShowMessage("upload done");
    const std::string strErr = testing::internal::GetCapturedStderr();
    EXPECT_NE(strErr.find("msgbox: "), std::string::npos) << strErr;
    EXPECT_NE(strErr.find("upload done"), std::string::npos) << strErr;
    EXPECT_FALSE(m_pBox->IsVisible());
    EXPECT_TRUE(m_pName->GetEnabledFlag());
}

}  // namespace
