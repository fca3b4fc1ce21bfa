// The support site's front door: the stylesheet, sign-in and sign-out, the session every other page
// needs, and which page a path names.
#include "server/site/NcSite.h"

#include "server/site/NcSite_Pages.h"
#include "server/site/NcSite_Templates.h"
#include "server/site/NcSite_Util.h"
#include "server/NcServer_Names.h"

#include <sodium.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

const char kSessionCookie[] = "nc_session";
const char kSignInCookie[] = "nc_signin";   // the sign-in form's CSRF token, before there is a session

std::string CookieHeader(const char* szName, const std::string& strValue, int64_t nMaxAge, bool bSecure) {
    return std::string(szName) + "=" + strValue + "; Path=/support; Max-Age=" + std::to_string(nMaxAge) +
           "; HttpOnly; SameSite=Strict" + (bSecure ? "; Secure" : "");
}

NcSiteResponse Redirect(const std::string& strTo) {
    NcSiteResponse response;
    response.nStatus = 303;
    response.strContentType = "text/plain; charset=utf-8";
    response.strBody = "see " + strTo + "\n";
    response.vecHeaders.emplace_back("Location", strTo);
    return response;
}

// Where a sign-in may send the browser afterwards: a page of this site only, never another host.
std::string SafeNext(const std::string& strNext) {
    if (strNext.compare(0, 9, "/support/") != 0) return "/support/reports";
    for (const char c : strNext) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x21 || u > 0x7E || c == '\\') return "/support/reports";
    }
    if (strNext.find("//") != std::string::npos) return "/support/reports";
    return strNext;
}

}  // namespace

