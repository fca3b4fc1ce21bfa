// What every count of the analytics shares: the hours of a window, the order of the groups, the ranking of
// the server × carrier pairs.
#include "server/site/NcSite_Analytics.h"

#include <algorithm>

std::vector<NcHourStats> NcAnalyticsHours(int64_t nFrom, int64_t nTo) {
    std::vector<NcHourStats> vecHours;
    int64_t nFirstHour = nFrom - ((nFrom % 3600) + 3600) % 3600;
    if (nTo > nFirstHour && (nTo - nFirstHour) / 3600 > kNcMaxHours) {
        nFirstHour = nTo - kNcMaxHours * 3600;
        nFirstHour -= ((nFirstHour % 3600) + 3600) % 3600;
    }
    for (int64_t h = nFirstHour; h < nTo && static_cast<int64_t>(vecHours.size()) <= kNcMaxHours; h += 3600) {
        NcHourStats hour;
        hour.nStart = h;
        vecHours.push_back(hour);
    }
    return vecHours;
}

void NcSortGroups(std::vector<NcGroupStats>* pGroups) {
    std::stable_sort(pGroups->begin(), pGroups->end(),
                     [](const NcGroupStats& a, const NcGroupStats& b) { return a.nReports > b.nReports; });
}

void NcRankWorst(std::vector<NcPairStats>* pPairs) {
    // Most bad reports first (a pair with many players in trouble matters more than a single one), then
    // the larger share, then the slower tail.
    std::stable_sort(pPairs->begin(), pPairs->end(), [](const NcPairStats& a, const NcPairStats& b) {
        if (a.nBad != b.nBad) return a.nBad > b.nBad;
        if (a.dBadShare != b.dBadShare) return a.dBadShare > b.dBadShare;
        return a.nLatP95 > b.nLatP95;
    });
    if (pPairs->size() > 10) pPairs->resize(10);
}
