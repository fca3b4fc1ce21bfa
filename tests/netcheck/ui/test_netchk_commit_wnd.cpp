// The report window's form: the commit button follows both fields, Tab, the length limits, the commit.
#include "netcheck/ui/NcTest_NetChkWnd.h"

#include "KX_GUI/ArkEdit.h"
#include "KX_GUI/ArkGUIManager.h"
#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/ui/NetChkCommitWnd.h"

using namespace ArkGui;

namespace {

class CommitWnd : public netchkwndtest::NetChkWndFixture {
protected:
    void SetUp() override {
        NetChkWndFixture::SetUp();
        m_saved = g_DetailInfo;
        g_DetailInfo.strUserName = "请输入游戏账号";
        g_DetailInfo.strDescription.clear();
        m_pWnd = new CNetChkCommitWnd();
        m_pWnd->SetDeleteWithParent(true);
        EXPECT_EQ(m_pWnd->Create("", 0, 100, 100, 400, 300, &m_root), 0);
        m_pWnd->SetName("UploadReportWnd");
        Make<CArkWnd>(m_pWnd, "SheildWnd", 0, 0, 10, 10);
        m_pName = Make<CArkEdit>(m_pWnd, "NameEditWnd", 10, 10, 200, 20);
        m_pDesc = Make<CArkEdit>(m_pWnd, "DescripEditWnd", 10, 40, 200, 80);
        Make<CArkWnd>(m_pWnd, "CommittingWnd", 10, 130, 200, 20);
        m_pCommit = Make<CArkButton>(m_pWnd, "CommitdBtn", 10, 160, 80, 30);
        m_pClose = Make<CArkButton>(m_pWnd, "CloseBtn", 100, 160, 80, 30);
        m_pWnd->Setup();
        m_pWnd->Show(true);
    }
    void TearDown() override {
        g_DetailInfo = m_saved;
        NetChkWndFixture::TearDown();
    }
    void Type(CArkEdit* pEdit, const std::string& strText) {
        pEdit->Activate();
        for (const char c : strText) Key(WM_CHAR, static_cast<uint8_t>(c));
    }
    void ClickOn(CArkWnd* p) { Click(p->GetX() + 5, p->GetY() + 5); }

    NetChk_DetailInfo m_saved;
    CNetChkCommitWnd* m_pWnd = nullptr;
    CArkEdit* m_pName = nullptr;
    CArkEdit* m_pDesc = nullptr;
    CArkButton* m_pCommit = nullptr;
    CArkButton* m_pClose = nullptr;
};

TEST_F(CommitWnd, CommitNeedsBothFieldsAndSendsTheTrimmedName) {
    m_pName->Activate();
    m_pWnd->Update();
    EXPECT_EQ(m_pName->GetText(), "") << "the launcher's placeholder goes when the name box is active";
    Type(m_pDesc, "slow");
    m_pWnd->Update();
    EXPECT_FALSE(m_pCommit->IsEnabled());
    // Tab goes back to the name box, with its caret at the end.
    Key(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(Manager().GetActiveWnd(), m_pName);
    Type(m_pName, " \t");
    for (const char c : std::string("abcdefghijklmnopq")) Key(WM_CHAR, static_cast<uint8_t>(c));
    EXPECT_EQ(m_pName->GetText().size(), 16u) << "a 17th byte is refused";
    m_pName->SetText("  user1 \t");
    m_pWnd->Update();
    EXPECT_TRUE(m_pCommit->IsEnabled());
    Key(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(Manager().GetActiveWnd(), m_pDesc);
    m_pDesc->SetText(std::string(199, 'd').c_str());
    Type(m_pDesc, "xy");
    EXPECT_EQ(m_pDesc->GetText().size(), 200u) << "a 201st byte is refused";

    ClickOn(m_pCommit);
    EXPECT_EQ(m_app.calls, std::vector<std::string>{"upload"});
    EXPECT_EQ(g_DetailInfo.strUserName, "user1");
    EXPECT_EQ(g_DetailInfo.strDescription.size(), 200u);
    EXPECT_FALSE(m_pCommit->IsVisible());
    EXPECT_FALSE(m_pClose->IsVisible());
    EXPECT_FALSE(m_pName->IsEnabled());
    EXPECT_TRUE(Logged("玩家确定开始上传报告！"));

    // Account unknown: back to editing, and a commit starts another upload.
    m_pWnd->ResumeEditing(true);
    m_pWnd->ResumeEditing(false);
    EXPECT_EQ(Manager().GetActiveWnd(), m_pName);
    m_pWnd->Update();
    ClickOn(m_pCommit);
    EXPECT_EQ(m_app.calls.size(), 2u);
}

TEST_F(CommitWnd, BlankNameKeepsCommitOffAndCloseHides) {
    m_pName->SetText(" \t ");
    m_pDesc->SetText("d");
    EXPECT_EQ(m_pWnd->GetTrimmedName(), "");
    m_pName->SetText("");
    m_pWnd->Update();
    EXPECT_FALSE(m_pCommit->IsEnabled());
    ClickOn(m_pClose);
    EXPECT_FALSE(m_pWnd->IsVisible());
    EXPECT_TRUE(m_app.calls.empty());
}

}  // namespace
