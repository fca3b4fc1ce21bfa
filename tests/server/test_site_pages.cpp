// What the support pages show: hostile player text stays text, the check content comes back as lines, the
// verdict the client printed is found, filters and analytics reach the page.
#include "server/NcServerTest_Site.h"

#include "server/site/NcSite_Util.h"

namespace {

class SitePages : public SiteTest {
protected:
    void SetUp() override {
        SiteTest::SetUp();
        StartServer();
        AddStaff("alice", "correct-horse");
        ASSERT_EQ(SignIn("alice", "correct-horse").nStatus, 303);
    }
};

std::string Encode(const std::string& str) { return NcSiteUrlEncode(str); }

TEST_P(SitePages, PlayerTextIsEscapedEverywhere) {
    const std::string strHostile = "<script>alert(1)</script>\"><img src=x onerror=alert(2)>' onmouseover='x' &amp;";
    const std::string strBody = "UserName=" + Encode("\"><b>acct") + "&QuestionType=" + Encode("<i>grp") +
                                "&ServerName=" + Encode("S1</td><td>") + "&NetType=" + Encode("电信'\"") +
                                "&Description=" + Encode(strHostile) + "&CheckContent=" +
                                Encode("网络质量: 较差@@@<script>x</script>@@@Reply from 10.0.0.1@@@");
    const HttpReply stored = Post(strBody);
    ASSERT_EQ(stored.nStatus, 200) << stored.strBody;
    int64_t nId = 0;
    ASSERT_EQ(std::sscanf(stored.strBody.c_str(), "{ret=%ld}", &nId), 1);

    const HttpReply list = Browse("/support/reports?q=" + Encode("<script>") + "&account=" + Encode("\"><b>acct"));
    ASSERT_EQ(list.nStatus, 200);
    const HttpReply detail = Browse("/support/reports/" + std::to_string(nId));
    ASSERT_EQ(detail.nStatus, 200);
    const HttpReply analytics = Browse("/support/analytics");
    ASSERT_EQ(analytics.nStatus, 200);
    for (const HttpReply* pPage : {&list, &detail, &analytics}) {
        const std::string& page = pPage->strBody;
        EXPECT_EQ(page.find("<script"), std::string::npos);
        EXPECT_EQ(page.find("<img"), std::string::npos);
        EXPECT_EQ(page.find("<b>acct"), std::string::npos);
        EXPECT_EQ(page.find("<i>grp"), std::string::npos);
        EXPECT_EQ(page.find("S1</td><td>"), std::string::npos);
        EXPECT_EQ(page.find("' onmouseover"), std::string::npos);
    }
    // Found by the filter (the echo in the filter form is escaped as well) and shown escaped.
    EXPECT_NE(list.strBody.find("&lt;script&gt;alert(1)&lt;/script&gt;&quot;&gt;&lt;img"), std::string::npos);
    EXPECT_NE(list.strBody.find("value=\"&quot;&gt;&lt;b&gt;acct\""), std::string::npos) << list.strBody;
    EXPECT_NE(detail.strBody.find("&amp;amp;"), std::string::npos);
    // The check content as it was printed: one line per "@@@", the verdict read from its first line.
    EXPECT_NE(detail.strBody.find("网络质量: 较差\n&lt;script&gt;x&lt;/script&gt;\nReply from 10.0.0.1\n</pre>"),
              std::string::npos);
    EXPECT_NE(detail.strBody.find("class=\"v2\">较差 Bad"), std::string::npos);
    // Analytics shows the server and carrier escaped.
    EXPECT_NE(analytics.strBody.find("S1&lt;/td&gt;&lt;td&gt;"), std::string::npos);
}

TEST_P(SitePages, StrayBytesNeverReachThePageRaw) {
    // Bytes a GBK client would send (not UTF-8), a lead byte eating the next "<", control characters.
    const std::string strGbk = "\xC4\xE3\xBA\xC3<b>\xE3<i>\x01\x1B[0m";
    const std::string strClean = NcSiteCleanText(strGbk);
    EXPECT_EQ(strClean, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD<b>\xEF\xBF\xBD<i>\xEF\xBF\xBD\xEF\xBF\xBD[0m");
    EXPECT_EQ(NcSiteCleanText("网络\n\t质量"), "网络\n\t质量");
    EXPECT_EQ(NcSiteCleanText("\xF0\x9F\x98\x80\xED\xA0\x80"), "\xF0\x9F\x98\x80\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");

    if (GetParam() != "sqlite") return;   // PostgreSQL refuses such bytes before they are stored
    NcReport report;
    report.strUserName = "gbk";
    report.strDescription = strGbk;
    report.strCheckContent = strGbk;
    report.nReceivedAt = m_nNow;
    int64_t nId = 0;
    ASSERT_EQ(m_pStore->InsertReport(report, m_nNow, 0, &nId), NcInsertOutcome::Stored);
    const HttpReply detail = Browse("/support/reports/" + std::to_string(nId));
    ASSERT_EQ(detail.nStatus, 200);
    EXPECT_EQ(detail.strBody.find('\xC4'), std::string::npos);
    EXPECT_EQ(detail.strBody.find('\x1B'), std::string::npos);
    EXPECT_NE(detail.strBody.find("\xEF\xBF\xBD&lt;i&gt;"), std::string::npos);
}

TEST_P(SitePages, ListFiltersPagesAndAnalyticsOnThePage) {
    for (int i = 0; i < 55; ++i) {
        const std::string strContent = i % 5 == 0 ? "网络质量: 较差@@@" : "网络质量: 良好@@@";
        ASSERT_EQ(Post("UserName=p" + std::to_string(i) + "&QuestionType=q&ServerName=" + (i % 2 ? "S1" : "S2") +
                       "&NetType=c&Description=d" + std::to_string(i) + "&CheckContent=" + Encode(strContent))
                      .nStatus,
                  200);
        m_nNow += 60;
    }
    HttpReply page = Browse("/support/reports");
    EXPECT_NE(page.strBody.find(">d54<"), std::string::npos);
    EXPECT_EQ(page.strBody.find(">d4<"), std::string::npos);   // the 51st newest is on page 2
    EXPECT_NE(page.strBody.find("href=\"/support/reports?page=2\""), std::string::npos);
    page = Browse("/support/reports?page=2");
    EXPECT_NE(page.strBody.find(">d4<"), std::string::npos);
    EXPECT_NE(page.strBody.find(">d0<"), std::string::npos);
    EXPECT_EQ(page.strBody.find("page=3"), std::string::npos);

    // Bad verdicts of S2: i = 0, 10, 20, 30, 40, 50; the filters stay in the paging links.
    page = Browse("/support/reports?server=S2&verdict=2");
    for (int i = 0; i < 55; ++i) {
        const bool bExpected = i % 10 == 0;
        EXPECT_EQ(page.strBody.find(">d" + std::to_string(i) + "<") != std::string::npos, bExpected) << i;
    }
    EXPECT_NE(page.strBody.find("<option value=\"2\" selected>"), std::string::npos);
    EXPECT_NE(Browse("/support/reports?from=2026-13-45").strBody.find("YYYY-MM-DD"), std::string::npos);

    page = Browse("/support/analytics");
    EXPECT_NE(page.strBody.find("<b>55</b> 份报告 reports · <b>20.0%</b>"), std::string::npos);
    EXPECT_NE(page.strBody.find("<svg"), std::string::npos);
    EXPECT_NE(page.strBody.find("<td rowspan=\"1\">S2</td><td rowspan=\"1\">28</td><td rowspan=\"1\">21.4%</td>"),
              std::string::npos);
}

NC_SERVER_BACKENDS(SitePages);

}  // namespace
