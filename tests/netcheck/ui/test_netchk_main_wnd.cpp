// The main check window on a tree built by code: progress and the buttons that follow the run's state,
// the state line's dots on the application clock, the clicks through the real mouse routing with their
// log lines and calls, and a window whose children are missing.
#include "netcheck/ui/NetChkMainWnd.h"

#include "NcTest_NetChkWnd.h"

using namespace ArkGui;
using namespace netchkwndtest;

namespace {

class MainWnd : public NetChkWndFixture {
protected:
    void SetUp() override {
        NetChkWndFixture::SetUp();
        m_pWnd = new CNetChkMainWnd();
        m_pWnd->SetDeleteWithParent(true);
        ASSERT_EQ(m_pWnd->Create("", 0, 0, 0, kWidth, kHeight, &m_root), 0);
        m_pProgress = Make<CArkProgress>(m_pWnd, "CheckingProgress", 20, 20, 400, 10);
        m_pInfo = Make<CArkWnd>(m_pWnd, "PrgsInfoWnd", 20, 40, 400, 20);
        m_pStop = Make<CArkButton>(m_pWnd, "StopchkBtn", 20, 400, 80, 30);
        m_pRechk = Make<CArkButton>(m_pWnd, "RechkBtn", 120, 400, 80, 30);
        m_pUpload = Make<CArkButton>(m_pWnd, "UploadRptBtn", 220, 400, 80, 30);
        Make<CArkButton>(m_pWnd, "CloseBtn", 600, 0, 30, 30);
        for (int i = 0; i < 3; ++i) m_pReading[i] = Make<CArkRichWnd>(m_pWnd, kReadingNames[i], 20, 80 + 30 * i, 200, 20);
        m_pStep = Make<CArkWnd>(m_pWnd, "ChkingInfoWnd", 20, 200, 400, 20);
        m_pVerdict = Make<CArkWnd>(m_pWnd, "CheckResultWnd", 20, 230, 400, 20);
        m_pAdvice = Make<CArkRichWnd>(m_pWnd, "RepairSuggestWnd", 20, 260, 400, 100);
        m_pWnd->Setup();
    }

