// Who may see the support site: sign-in, wrong passwords, sessions that end, forms without their token,
// dump downloads.
#include "server/NcServerTest_Site.h"

#include <chrono>
#include <fstream>
#include <thread>

namespace {

class SiteAccess : public SiteTest {};

TEST_P(SiteAccess, SignInSessionAndSignOut) {
    StartServer();
    AddStaff("alice", "correct-horse");

    // No session: pages send the browser to the sign-in page and remember where it wanted to go.
    HttpReply reply = Browse("/support/reports?server=S1");
    EXPECT_EQ(reply.nStatus, 303);
    EXPECT_EQ(Header(reply, "Location"), "/support/login?next=%2Fsupport%2Freports%3Fserver%3DS1");
    EXPECT_EQ(Browse("/support/analytics").nStatus, 303);

    // A wrong password is refused, slowed down and logged; so is an unknown name.
    const auto tStart = std::chrono::steady_clock::now();
    reply = SignIn("alice", "wrong");
    const auto dWaited = std::chrono::steady_clock::now() - tStart;
    EXPECT_EQ(reply.nStatus, 401);
    EXPECT_NE(reply.strBody.find("Wrong name or password"), std::string::npos);
    EXPECT_GE(dWaited, std::chrono::milliseconds(150));
    EXPECT_EQ(SignIn("mallory", "correct-horse").nStatus, 401);
    int nRefusals = 0;
    for (const std::string& line : LogLines()) {
        if (line.find("sign-in refused") != std::string::npos && line.find("peer=127.0.0.1") != std::string::npos)
            ++nRefusals;
    }
    EXPECT_EQ(nRefusals, 2);
    EXPECT_TRUE(m_mapCookies["nc_session"].empty());

    // The right password: a session cookie the page's scripts cannot read and other sites never send.
    reply = SignIn("alice", "correct-horse");
    EXPECT_EQ(reply.nStatus, 303);
    EXPECT_EQ(Header(reply, "Location"), "/support/reports");
    EXPECT_NE(reply.strHead.find("nc_session=" + m_mapCookies["nc_session"] + "; Path=/support; Max-Age=28800; HttpOnly; SameSite=Strict\r\n"),
              std::string::npos)
        << reply.strHead;
    reply = Browse("/support/reports");
    EXPECT_EQ(reply.nStatus, 200);
    EXPECT_NE(reply.strBody.find("<span class=\"who\">alice</span>"), std::string::npos);

    // Sign-out is a form: without the session's token it is refused and the session lives on.
    EXPECT_EQ(Submit("/support/logout", "csrf=" + std::string(64, '0')).nStatus, 403);
    EXPECT_EQ(Submit("/support/logout", "").nStatus, 403);
    EXPECT_EQ(Browse("/support/reports").nStatus, 200);
    const std::string strToken = m_mapCookies["nc_session"];
    reply = Submit("/support/logout", "csrf=" + CsrfOf(reply.strBody));
    EXPECT_EQ(reply.nStatus, 303);
    // Even a browser that kept the old cookie is out.
    m_mapCookies["nc_session"] = strToken;
    EXPECT_EQ(Browse("/support/reports").nStatus, 303);
}

TEST_P(SiteAccess, SessionsExpireAndSignInNeedsItsFormToken) {
    StartServer();
    AddStaff("bob", "pa55word!");

    // A sign-in posted from elsewhere carries no token matching the browser's cookie.
    Browse("/support/login");
    EXPECT_EQ(Submit("/support/login", "csrf=forged&name=bob&password=pa55word!").nStatus, 403);
    m_mapCookies.clear();
    EXPECT_EQ(Submit("/support/login", "name=bob&password=pa55word!").nStatus, 403);
    EXPECT_TRUE(m_mapCookies["nc_session"].empty());

    ASSERT_EQ(SignIn("bob", "pa55word!").nStatus, 303);
    m_nNow += 8 * 3600 - 1;
    EXPECT_EQ(Browse("/support/dumps").nStatus, 200);
    m_nNow += 1;
    EXPECT_EQ(Browse("/support/dumps").nStatus, 303);

    // X-Forwarded-Proto from a caller that is not a trusted proxy changes nothing.
    m_mapCookies.clear();
    const HttpReply page = Browse("/support/login", "X-Forwarded-Proto: https\r\n");
    const HttpReply reply = Submit("/support/login", "csrf=" + CsrfOf(page.strBody) + "&name=bob&password=pa55word!",
                                   "X-Forwarded-Proto: https\r\n");
    EXPECT_EQ(reply.nStatus, 303);
    EXPECT_EQ(reply.strHead.find("Secure"), std::string::npos) << reply.strHead;
}

// The wait after a wrong password holds a worker thread; a burst of guesses must not hold them all.
TEST_P(SiteAccess, OnlyOneWrongSignInWaitsAtATime) {
    m_config.nSignInDelayMs = 3000;
    StartServer();
    AddStaff("alice", "correct-horse");
    const std::string strToken = CsrfOf(Browse("/support/login").strBody);
    const std::string strCookie = CookieLine();
    auto guess = [&](const std::string& strName) {
        return SendRaw(Port(), MakeRequest("POST", "/support/login",
                                           "csrf=" + strToken + "&name=" + strName + "&password=guess",
                                           "Content-Type: application/x-www-form-urlencoded\r\n" + strCookie));
    };
    HttpReply first;
    std::thread waiting([&] { first = guess("nobody"); });
    // The first guess is waiting once the server has it in flight for a moment; give it that moment.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const HttpReply second = guess("alice");
    EXPECT_EQ(second.nStatus, 429);
    // Players are not kept waiting meanwhile, and the right password still gets in.
    EXPECT_EQ(Post(FormBody("player")).nStatus, 200);
    EXPECT_EQ(SignIn("alice", "correct-horse").nStatus, 303);
    waiting.join();
    EXPECT_EQ(first.nStatus, 401);
    bool bLogged = false;
    for (const std::string& line : LogLines()) bLogged |= line.find("too many at once") != std::string::npos;
    EXPECT_TRUE(bLogged);
}

TEST_P(SiteAccess, SecureCookieOnlyBehindTrustedTlsProxy) {
    m_config.vecTrustedProxies = {0x7F000001};
    StartServer();
    AddStaff("carol", "pa55word!");
    const HttpReply page = Browse("/support/login", "X-Forwarded-Proto: https\r\n");
    const HttpReply reply = Submit("/support/login", "csrf=" + CsrfOf(page.strBody) + "&name=carol&password=pa55word!",
                                   "X-Forwarded-Proto: https\r\n");
    ASSERT_EQ(reply.nStatus, 303);
    EXPECT_NE(reply.strHead.find("HttpOnly; SameSite=Strict; Secure\r\n"), std::string::npos) << reply.strHead;
}

TEST_P(SiteAccess, DumpDownloadsNeedASession) {
    StartServer();
    AddStaff("alice", "correct-horse");
    {
        std::ofstream dump(m_config.strDumpDir + "/2026-12-4_14-5-9_QVRTNetcheck_x32_pc7_1.0.2__.dmp", std::ios::binary);
        dump << std::string("MDMP\0\x01\x02", 7);
    }
    std::ofstream(m_tmp / "secret.txt") << "not a dump";
    const std::string strDump = "/support/dumps/2026-12-4_14-5-9_QVRTNetcheck_x32_pc7_1.0.2__.dmp";

    // Refused outright, not redirected: a download tool would save the sign-in page as the dump.
    HttpReply reply = Browse(strDump);
    EXPECT_EQ(reply.nStatus, 403);
    EXPECT_EQ(reply.strBody.find("MDMP"), std::string::npos);
    EXPECT_EQ(Browse("/support/dumps").nStatus, 303);

    ASSERT_EQ(SignIn("alice", "correct-horse").nStatus, 303);
    reply = Browse(strDump);
    EXPECT_EQ(reply.nStatus, 200);
    EXPECT_EQ(reply.strBody, std::string("MDMP\0\x01\x02", 7));
    EXPECT_NE(Header(reply, "Content-Disposition").find("attachment"), std::string::npos);
    // The list decodes the name's fields.
    reply = Browse("/support/dumps");
    EXPECT_NE(reply.strBody.find("<td>2026-12-04 14:05:09</td><td>QVRTNetcheck</td><td>pc7</td><td>1.0.2</td>"),
              std::string::npos);
    // Nothing outside the dump folder, however the name is spelled.
    for (const char* szTarget : {"/support/dumps/../secret.txt", "/support/dumps/..%2fsecret.txt",
                                 "/support/dumps/%2e%2e/secret.txt", "/support/dumps/.hidden"}) {
        reply = Browse(szTarget);
        EXPECT_NE(reply.nStatus, 200) << szTarget;
        EXPECT_EQ(reply.strBody.find("not a dump"), std::string::npos) << szTarget;
    }
    // The player-facing endpoints need no session.
    EXPECT_EQ(Get("/healthz").nStatus, 200);
}

NC_SERVER_BACKENDS(SiteAccess);

}  // namespace
