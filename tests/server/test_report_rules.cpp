// The report page's answers: -2, -1, -3 and the report number, and what is (not) stored for each.
#include "server/NcServerTest_Fixture.h"

namespace {

class ReportRules : public ServerTest {};

TEST_P(ReportRules, AccountServerAndRepeatWindowDecideTheAnswer) {
    m_config.bAccountTable = true;
    m_config.vecServerNames = {"S1", "本机测试服"};
    StartServer();
    size_t uAdded = 0;
    ASSERT_TRUE(m_pStore->ImportAccounts({"alice", "bob", "张三"}, &uAdded));
    EXPECT_EQ(uAdded, 3u);

    // Unknown account, and the empty one, before anything else is looked at.
    EXPECT_EQ(Post(FormBody("mallory")).strBody, "{ret=-2}");
    EXPECT_EQ(Post(FormBody("")).strBody, "{ret=-2}");
    // Known account, unknown server (names compare exactly: no case folding, no trimming).
    EXPECT_EQ(Post(FormBody("alice", "S2")).strBody, "{ret=-1}");
    EXPECT_EQ(Post(FormBody("alice", "s1")).strBody, "{ret=-1}");
    EXPECT_EQ(m_pStore->CountReports(), 0);

    // Numbers are positive and increase; the Chinese server name and account pass.
    const HttpReply first = Post(FormBody("alice"));
    EXPECT_EQ(first.nStatus, 200);
    const HttpReply second = Post(FormBody("%E5%BC%A0%E4%B8%89", "%E6%9C%AC%E6%9C%BA%E6%B5%8B%E8%AF%95%E6%9C%8D"));
    int64_t nFirst = 0, nSecond = 0;
    ASSERT_EQ(std::sscanf(first.strBody.c_str(), "{ret=%ld}", &nFirst), 1) << first.strBody;
    ASSERT_EQ(std::sscanf(second.strBody.c_str(), "{ret=%ld}", &nSecond), 1) << second.strBody;
    EXPECT_GT(nFirst, 0);
    EXPECT_GT(nSecond, nFirst);

    // The same account again inside ten minutes: -3, nothing stored; another account is not affected.
    m_nNow += 599;
    EXPECT_EQ(Post(FormBody("alice")).strBody, "{ret=-3}");
    EXPECT_EQ(m_pStore->CountReports(), 2);
    const HttpReply bob = Post(FormBody("bob"));
    EXPECT_NE(bob.strBody.find("{ret="), std::string::npos);
    EXPECT_EQ(bob.strBody.find("-"), std::string::npos) << bob.strBody;
    // Once the window has passed the account may report again.
    m_nNow += 2;
    const HttpReply later = Post(FormBody("alice"));
    int64_t nLater = 0;
    ASSERT_EQ(std::sscanf(later.strBody.c_str(), "{ret=%ld}", &nLater), 1) << later.strBody;
    EXPECT_GT(nLater, nSecond);
    EXPECT_EQ(m_pStore->CountReports(), 4);

    NcReport stored;
    ASSERT_TRUE(m_pStore->GetReport(nSecond, &stored));
    EXPECT_EQ(stored.strUserName, "张三");
    EXPECT_EQ(stored.strServerName, "本机测试服");
    EXPECT_EQ(stored.strClientAddr, "127.0.0.1");
    EXPECT_EQ(stored.nReceivedAt, 1800000000);

    bool bLogged = false;
    for (const std::string& line : LogLines()) {
        if (line.find("method=POST path=/report status=200") != std::string::npos &&
            line.find("peer=127.0.0.1 ret=-3 outcome=recent") != std::string::npos) {
            bLogged = true;
        }
    }
    EXPECT_TRUE(bLogged);
}

TEST_P(ReportRules, WithoutPoliciesAnyAccountAndServerMayReport) {
    StartServer();
    EXPECT_EQ(Post(FormBody("anyone", "anything")).strBody.rfind("{ret=", 0), 0u);
    EXPECT_EQ(m_pStore->CountReports(), 1);
}

// Each field holds what an attacker would try; the store keeps the bytes and nothing else happens.
TEST_P(ReportRules, InjectionStringsAreStoredVerbatim) {
    StartServer();
    const std::string strNasty = "x'); DROP TABLE reports; -- \" OR 1=1 \\ %_ ;";
    std::string strEncoded;
    static const char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : strNasty) {
        strEncoded += '%';
        strEncoded += kHex[c >> 4];
        strEncoded += kHex[c & 15];
    }
    const std::string strBody = "UserName=" + strEncoded + "&QuestionType=" + strEncoded + "&ServerName=" + strEncoded +
                                "&NetType=" + strEncoded + "&Description=" + strEncoded + "&CheckContent=" + strEncoded;
    const HttpReply reply = Post(strBody);
    int64_t nId = 0;
    ASSERT_EQ(std::sscanf(reply.strBody.c_str(), "{ret=%ld}", &nId), 1) << reply.strBody;
    NcReport stored;
    ASSERT_TRUE(m_pStore->GetReport(nId, &stored));
    for (const std::string* p : {&stored.strUserName, &stored.strQuestionType, &stored.strServerName,
                                 &stored.strNetType, &stored.strDescription, &stored.strCheckContent}) {
        EXPECT_EQ(*p, strNasty);
    }
    // The same account is recognised by its exact bytes: the repeat rule still applies.
    EXPECT_EQ(Post(strBody).strBody, "{ret=-3}");
    EXPECT_EQ(m_pStore->CountReports(), 1);
}

// Whatever is wrong with a body, the answer is an HTTP error with {ret=-1} and the store stays empty.
TEST_P(ReportRules, BadBodiesStoreNothing) {
    m_config.uMaxReportBytes = 4096;
    StartServer();
    const std::string kFields = "&QuestionType=q&ServerName=s&NetType=n&Description=d";
    const struct {
        const char* szWhat;
        std::string strBody;
        int nStatus;
    } cases[] = {
        {"missing field", "UserName=a&QuestionType=q&ServerName=s&NetType=n&Description=d", 400},
        {"duplicate field", "UserName=a&UserName=b" + kFields + "&CheckContent=c", 400},
        {"bad escape", "UserName=a%2" + kFields + "&CheckContent=c", 400},
        {"non-hex escape", "UserName=a%G1" + kFields + "&CheckContent=c", 400},
        {"pair without =", "UserName" + kFields + "&CheckContent=c", 400},
        {"GBK bytes, not UTF-8", "UserName=%D5%C5" + kFields + "&CheckContent=c", 400},
        {"NUL", "UserName=a%00b" + kFields + "&CheckContent=c", 400},
        {"over the limit", "UserName=a" + kFields + "&CheckContent=" + std::string(5000, 'x'), 413},
    };
    for (const auto& c : cases) {
        const HttpReply reply = Post(c.strBody);
        EXPECT_EQ(reply.nStatus, c.nStatus) << c.szWhat;
        EXPECT_EQ(reply.strBody, "{ret=-1}") << c.szWhat;
    }
    // A body just under the limit is fine, so the limit is where it says.
    const std::string strFits = "UserName=a" + kFields + "&CheckContent=";
    EXPECT_EQ(Post(strFits + std::string(4096 - strFits.size(), 'x')).nStatus, 200);
    EXPECT_EQ(m_pStore->CountReports(), 1);
    // A GET of the page does not store either.
    EXPECT_EQ(Get(m_config.strPage).nStatus, 405);
    EXPECT_EQ(m_pStore->CountReports(), 1);
}

NC_SERVER_BACKENDS(ReportRules);

}  // namespace
