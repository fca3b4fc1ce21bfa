// The net-check windows made from the layouts we ship: compiled from data/interface/layouts by nctool,
// loaded as the program loads them, and every child the windows use found with the class they expect.
#include "netcheck/ui/NetChkCommitWnd.h"
#include "netcheck/ui/NetChkMainWnd.h"
#include "netcheck/ui/NetChkMsgBox.h"
#include "netcheck/ui/NetChkTooltipWnd.h"

#include "KX_GUI/ArkEdit.h"
#include "NcTest_NetChkWnd.h"
#include "common/NcTest_Paths.h"
#include "common/NcTest_Tool.h"

using namespace ArkGui;
using namespace netchkwndtest;

namespace {

class ShippedLayout : public NetChkWndFixture {
protected:
    void SetUp() override {
        NetChkWndFixture::SetUp();
        const ToolResult r = RunNcTool({"layout", "compile", NcTestSourceDir() + "/data/interface/layouts", "interface"});
        ASSERT_EQ(r.nExitCode, 0) << r.strErr;
        ASSERT_TRUE(Manager().LoadLayout("interface/netchkroot.auf"));
    }

    template <class T>
    static T* Child(CArkWnd* pParent, const char* szName) {
        CArkWnd* p = pParent->FindChild(szName);
        EXPECT_NE(dynamic_cast<T*>(p), nullptr) << szName;
        return dynamic_cast<T*>(p);
    }
};

TEST_F(ShippedLayout, EveryWindowFindsItsChildrenAndTheButtonsWork) {
    CNetChkMainWnd* pMain = GetNetChkMainWnd();
    ASSERT_NE(pMain, nullptr);
    EXPECT_EQ(pMain->GetWidth(), 640);
    EXPECT_EQ(pMain->GetHeight(), 520);
    EXPECT_FALSE(pMain->GetVisibleFlag());
    Child<CArkProgress>(pMain, "CheckingProgress");
    for (const char* sz : {"StopchkBtn", "RechkBtn", "UploadRptBtn", "CloseBtn"}) Child<CArkButton>(pMain, sz);
    for (const char* sz : {"ResultContWnd", "LagContWnd", "LossContWnd", "RepairSuggestWnd"}) Child<CArkRichWnd>(pMain, sz);
    for (const char* sz : {"PrgsInfoWnd", "ChkingInfoWnd", "CheckResultWnd"}) Child<CArkWnd>(pMain, sz);

    CNetChkCommitWnd* pCommit = GetNetChkCommitWnd();
    ASSERT_NE(pCommit, nullptr);
    for (const char* sz : {"NameEditWnd", "DescripEditWnd"}) Child<CArkEdit>(pCommit, sz);
    for (const char* sz : {"CommitdBtn", "CloseBtn"}) Child<CArkButton>(pCommit, sz);
    for (const char* sz : {"GroupServerWnd", "CommittingWnd", "SheildWnd"}) Child<CArkWnd>(pCommit, sz);

    CNetChkMsgBox* pBox = GetNetChkMsgBox();
    ASSERT_NE(pBox, nullptr);
    Child<CArkRichWnd>(pBox, "test_rh2");
    for (const char* sz : {"testbt", "testbt2", "testbt3"}) Child<CArkButton>(pBox, sz);
    CNetChkGuiTipWnd* pTip = GetNetChkGuiTipWnd();
    ASSERT_NE(pTip, nullptr);
    EXPECT_NE(pTip->GetRichWnd(), nullptr);
    ASSERT_NE(GetNetChkGuiBindWnd(), nullptr);
    EXPECT_NE(GetNetChkGuiBindWnd(), static_cast<CNetChkTooltipWnd*>(pTip));

    // Start-up shows the window; then the layout's buttons answer at their places.
    pMain->SetRect({0, 0, 640, 520});
    pMain->Show(true);
    pMain->SetProgress(3, 3, INetChk_CheckView::kProgressFinished);
    CArkWnd* pRechk = pMain->FindChild("RechkBtn");
    ASSERT_TRUE(pRechk->IsVisible());
    Click(pRechk->GetX() + pRechk->GetWidth() / 2, pRechk->GetY() + pRechk->GetHeight() / 2);
    EXPECT_EQ(m_app.calls, std::vector<std::string>({"start 0"}));

    CArkWnd* pUpload = pMain->FindChild("UploadRptBtn");
    pMain->EnableUpload(true);
    Click(pUpload->GetX() + pUpload->GetWidth() / 2, pUpload->GetY() + pUpload->GetHeight() / 2);
    EXPECT_TRUE(pCommit->IsVisible());
    // It stands in front of the main window (same layer, shown later): its own close button takes the click.
    CArkWnd* pClose = pCommit->FindChild("CloseBtn");
    ASSERT_NE(pClose, nullptr);
    Click(pClose->GetX() + pClose->GetWidth() / 2, pClose->GetY() + pClose->GetHeight() / 2);
    EXPECT_FALSE(pCommit->IsVisible());
}

TEST_F(ShippedLayout, AFinishedCheckUnderTheMessageBoxDrawsNothingWhileIdle) {
    UseSoftwareRenderer();
    CNetChkMainWnd* pMain = GetNetChkMainWnd();
    ASSERT_NE(pMain, nullptr);
    Manager().SetTipWnd(GetNetChkGuiTipWnd());
    Manager().SetBindWnd(GetNetChkGuiBindWnd());
    pMain->SetRect({0, 0, 640, 520});
    pMain->Show(true);
    const std::string strTexts[3] = {"good", "12ms", "0%"};
    const std::string strTips[3] = {"tip", "lag tip", "loss tip"};
    pMain->SetResults(strTexts, strTips);
    pMain->SetProgress(3, 3, INetChk_CheckView::kProgressFinished);
    pMain->ShowVerdict(2);
    GetNetChkMsgBox()->ShowMessage("done");
    EXPECT_TRUE(Manager().RenderFrame(0xFF000000u));
    for (int i = 0; i < 5; ++i) {
        m_uTick += 33;
        EXPECT_FALSE(Manager().RenderFrame(0xFF000000u)) << "idle frame " << i;
    }
    // A running check's dots are a change worth a frame, every half second.
    GetNetChkMsgBox()->Show(false);
    pMain->SetProgress(1, 3, INetChk_CheckView::kProgressRunning);
    EXPECT_TRUE(Manager().RenderFrame(0xFF000000u));
    m_uTick += 100;
    EXPECT_FALSE(Manager().RenderFrame(0xFF000000u));
    m_uTick += 400;
    EXPECT_TRUE(Manager().RenderFrame(0xFF000000u));
}

}  // namespace
