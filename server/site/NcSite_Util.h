// Small helpers of the support site: query strings, cookies, tokens, texts fit for a page, times.
#pragma once

#include <cstdint>
#include <map>
#include <string>

// Name → value of a query string or form body ("+" is a space); pairs that do not decode, or decode to
// something that is not UTF-8 text, are left out. A repeated name keeps its first value.
std::map<std::string, std::string> NcSiteParseForm(const std::string& strText);

// The value of one cookie in a Cookie header; empty when absent.
std::string NcSiteCookie(const std::string& strHeader, const std::string& strName);

// 32 random bytes as 64 hexadecimal digits (session and CSRF tokens).
std::string NcSiteNewToken();

// Comparison that takes the same time wherever the first difference is.
bool NcSiteSameToken(const std::string& a, const std::string& b);

// Text fit to be shown: malformed UTF-8 bytes and control characters other than line feed and tab become
// U+FFFD. (The templates escape markup; this keeps stray bytes from turning into something else.)
std::string NcSiteCleanText(const std::string& str);

// "2026-12-06 14:05" (UTC) and back; "YYYY-MM-DD" → the day's first second. False when it does not parse.
std::string NcSiteFormatTime(int64_t nSec);
bool NcSiteParseDay(const std::string& str, int64_t* pSec);
std::string NcSiteFormatDay(int64_t nSec);

// A percent-encoded query value.
std::string NcSiteUrlEncode(const std::string& str);
