// A signed-in browser for the support site tests: keeps the cookies the server sets and the CSRF token
// of the last page.
#pragma once

#include "server/NcServerTest_Fixture.h"

#include <map>

class SiteTest : public ServerTest {
protected:
    void SetUp() override;
    // Adds a staff account straight into the store.
    void AddStaff(const std::string& strName, const std::string& strPassword);
    // The session and sign-in cookies as a Cookie header line ("" when there are none).
    std::string CookieLine() const;
    HttpReply Browse(const std::string& strTarget, const std::string& strExtra = std::string());
    HttpReply Submit(const std::string& strTarget, const std::string& strBody, const std::string& strExtra = std::string());
    // Opens the sign-in page and submits it; the reply of the submit.
    HttpReply SignIn(const std::string& strName, const std::string& strPassword);
    // The value of the hidden csrf field of a page ("" when none).
    static std::string CsrfOf(const std::string& strPage);
    static std::string Header(const HttpReply& reply, const std::string& strName);

    std::map<std::string, std::string> m_mapCookies;
};