bool NcSiteHashPassword(const std::string& strPassword, std::string* pHash) {
    if (sodium_init() < 0) return false;
    char szHash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(szHash, strPassword.data(), strPassword.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return false;
    *pHash = szHash;
    return true;
}

bool NcSiteCheckPassword(const std::string& strHash, const std::string& strPassword) {
    if (sodium_init() < 0 || strHash.empty() || strHash.size() >= crypto_pwhash_STRBYTES) return false;
    return crypto_pwhash_str_verify(strHash.c_str(), strPassword.data(), strPassword.size()) == 0;
}

CNcSite::CNcSite(INcStore& store, NcSiteOptions options) : m_store(store), m_options(std::move(options)) {
    if (sodium_init() < 0) Log("level=error where=NcSite what=\"libsodium did not start\"");
}

int64_t CNcSite::NowSec() const {
    if (m_options.fnNowSec) return m_options.fnNowSec();
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

void CNcSite::Log(const std::string& strLine) const {
    if (m_options.fnLog) {
        m_options.fnLog(strLine);
    } else {
        std::fprintf(stderr, "%s\n", strLine.c_str());
    }
}

NcSiteResponse CNcSite::SignInPage(const NcSiteRequest& request, const std::string& strError) {
    std::string strToken = NcSiteCookie(request.strCookie, kSignInCookie);
    if (strToken.size() != 64) strToken = NcSiteNewToken();
    const NcSiteQuery query = NcSiteParseForm(request.strMethod == "POST" ? request.strBody : request.strQuery);
    const auto itNext = query.find("next");
    kainjow::mustache::data content;
    content.set("csrf", strToken);
    content.set("next", SafeNext(itNext == query.end() ? std::string() : itNext->second));
    if (!strError.empty()) content.set("error", strError);
    NcSiteResponse response;
    response.nStatus = strError.empty() ? 200 : 401;
    response.strBody = NcSiteRenderPage(kNcSiteSignIn, content, "登录 Sign in", nullptr);
    response.vecHeaders.emplace_back("Set-Cookie", CookieHeader(kSignInCookie, strToken, 3600, request.bSecure));
    return response;
}

NcSiteResponse CNcSite::SignIn(const NcSiteRequest& request) {
    const NcSiteQuery form = NcSiteParseForm(request.strBody);
    auto field = [&](const char* szName) {
        const auto it = form.find(szName);
        return it == form.end() ? std::string() : it->second;
    };
    if (!NcSiteSameToken(field("csrf"), NcSiteCookie(request.strCookie, kSignInCookie))) {
        Log("level=warn where=NcSite::SignIn what=\"sign-in form without its token\" peer=" + request.strPeer);
        return NcSiteErrorPage(403, "表单已失效，请重新打开登录页。 The form has expired; open the sign-in page again.",
                               nullptr);
    }
    const std::string strName = field("name");
    std::string strHash;
    const int32_t nFound = m_store.GetStaffHash(strName, &strHash);
    if (nFound < 0) return NcSiteErrorPage(503, "数据库不可用 The database is unavailable.", nullptr);
    if (nFound == 0 || !NcSiteCheckPassword(strHash, field("password"))) {
        // Slow every wrong guess down, whether the name exists or not; while one waits, further wrong
        // guesses are turned away without a check's worth of hope.
        if (m_nHeldBack.fetch_add(1) > 0) {
            m_nHeldBack.fetch_sub(1);
            Log("level=warn where=NcSite::SignIn what=\"sign-in refused, too many at once\" name=" +
                NcLogValue(strName) + " peer=" + request.strPeer);
            NcSiteResponse busy = SignInPage(request, "稍后再试 Too many attempts; try again in a moment");
            busy.nStatus = 429;
            return busy;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(m_options.nFailDelayMs));
        m_nHeldBack.fetch_sub(1);
        Log("level=warn where=NcSite::SignIn what=\"sign-in refused\" name=" + NcLogValue(strName) +
            " peer=" + request.strPeer);
        return SignInPage(request, "账号或密码错误 Wrong name or password");
    }
    NcStaffSession session;
    session.strName = strName;
    session.strCsrf = NcSiteNewToken();
    session.nExpiresAt = NowSec() + m_options.nSessionSec;
    const std::string strToken = NcSiteNewToken();
    if (!m_store.CreateSession(strToken, session)) {
        return NcSiteErrorPage(503, "数据库不可用 The database is unavailable.", nullptr);
    }
    Log("level=info where=NcSite::SignIn what=\"signed in\" name=" + NcLogValue(strName) + " peer=" + request.strPeer);
    NcSiteResponse response = Redirect(SafeNext(field("next")));
    response.vecHeaders.emplace_back("Set-Cookie",
                                     CookieHeader(kSessionCookie, strToken, m_options.nSessionSec, request.bSecure));
    response.vecHeaders.emplace_back("Set-Cookie", CookieHeader(kSignInCookie, "", 0, request.bSecure));
    return response;
}

NcSiteResponse CNcSite::SignOut(const NcSiteRequest& request, const NcStaffSession& session,
                                const std::string& strToken) {
    m_store.DeleteSession(strToken);
    Log("level=info where=NcSite::SignOut what=\"signed out\" name=" + NcLogValue(session.strName) +
        " peer=" + request.strPeer);
    NcSiteResponse response = Redirect("/support/login");
    response.vecHeaders.emplace_back("Set-Cookie", CookieHeader(kSessionCookie, "", 0, request.bSecure));
    return response;
}

NcSiteResponse CNcSite::Handle(const NcSiteRequest& request) {
    const std::string& strPath = request.strPath;
    const bool bGet = request.strMethod == "GET" || request.strMethod == "HEAD";
    const bool bPost = request.strMethod == "POST";
    if (!bGet && !bPost) return NcSiteErrorPage(405, "Method not allowed", nullptr);

    if (strPath == "/support/style.css") {
        NcSiteResponse response;
        response.strContentType = "text/css; charset=utf-8";
        response.strBody = kNcSiteStylesheet;
        return response;
    }
    if (strPath == "/support/login") return bPost ? SignIn(request) : SignInPage(request, std::string());

    const std::string strToken = NcSiteCookie(request.strCookie, kSessionCookie);
    NcStaffSession session;
    const int32_t nSession = strToken.size() == 64 ? m_store.GetSession(strToken, NowSec(), &session) : 0;
    if (nSession < 0) return NcSiteErrorPage(503, "数据库不可用 The database is unavailable.", nullptr);
    if (nSession == 0) {
        // Dumps are files for programs, not pages: without a session they are refused outright.
        if (!bGet || strPath.compare(0, 15, "/support/dumps/") == 0) {
            return NcSiteErrorPage(403, "请先登录 Sign in first.", nullptr);
        }
        std::string strNext = strPath;
        if (!request.strQuery.empty()) strNext += "?" + request.strQuery;
        return Redirect("/support/login?next=" + NcSiteUrlEncode(strNext));
    }

    if (bPost) {
        const NcSiteQuery form = NcSiteParseForm(request.strBody);
        const auto itCsrf = form.find("csrf");
        if (itCsrf == form.end() || !NcSiteSameToken(itCsrf->second, session.strCsrf)) {
            Log("level=warn where=NcSite::Handle what=\"form without a valid token\" name=" +
                NcLogValue(session.strName) + " peer=" + request.strPeer);
            return NcSiteErrorPage(403, "表单已失效 The form has expired.", &session);
        }
        if (strPath == "/support/logout") return SignOut(request, session, strToken);
        return NcSiteErrorPage(405, "Method not allowed", &session);
    }

    const NcSiteQuery query = NcSiteParseForm(request.strQuery);
    if (strPath == "/support" || strPath == "/support/") return Redirect("/support/reports");
    if (strPath == "/support/reports") return NcSiteReportsPage(m_store, query, session);
    if (strPath.compare(0, 17, "/support/reports/") == 0) {
        const std::string strId = strPath.substr(17);
        int64_t nId = 0;
        bool bDigits = !strId.empty() && strId.size() <= 18;
        for (const char c : strId) {
            if (c < '0' || c > '9') bDigits = false;
        }
        if (bDigits) nId = std::stoll(strId);
        if (nId <= 0) return NcSiteErrorPage(404, "没有这份报告 No such report.", &session);
        return NcSiteReportPage(m_store, m_options.strDumpDir, nId, session);
    }
    if (strPath == "/support/dumps") return NcSiteDumpsPage(m_options.strDumpDir, session);
    if (strPath.compare(0, 15, "/support/dumps/") == 0) {
        return NcSiteDumpDownload(m_options.strDumpDir, strPath.substr(15));
    }
    if (strPath == "/support/analytics") return NcSiteAnalyticsPage(m_store, query, NowSec(), session);
    return NcSiteErrorPage(404, "没有这一页 No such page.", &session);
}
