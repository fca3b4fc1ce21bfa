// The analytics page: a window of days, the figures of NcLoadAnalytics as tables and two plots.
#include "server/site/NcSite_Analytics.h"
#include "server/site/NcSite_Pages.h"
#include "server/site/NcSite_Templates.h"
#include "server/site/NcSite_Util.h"

#include <cstdio>

using kainjow::mustache::data;

namespace {

// Target rows read from the reports for one page (the window's partial hours, or all of it when the
// rollup cannot be read); a larger window is cut and says so.
const size_t kMaxRows = 500000;
const int64_t kDay = 86400;

std::string Share(double d) {
    char sz[16];
    std::snprintf(sz, sizeof(sz), "%.1f%%", d * 100);
    return sz;
}

std::string Pair(int32_t a, int32_t b) {
    if (a < 0) return "–";
    return std::to_string(a) + " / " + std::to_string(b);
}

std::string Jitter(double d) {
    if (d < 0) return "–";
    char sz[32];
    std::snprintf(sz, sizeof(sz), "%.1f", d);
    return sz;
}

data Section(const char* szTitle, const char* szKeyLabel, const std::vector<NcGroupStats>& vecGroups) {
    data section;
    section.set("title", szTitle);
    section.set("key_label", szKeyLabel);
    data groups = data::type::list;
    for (const NcGroupStats& g : vecGroups) {
        data group;
        data targets = data::type::list;
        const size_t uSpan = std::max<size_t>(1, g.vecTargets.size());
        for (size_t i = 0; i < uSpan; ++i) {
            data t;
            if (i == 0) {
                data first;
                first.set("span", std::to_string(uSpan));
                first.set("key", g.strKey.empty() ? std::string("(空 empty)") : NcSiteCleanText(g.strKey));
                first.set("reports", std::to_string(g.nReports));
                first.set("share", Share(g.dBadShare));
                t.set("first", first);
            }
            if (i < g.vecTargets.size()) {
                const NcTargetStats& s = g.vecTargets[i];
                t.set("target", NcSiteCleanText(s.strTarget));
                t.set("lat", Pair(s.nLatP50, s.nLatP95));
                t.set("loss", Pair(s.nLossP50, s.nLossP95));
                t.set("jitter", Jitter(s.dJitterMean));
            } else {
                t.set("target", "–");
            }
            targets << t;
        }
        group.set("targets", targets);
        groups << group;
    }
    section.set("groups", groups);
    return section;
}

}  // namespace

NcSiteResponse NcSiteAnalyticsPage(INcStore& store, const NcSiteQuery& query, int64_t nNowSec,
                                   const NcStaffSession& session) {
    int64_t nToDay = nNowSec - ((nNowSec % kDay) + kDay) % kDay;
    int64_t nFromDay = nToDay - 6 * kDay;
    data content;
    const auto itFrom = query.find("from"), itTo = query.find("to");
    std::string strBad;
    if (itTo != query.end() && !itTo->second.empty() && !NcSiteParseDay(itTo->second, &nToDay)) {
        strBad = "日期格式 YYYY-MM-DD: " + itTo->second;
    }
    if (itFrom != query.end() && !itFrom->second.empty()) {
        if (!NcSiteParseDay(itFrom->second, &nFromDay)) strBad = "日期格式 YYYY-MM-DD: " + itFrom->second;
    } else if (itTo != query.end()) {
        nFromDay = nToDay - 6 * kDay;
    }
    if (nFromDay > nToDay) std::swap(nFromDay, nToDay);
    if (nToDay - nFromDay >= kNcMaxHours * 3600) {
        nFromDay = nToDay - (kNcMaxHours / 24 - 1) * kDay;
        strBad = "窗口最长 31 天 The window is at most 31 days.";
    }
    const int64_t nFrom = nFromDay, nTo = nToDay + kDay;

    NcAnalytics a;
    bool bTruncated = false;
    if (!NcLoadAnalytics(store, nFrom, nTo, nNowSec, kMaxRows, &a, &bTruncated)) {
        return NcSiteErrorPage(503, "数据库不可用 The database is unavailable.", &session);
    }

    content.set("from", NcSiteFormatDay(nFromDay));
    content.set("to", NcSiteFormatDay(nToDay));
    if (!strBad.empty()) content.set("bad_filter", strBad);
    if (bTruncated) content.set("truncated", std::to_string(kMaxRows));
    content.set("reports", std::to_string(a.nReports));
    content.set("bad_share", Share(a.nReports ? static_cast<double>(a.nBad) / static_cast<double>(a.nReports) : 0));
    content.set("plot_reports", NcReportsPlotSvg(a.vecHours));
    content.set("plot_latency", NcLatencyPlotSvg(a.vecHours));

    data worst = data::type::list;
    for (const NcPairStats& p : a.vecWorst) {
        data w;
        w.set("server", NcSiteCleanText(p.strServer));
        w.set("carrier", NcSiteCleanText(p.strCarrier));
        w.set("reports", std::to_string(p.nReports));
        w.set("bad", std::to_string(p.nBad));
        w.set("share", Share(p.dBadShare));
        w.set("p95", p.nLatP95 < 0 ? std::string("–") : std::to_string(p.nLatP95));
        worst << w;
    }
    content.set("worst", worst);
    data sections = data::type::list;
    sections << Section("按服务器 By server", "服务器 Server", a.vecByServer);
    sections << Section("按运营商 By carrier", "运营商 Carrier", a.vecByCarrier);
    sections << Section("按问题类型 By group", "问题类型 Group", a.vecByGroup);
    content.set("sections", sections);

    NcSiteResponse response;
    response.strBody = NcSiteRenderPage(kNcSiteAnalytics, content, "分析 Analytics", &session);
    return response;
}
