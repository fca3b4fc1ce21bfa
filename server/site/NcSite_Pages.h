// The pages behind the sign-in: each builds its content from the store or the dump folder and renders it
// into the layout.
#pragma once

#include "server/site/NcSite.h"

#include <kainjow/mustache.hpp>

#include <map>
#include <string>

using NcSiteQuery = std::map<std::string, std::string>;

// The layout around a page's content; pSession null on the sign-in page.
std::string NcSiteRenderPage(const char* szTemplate, const kainjow::mustache::data& content, const std::string& strTitle,
                             const NcStaffSession* pSession);

NcSiteResponse NcSiteReportsPage(INcStore& store, const NcSiteQuery& query, const NcStaffSession& session);
NcSiteResponse NcSiteReportPage(INcStore& store, const std::string& strDumpDir, int64_t nId,
                                const NcStaffSession& session);
NcSiteResponse NcSiteDumpsPage(const std::string& strDumpDir, const NcStaffSession& session);
NcSiteResponse NcSiteDumpDownload(const std::string& strDumpDir, const std::string& strName);
NcSiteResponse NcSiteAnalyticsPage(INcStore& store, const NcSiteQuery& query, int64_t nNowSec,
                                   const NcStaffSession& session);
NcSiteResponse NcSiteErrorPage(int nStatus, const std::string& strText, const NcStaffSession* pSession);

// The text of a verdict (网络质量) for a page.
const char* NcSiteVerdictText(int32_t nVerdict);
