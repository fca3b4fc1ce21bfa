// The report list and detail, the dump list and download, and the error page.
#include "server/site/NcSite_Pages.h"

#include "server/NcServer_Names.h"
#include "server/site/NcSite_Templates.h"
#include "server/site/NcSite_Util.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using kainjow::mustache::data;
using kainjow::mustache::mustache;

namespace {

const int32_t kPageRows = 50;
const int64_t kMaxPage = 2000;   // deeper than that, narrow the filter instead

std::string Get(const NcSiteQuery& query, const char* szName) {
    const auto it = query.find(szName);
    return it == query.end() ? std::string() : it->second;
}

std::string FigureText(int32_t n) { return n < 0 ? std::string("–") : std::to_string(n); }

std::string JitterText(double d) {
    if (d < 0) return "–";
    char sz[32];
    std::snprintf(sz, sizeof(sz), "%.1f", d);
    return sz;
}

// The fields a report's row in the list and its own page both show, every player-supplied one cleaned
// (the templates escape them). Report is NcReportRow or NcReport.
template <class Report>
void SetReportFields(data* pData, const Report& report) {
    pData->set("time", NcSiteFormatTime(report.nReceivedAt));
    pData->set("account", NcSiteCleanText(report.strUserName));
    pData->set("server", NcSiteCleanText(report.strServerName));
    pData->set("group", NcSiteCleanText(report.strQuestionType));
    pData->set("carrier", NcSiteCleanText(report.strNetType));
    pData->set("verdict", NcSiteVerdictText(report.nVerdict));
    pData->set("verdict_class", std::to_string(report.nVerdict));
    pData->set("description", NcSiteCleanText(report.strDescription));
}

struct DumpEntry {
    std::string strName;
    uint64_t uSize = 0;
    int64_t nMtime = 0;
};

std::vector<DumpEntry> ListDumps(const std::string& strDir) {
    std::vector<DumpEntry> vecOut;
    DIR* pDir = opendir(strDir.c_str());
    if (!pDir) return vecOut;
    while (const dirent* pEntry = readdir(pDir)) {
        const std::string strName = pEntry->d_name;
        if (!NcIsSafeName(strName)) continue;   // skips hidden and temporary files
        struct stat st;
        if (stat((strDir + "/" + strName).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        vecOut.push_back({strName, static_cast<uint64_t>(st.st_size), static_cast<int64_t>(st.st_mtime)});
    }
    closedir(pDir);
    std::sort(vecOut.begin(), vecOut.end(), [](const DumpEntry& a, const DumpEntry& b) {
        return a.nMtime != b.nMtime ? a.nMtime > b.nMtime : a.strName < b.strName;
    });
    return vecOut;
}

std::vector<std::string> Split(const std::string& str, char cSep) {
    std::vector<std::string> vecOut;
    size_t uStart = 0;
    for (;;) {
        const size_t uEnd = str.find(cSep, uStart);
        vecOut.push_back(str.substr(uStart, uEnd == std::string::npos ? std::string::npos : uEnd - uStart));
        if (uEnd == std::string::npos) return vecOut;
        uStart = uEnd + 1;
    }
}

// A crash dump is named "Y-M-D_h-m-s_APP_x32_MACHINE_VERSION_CRASHTAG_DUMPTAG.dmp" (a log beside it adds
// ".log"); the machine tag may itself hold "_", so it is what lies between the fixed fields.
void DecodeDumpName(const std::string& strName, data* pRow) {
    std::string strStem = strName;
    for (const char* szExt : {".log", ".dmp"}) {
        const size_t uLen = std::strlen(szExt);
        if (strStem.size() > uLen && strStem.compare(strStem.size() - uLen, uLen, szExt) == 0)
            strStem.resize(strStem.size() - uLen);
    }
    const std::vector<std::string> vecParts = Split(strStem, '_');
    if (vecParts.size() < 8 || vecParts[3] != "x32") return;
    const std::vector<std::string> vecDay = Split(vecParts[0], '-'), vecTime = Split(vecParts[1], '-');
    if (vecDay.size() != 3 || vecTime.size() != 3) return;
    char sz[64];
    std::snprintf(sz, sizeof(sz), "%s-%02d-%02d %02d:%02d:%02d", vecDay[0].c_str(), std::atoi(vecDay[1].c_str()),
                  std::atoi(vecDay[2].c_str()), std::atoi(vecTime[0].c_str()), std::atoi(vecTime[1].c_str()),
                  std::atoi(vecTime[2].c_str()));
    pRow->set("crashed", std::string(sz));
    pRow->set("app", vecParts[2]);
    std::string strMachine;
    for (size_t i = 4; i + 3 < vecParts.size(); ++i) strMachine += (strMachine.empty() ? "" : "_") + vecParts[i];
    pRow->set("machine", strMachine);
    const size_t n = vecParts.size();
    pRow->set("version", vecParts[n - 3]);
    std::string strTags = vecParts[n - 2];
    if (!vecParts[n - 1].empty()) strTags += (strTags.empty() ? "" : " · ") + vecParts[n - 1];
    pRow->set("tags", strTags);
}

std::string SizeText(uint64_t u) {
    char sz[32];
    if (u < 10 * 1024) {
        std::snprintf(sz, sizeof(sz), "%llu B", static_cast<unsigned long long>(u));
    } else if (u < 10ull * 1024 * 1024) {
        std::snprintf(sz, sizeof(sz), "%.0f KiB", static_cast<double>(u) / 1024);
    } else {
        std::snprintf(sz, sizeof(sz), "%.1f MiB", static_cast<double>(u) / (1024 * 1024));
    }
    return sz;
}

}  // namespace

const char* NcSiteVerdictText(int32_t nVerdict) {
    switch (nVerdict) {
        case 0: return "良好 Good";
        case 1: return "一般 Common";
        case 2: return "较差 Bad";
        default: return "–";
    }
}

std::string NcSiteRenderPage(const char* szTemplate, const data& content, const std::string& strTitle,
                             const NcStaffSession* pSession) {
    mustache page(szTemplate);
    data layout;
    layout.set("title", strTitle);
    layout.set("content", page.render(content));
    if (pSession) {
        data staff;
        staff.set("name", NcSiteCleanText(pSession->strName));
        staff.set("csrf", pSession->strCsrf);
        layout.set("staff", staff);
    }
    mustache frame(kNcSiteLayout);
    return frame.render(layout);
}

NcSiteResponse NcSiteErrorPage(int nStatus, const std::string& strText, const NcStaffSession* pSession) {
    data content;
    content.set("text", strText);
    NcSiteResponse response;
    response.nStatus = nStatus;
    response.strBody = NcSiteRenderPage("<h1>{{text}}</h1><p><a href=\"/support/reports\">报告 Reports</a></p>",
                                        content, std::to_string(nStatus), pSession);
    return response;
}

NcSiteResponse NcSiteReportsPage(INcStore& store, const NcSiteQuery& query, const NcStaffSession& session) {
    NcReportFilter filter;
    filter.strAccount = Get(query, "account");
    filter.strServer = Get(query, "server");
    filter.strGroup = Get(query, "group");
    filter.strCarrier = Get(query, "carrier");
    filter.strText = Get(query, "q");
    const std::string strVerdict = Get(query, "verdict");
    data content;
    std::string strBad;
    if (strVerdict == "0" || strVerdict == "1" || strVerdict == "2" || strVerdict == "-1") {
        filter.nVerdict = std::atoi(strVerdict.c_str());
    }
    const std::string strFrom = Get(query, "from"), strTo = Get(query, "to");
    if (!strFrom.empty() && !NcSiteParseDay(strFrom, &filter.nFrom)) strBad = "日期格式 YYYY-MM-DD: " + strFrom;
    if (!strTo.empty()) {
        int64_t nTo = 0;
        if (NcSiteParseDay(strTo, &nTo)) {
            filter.nTo = nTo + 86400;   // the whole "to" day
        } else {
            strBad = "日期格式 YYYY-MM-DD: " + strTo;
        }
    }
    int64_t nPage = std::atoll(Get(query, "page").c_str());
    nPage = std::max<int64_t>(1, std::min(nPage, kMaxPage));

    std::vector<NcReportRow> vecRows;
    // One row more than shown tells whether there is a next page.
    if (!store.ListReports(filter, (nPage - 1) * kPageRows, kPageRows + 1, &vecRows)) {
        return NcSiteErrorPage(503, "数据库不可用 The database is unavailable.", &session);
    }
    const bool bMore = vecRows.size() > static_cast<size_t>(kPageRows);
    if (bMore) vecRows.resize(kPageRows);

    data f;
    std::string strLink = "/support/reports?";
    for (const char* szKey : {"account", "server", "group", "carrier", "verdict", "from", "to", "q"}) {
        const std::string strValue = Get(query, szKey);
        f.set(szKey, strValue);
        if (!strValue.empty()) strLink += std::string(szKey) + "=" + NcSiteUrlEncode(strValue) + "&";
    }
    content.set("f", f);
    data verdicts = data::type::list;
    for (const char* szValue : {"", "0", "1", "2", "-1"}) {
        data option;
        option.set("value", szValue);
        const std::string strValue = szValue;
        option.set("label", strValue.empty() ? "全部 All" : strValue == "-1" ? "无 None"
                                                                              : NcSiteVerdictText(std::atoi(szValue)));
        if (strValue == strVerdict) option.set("selected", true);
        verdicts << option;
    }
    content.set("verdicts", verdicts);
    if (!strBad.empty()) content.set("bad_filter", strBad);

    data rows = data::type::list;
    for (const NcReportRow& row : vecRows) {
        data r;
        r.set("id", std::to_string(row.nId));
        SetReportFields(&r, row);
        rows << r;
    }
    content.set("rows", rows);
    content.set("page", std::to_string(nPage));
    if (nPage > 1) content.set("prev", strLink + "page=" + std::to_string(nPage - 1));
    if (bMore && nPage < kMaxPage) content.set("next", strLink + "page=" + std::to_string(nPage + 1));

    NcSiteResponse response;
    response.strBody = NcSiteRenderPage(kNcSiteReports, content, "报告 Reports", &session);
    return response;
}

NcSiteResponse NcSiteReportPage(INcStore& store, const std::string& strDumpDir, int64_t nId,
                                const NcStaffSession& session) {
    NcReport report;
    if (!store.GetReport(nId, &report)) return NcSiteErrorPage(404, "没有这份报告 No such report.", &session);
    data content;
    content.set("id", std::to_string(nId));
    SetReportFields(&content, report);
    content.set("account_q", NcSiteUrlEncode(report.strUserName));
    content.set("addr", NcSiteCleanText(report.strClientAddr));
    // The client joined the lines of its output with "@@@".
    std::string strContent = report.strCheckContent;
    for (size_t uPos = 0; (uPos = strContent.find("@@@", uPos)) != std::string::npos;) {
        strContent.replace(uPos, 3, "\n");
        ++uPos;
    }
    content.set("content", NcSiteCleanText(strContent));

    data figures = data::type::list;
    for (const NcTargetFigures& fig : report.vecFigures) {
        data f;
        f.set("target", NcSiteCleanText(fig.strTarget));
        f.set("loss", std::to_string(fig.nLoss));
        f.set("avg", FigureText(fig.nAvgMs));
        f.set("min", FigureText(fig.nMinMs));
        f.set("max", FigureText(fig.nMaxMs));
        f.set("jitter", JitterText(fig.dJitterMs));
        f.set("replies", std::to_string(fig.nReplies));
        figures << f;
    }
    content.set("figures", figures);

    // A dump belongs to the account when one of its name's "_" fields is the account name.
    data dumps = data::type::list;
    if (!report.strUserName.empty()) {
        for (const DumpEntry& dump : ListDumps(strDumpDir)) {
            std::string strStem = dump.strName.substr(0, dump.strName.find('.'));
            const std::vector<std::string> vecParts = Split(strStem, '_');
            if (std::find(vecParts.begin(), vecParts.end(), report.strUserName) == vecParts.end()) continue;
            data d;
            d.set("name", dump.strName);
            d.set("name_q", NcSiteUrlEncode(dump.strName));
            dumps << d;
        }
    }
    content.set("dumps", dumps);

    NcSiteResponse response;
    response.strBody = NcSiteRenderPage(kNcSiteReport, content, "报告 Report #" + std::to_string(nId), &session);
    return response;
}

NcSiteResponse NcSiteDumpsPage(const std::string& strDumpDir, const NcStaffSession& session) {
    data dumps = data::type::list;
    for (const DumpEntry& dump : ListDumps(strDumpDir)) {
        data d;
        d.set("name", dump.strName);
        d.set("name_q", NcSiteUrlEncode(dump.strName));
        d.set("size", SizeText(dump.uSize));
        d.set("mtime", NcSiteFormatTime(dump.nMtime));
        DecodeDumpName(dump.strName, &d);
        dumps << d;
    }
    data content;
    content.set("dumps", dumps);
    NcSiteResponse response;
    response.strBody = NcSiteRenderPage(kNcSiteDumps, content, "转储 Dumps", &session);
    return response;
}

NcSiteResponse NcSiteDumpDownload(const std::string& strDumpDir, const std::string& strName) {
    struct stat st;
    if (!NcIsSafeName(strName) || stat((strDumpDir + "/" + strName).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        NcSiteResponse response;
        response.nStatus = 404;
        response.strContentType = "text/plain; charset=utf-8";
        response.strBody = "not found\n";
        return response;
    }
    NcSiteResponse response;
    response.strContentType = "application/octet-stream";
    response.strFilePath = strDumpDir + "/" + strName;
    response.vecHeaders.emplace_back("Content-Disposition", "attachment; filename=\"" + strName + "\"");
    return response;
}
