// The analytics plots, drawn as SVG by the server: no script, nothing fetched by the page.
#include "server/site/NcSite_Analytics.h"
#include "server/site/NcSite_Util.h"

#include <algorithm>
#include <cstdio>

namespace {

const double kWidth = 720, kHeight = 220, kLeft = 44, kRight = 8, kTop = 10, kBottom = 28;

std::string Num(double d) {
    char sz[32];
    std::snprintf(sz, sizeof(sz), "%.1f", d);
    return sz;
}

// A round axis maximum at or above nMax.
int64_t AxisMax(int64_t nMax) {
    int64_t nStep = 1;
    while (nStep * 10 < nMax) nStep *= 10;
    int64_t nTop = nStep;
    while (nTop < nMax) nTop += nStep;
    return std::max<int64_t>(nTop, 1);
}

std::string Frame(const char* szTitle, int64_t nTop, const std::vector<NcHourStats>& vecHours) {
    std::string s = "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"plot\" viewBox=\"0 0 " + Num(kWidth) + " " +
                    Num(kHeight) + "\" role=\"img\" aria-label=\"" + szTitle + "\">";
    const double dPlotH = kHeight - kTop - kBottom;
    for (int i = 0; i <= 4; ++i) {
        const double y = kTop + dPlotH * (1 - i / 4.0);
        s += "<line x1=\"" + Num(kLeft) + "\" x2=\"" + Num(kWidth - kRight) + "\" y1=\"" + Num(y) + "\" y2=\"" +
             Num(y) + "\" class=\"grid\"/>";
        s += "<text x=\"" + Num(kLeft - 4) + "\" y=\"" + Num(y + 4) + "\" class=\"ylab\">" +
             std::to_string(nTop * i / 4) + "</text>";
    }
    // Up to six time labels along the bottom.
    const size_t n = vecHours.size();
    const size_t uEvery = std::max<size_t>(1, (n + 5) / 6);
    const double dSlot = (kWidth - kLeft - kRight) / static_cast<double>(std::max<size_t>(n, 1));
    for (size_t i = 0; i < n; i += uEvery) {
        const std::string strTime = NcSiteFormatTime(vecHours[i].nStart).substr(5);
        s += "<text x=\"" + Num(kLeft + dSlot * static_cast<double>(i)) + "\" y=\"" + Num(kHeight - 8) +
             "\" class=\"xlab\">" + strTime + "</text>";
    }
    return s;
}

}  // namespace

std::string NcReportsPlotSvg(const std::vector<NcHourStats>& vecHours) {
    int64_t nMax = 0;
    for (const NcHourStats& h : vecHours) nMax = std::max(nMax, h.nReports);
    const int64_t nTop = AxisMax(nMax);
    std::string s = Frame("reports per hour", nTop, vecHours);
    const double dPlotH = kHeight - kTop - kBottom;
    const double dSlot = (kWidth - kLeft - kRight) / static_cast<double>(std::max<size_t>(vecHours.size(), 1));
    const double dBar = std::max(1.0, dSlot * 0.8);
    for (size_t i = 0; i < vecHours.size(); ++i) {
        const NcHourStats& h = vecHours[i];
        if (h.nReports == 0) continue;
        const double x = kLeft + dSlot * static_cast<double>(i);
        const double hAll = dPlotH * static_cast<double>(h.nReports) / static_cast<double>(nTop);
        const double hBad = dPlotH * static_cast<double>(h.nBad) / static_cast<double>(nTop);
        s += "<rect class=\"all\" x=\"" + Num(x) + "\" y=\"" + Num(kTop + dPlotH - hAll) + "\" width=\"" + Num(dBar) +
             "\" height=\"" + Num(hAll) + "\"><title>" + NcSiteFormatTime(h.nStart) + ": " +
             std::to_string(h.nReports) + " / " + std::to_string(h.nBad) + "</title></rect>";
        if (h.nBad > 0) {
            s += "<rect class=\"bad\" x=\"" + Num(x) + "\" y=\"" + Num(kTop + dPlotH - hBad) + "\" width=\"" +
                 Num(dBar) + "\" height=\"" + Num(hBad) + "\"/>";
        }
    }
    return s + "</svg>";
}

std::string NcLatencyPlotSvg(const std::vector<NcHourStats>& vecHours) {
    int64_t nMax = 0;
    for (const NcHourStats& h : vecHours) nMax = std::max<int64_t>(nMax, h.nLatP95);
    const int64_t nTop = AxisMax(nMax);
    std::string s = Frame("latency p50 and p95 per hour", nTop, vecHours);
    const double dPlotH = kHeight - kTop - kBottom;
    const double dSlot = (kWidth - kLeft - kRight) / static_cast<double>(std::max<size_t>(vecHours.size(), 1));
    for (int nSeries = 0; nSeries < 2; ++nSeries) {
        std::string strPoints;
        for (size_t i = 0; i < vecHours.size(); ++i) {
            const int32_t nMs = nSeries == 0 ? vecHours[i].nLatP50 : vecHours[i].nLatP95;
            if (nMs < 0) continue;
            const double x = kLeft + dSlot * (static_cast<double>(i) + 0.4);
            const double y = kTop + dPlotH - dPlotH * static_cast<double>(nMs) / static_cast<double>(nTop);
            strPoints += Num(x) + "," + Num(y) + " ";
        }
        if (!strPoints.empty()) {
            s += std::string("<polyline class=\"") + (nSeries == 0 ? "p50" : "p95") + "\" points=\"" + strPoints +
                 "\"/>";
        }
    }
    return s + "</svg>";
}
