#include "server/NcServerTest_Site.h"

#include "server/site/NcSite.h"

void SiteTest::SetUp() {
    ServerTest::SetUp();
    m_config.nSignInDelayMs = 150;
}

void SiteTest::AddStaff(const std::string& strName, const std::string& strPassword) {
    std::string strHash;
    ASSERT_TRUE(NcSiteHashPassword(strPassword, &strHash));
    ASSERT_TRUE(m_pStore->PutStaff(strName, strHash, m_nNow));
}

std::string SiteTest::CookieLine() const {
    std::string strLine;
    for (const auto& kv : m_mapCookies) {
        if (kv.second.empty()) continue;
        strLine += (strLine.empty() ? "" : "; ") + kv.first + "=" + kv.second;
    }
    return strLine.empty() ? std::string() : "Cookie: " + strLine + "\r\n";
}

static void KeepCookies(const HttpReply& reply, std::map<std::string, std::string>* pCookies) {
    size_t uPos = 0;
    while ((uPos = reply.strHead.find("Set-Cookie: ", uPos)) != std::string::npos) {
        uPos += 12;
        const size_t uEq = reply.strHead.find('=', uPos);
        const size_t uEnd = reply.strHead.find(';', uEq);
        (*pCookies)[reply.strHead.substr(uPos, uEq - uPos)] = reply.strHead.substr(uEq + 1, uEnd - uEq - 1);
    }
}

HttpReply SiteTest::Browse(const std::string& strTarget, const std::string& strExtra) {
    HttpReply reply = Get(strTarget, CookieLine() + strExtra);
    KeepCookies(reply, &m_mapCookies);
    return reply;
}

HttpReply SiteTest::Submit(const std::string& strTarget, const std::string& strBody, const std::string& strExtra) {
    HttpReply reply = SendRaw(Port(), MakeRequest("POST", strTarget, strBody,
                                                  "Content-Type: application/x-www-form-urlencoded\r\n" +
                                                      CookieLine() + strExtra));
    KeepCookies(reply, &m_mapCookies);
    return reply;
}

HttpReply SiteTest::SignIn(const std::string& strName, const std::string& strPassword) {
    const HttpReply page = Browse("/support/login");
    return Submit("/support/login", "csrf=" + CsrfOf(page.strBody) + "&name=" + strName + "&password=" + strPassword);
}

std::string SiteTest::CsrfOf(const std::string& strPage) {
    const std::string kField = "name=\"csrf\" value=\"";
    const size_t uPos = strPage.find(kField);
    if (uPos == std::string::npos) return std::string();
    const size_t uStart = uPos + kField.size();
    return strPage.substr(uStart, strPage.find('"', uStart) - uStart);
}

std::string SiteTest::Header(const HttpReply& reply, const std::string& strName) {
    const size_t uPos = reply.strHead.find("\r\n" + strName + ": ");
    if (uPos == std::string::npos) return std::string();
    const size_t uStart = uPos + strName.size() + 4;
    return reply.strHead.substr(uStart, reply.strHead.find("\r\n", uStart) - uStart);
}