    static constexpr const char* kReadingNames[3] = {"ResultContWnd", "LagContWnd", "LossContWnd"};
    CNetChkMainWnd* m_pWnd = nullptr;
    CArkProgress* m_pProgress = nullptr;
    CArkWnd* m_pInfo = nullptr;
    CArkButton* m_pStop = nullptr;
    CArkButton* m_pRechk = nullptr;
    CArkButton* m_pUpload = nullptr;
    CArkRichWnd* m_pReading[3] = {};
    CArkWnd* m_pStep = nullptr;
    CArkWnd* m_pVerdict = nullptr;
    CArkRichWnd* m_pAdvice = nullptr;
};

TEST_F(MainWnd, IsTheShapedLayer200InstanceAndItsReadingsTakeTheMouse) {
    EXPECT_EQ(GetNetChkMainWnd(), m_pWnd);
    EXPECT_EQ(m_pWnd->GetLayerOrder(), 200);
    EXPECT_TRUE(m_pWnd->HasStyle(ARK_STYLE_SHAPED));
    for (CArkRichWnd* p : m_pReading) EXPECT_TRUE(p->GetRichText().GetDefaultFlags() & ArkRichFlag(ARK_RICH_TAKE_MOUSE));
    EXPECT_FALSE(m_pAdvice->GetRichText().GetDefaultFlags() & ArkRichFlag(ARK_RICH_TAKE_MOUSE));
}

TEST_F(MainWnd, ProgressIsCutToBothMaximaAndTheButtonsFollowTheState) {
    ASSERT_EQ(m_pProgress->GetMax(), 100.0);
    m_pWnd->SetProgress(15, 10, INetChk_CheckView::kProgressRunning);
    EXPECT_EQ(m_pProgress->GetValue(), 10.0);
    EXPECT_EQ(m_pProgress->GetMax(), 10.0);
    EXPECT_TRUE(m_pStop->GetVisibleFlag());
    EXPECT_FALSE(m_pRechk->GetVisibleFlag());
    // The position is first cut to the old maximum (10), not the new one.
    m_pWnd->SetProgress(15, 20, INetChk_CheckView::kProgressRunning);
    EXPECT_EQ(m_pProgress->GetValue(), 10.0);

    for (int32_t nState : {INetChk_CheckView::kProgressFinished, INetChk_CheckView::kProgressStopped}) {
        m_pWnd->SetProgress(20, 20, INetChk_CheckView::kProgressRunning);
        m_pWnd->SetProgress(3, 20, nState);
        EXPECT_FALSE(m_pStop->GetVisibleFlag()) << nState;
        EXPECT_TRUE(m_pRechk->GetVisibleFlag()) << nState;
        EXPECT_EQ(m_pWnd->GetState(), nState);
        EXPECT_EQ(m_pProgress->GetValue(), 3.0);
    }
    m_pWnd->EnableUpload(true);
    EXPECT_TRUE(m_pUpload->GetEnabledFlag());
    m_pWnd->EnableUpload(false);
    EXPECT_FALSE(m_pUpload->GetEnabledFlag());
}

TEST_F(MainWnd, StateLineCountsDotsOnTheApplicationClockAndNamesTheEnd) {
    m_pWnd->Show(true);
    m_pWnd->Update();
    EXPECT_EQ(m_pInfo->GetText(), "checking");
    m_uTick += 499;
    m_pWnd->Update();
    EXPECT_EQ(m_pInfo->GetText(), "checking");
    std::vector<std::string> vecSeen;
    for (int i = 0; i < 7; ++i) {
        m_uTick += 500;
        m_pWnd->Update();
        vecSeen.push_back(m_pInfo->GetText());
    }
    EXPECT_EQ(vecSeen, std::vector<std::string>({"checking.", "checking..", "checking...", "checking....",
                                                 "checking.....", "checking......", "checking"}));
    // The manager's own clock does not drive the dots: the application's does.
    m_root.GetManager()->SetTickSource([] { return 0u; });
    m_uTick += 500;
    m_pWnd->Update();
    EXPECT_EQ(m_pInfo->GetText(), "checking.");

    m_pWnd->SetProgress(5, 5, INetChk_CheckView::kProgressFinished);
    m_pWnd->Update();
    EXPECT_EQ(m_pInfo->GetText(), "finished");
    m_pWnd->SetProgress(5, 5, INetChk_CheckView::kProgressStopped);
    m_pWnd->Update();
    EXPECT_EQ(m_pInfo->GetText(), "stopped");

    // Showing again starts a new run's line and clears the last verdict.
    m_pWnd->ShowVerdict(2);
    EXPECT_EQ(m_pVerdict->GetText(), "result2");
    EXPECT_EQ(m_pAdvice->GetText(), "advice2");
    m_pWnd->Show(true);
    m_pWnd->Update();
    EXPECT_EQ(m_pInfo->GetText(), "checking.");
    EXPECT_EQ(m_pVerdict->GetText(), "");
    EXPECT_EQ(m_pAdvice->GetText(), "");
}

TEST_F(MainWnd, StopLogsTheCommandOfEitherCatalogueFormatAndShowsTheStop) {
    CNetChk_CommandMgr& mgr = m_app.commandMgr;
    for (int i = 0; i < 4; ++i) mgr.GetCatalogue().m_vecCommands.push_back({1, "ping cmd" + std::to_string(i), "d"});
    const std::string strTips[3] = {"tip a", "tip b", "tip c"};
    const std::string strTexts[3] = {"a", "b", "c"};

    struct Case {
        bool bGrouped;
        uint32_t uStep;
        const char* szLine;
    };
    const Case cases[] = {
        {false, 3, "玩家手动终止检测，目前执行到第 3 条批处理，内容为 ping cmd3"},
        {true, 1, "玩家手动终止检测，目前执行到第 1 条批处理（并行）"},
        {true, 0, "玩家手动终止检测，目前执行到第 0 条批处理（并行）"},
        {true, 4, "玩家手动终止检测，目前执行到第 4 条批处理，内容为 ping cmd2"},
    };
    for (const Case& c : cases) {
        mgr.SetGrouped(c.bGrouped);
        mgr.SetCurStep(c.uStep);
        m_pWnd->SetProgress(c.uStep, 10, INetChk_CheckView::kProgressRunning);
        m_pWnd->SetResults(strTexts, strTips);
        m_app.calls.clear();
        m_log.Clear();
        Click(m_pStop->GetX() + 5, m_pStop->GetY() + 5);
        EXPECT_TRUE(Logged(c.szLine)) << c.szLine;
        EXPECT_EQ(m_app.calls, std::vector<std::string>({"stop"}));
        EXPECT_EQ(m_pStep->GetText(), "stop-info");
        for (CArkRichWnd* p : m_pReading) {
            EXPECT_EQ(p->GetText(), "stop-info");
            EXPECT_EQ(p->GetTipText(), "");
        }
        EXPECT_EQ(m_pWnd->GetState(), INetChk_CheckView::kProgressStopped);
        EXPECT_EQ(m_pProgress->GetMax(), static_cast<double>(mgr.GetTotalSteps()));
        EXPECT_FALSE(m_pStop->GetVisibleFlag());
        EXPECT_TRUE(m_pRechk->GetVisibleFlag());
    }
    EXPECT_TRUE(Logged("[WL_WARNING] [M_Logic]玩家手动终止检测"));
}

TEST_F(MainWnd, RecheckAndCloseActOnlyOnAWholeClick) {
    m_pWnd->SetProgress(5, 5, INetChk_CheckView::kProgressFinished);
    m_pWnd->ShowVerdict(2);
    const int nX = m_pRechk->GetX() + 5, nY = m_pRechk->GetY() + 5;
    // Pressed on the button, released beside it: no click.
    Mouse(WM_LBUTTONDOWN, nX, nY, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, nX + 200, nY - 100, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, nX + 200, nY - 100);
    EXPECT_TRUE(m_app.calls.empty());
    EXPECT_FALSE(Logged("玩家重新检测了！！"));
    EXPECT_EQ(m_pVerdict->GetText(), "result2");

    Click(nX, nY);
    EXPECT_EQ(m_app.calls, std::vector<std::string>({"start 0"}));
    EXPECT_TRUE(Logged("[WL_WARNING] [M_Logic]玩家重新检测了！！"));
    EXPECT_EQ(m_pVerdict->GetText(), "");
    EXPECT_EQ(m_pAdvice->GetText(), "");

    m_app.calls.clear();
    Click(605, 5);
    EXPECT_EQ(m_app.calls, std::vector<std::string>({"stop", "destroy"}));
    EXPECT_TRUE(Logged("[WL_WARNING] [M_Logic]玩家点关闭按钮退出工具！"));
}

TEST(MainWndAlone, MissingChildrenAreSkipped) {
    ArkGuiTest::CRecordingWnd owner;  // not created: no tree at all
    CNetChkMainWnd wnd;
    wnd.Setup();
    wnd.SetProgress(15, 10, INetChk_CheckView::kProgressFinished);
    const std::string strTexts[3] = {"a", "b", "c"};
    wnd.SetResults(strTexts, strTexts);
    wnd.ShowVerdict(1);
    wnd.SetStepText("x");
    wnd.EnableUpload(true);
    wnd.Show(true);
    wnd.Update();
    EXPECT_EQ(wnd.OnNotify(&owner, ARK_NOTIFY_CLICK, 0, 0), 0);
    EXPECT_EQ(wnd.GetState(), INetChk_CheckView::kProgressRunning);
}

}  // namespace
