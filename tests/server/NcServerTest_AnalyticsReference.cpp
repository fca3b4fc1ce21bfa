// The analytics figures counted the plain way: every value of a window sorted and the nearest rank read
// off, with no histograms and no rollup rows in between.
#include "server/NcServerTest_AnalyticsReference.h"

#include <algorithm>
#include <map>

int32_t NcPercentile(std::vector<int32_t> vecValues, int nPct) {
    std::sort(vecValues.begin(), vecValues.end());
    return NcSortedPercentile(vecValues, nPct);
}

int32_t NcSortedPercentile(const std::vector<int32_t>& vecSorted, int nPct) {
    if (vecSorted.empty()) return -1;
    // rank = ceil(p/100 * n), 1-based
    size_t uRank = (static_cast<size_t>(nPct) * vecSorted.size() + 99) / 100;
    if (uRank < 1) uRank = 1;
    return vecSorted[uRank - 1];
}

namespace {

// Sorts once for both percentiles.
void P50P95(std::vector<int32_t>* pValues, int32_t* pP50, int32_t* pP95) {
    std::sort(pValues->begin(), pValues->end());
    *pP50 = NcSortedPercentile(*pValues, 50);
    *pP95 = NcSortedPercentile(*pValues, 95);
}

struct TargetAcc {
    std::vector<int32_t> vecLat, vecLoss;
    double dJitterSum = 0;
    int64_t nJitter = 0;
};

struct GroupAcc {
    int64_t nReports = 0, nBad = 0;
    std::map<std::string, TargetAcc> mapTargets;
    std::vector<int32_t> vecLat;   // every target, for the pair ranking
};

void AddRow(GroupAcc* pAcc, const NcFigureRow& row, bool bNewReport) {
    if (bNewReport) {
        ++pAcc->nReports;
        if (row.nVerdict == 2) ++pAcc->nBad;
    }
    if (row.strTarget.empty()) return;
    TargetAcc& t = pAcc->mapTargets[row.strTarget];
    if (row.nAvgMs >= 0) {
        t.vecLat.push_back(row.nAvgMs);
        pAcc->vecLat.push_back(row.nAvgMs);
    }
    t.vecLoss.push_back(row.nLoss);
    if (row.dJitterMs >= 0) {
        t.dJitterSum += row.dJitterMs;
        ++t.nJitter;
    }
}

std::vector<NcGroupStats> Finish(std::map<std::string, GroupAcc>& mapAcc) {
    std::vector<NcGroupStats> vecOut;
    for (auto& kv : mapAcc) {
        NcGroupStats g;
        g.strKey = kv.first;
        g.nReports = kv.second.nReports;
        g.nBad = kv.second.nBad;
        g.dBadShare = g.nReports ? static_cast<double>(g.nBad) / static_cast<double>(g.nReports) : 0;
        for (auto& tv : kv.second.mapTargets) {
            NcTargetStats t;
            t.strTarget = tv.first;
            t.nSamples = static_cast<int64_t>(tv.second.vecLoss.size());
            P50P95(&tv.second.vecLat, &t.nLatP50, &t.nLatP95);
            P50P95(&tv.second.vecLoss, &t.nLossP50, &t.nLossP95);
            t.dJitterMean = tv.second.nJitter ? tv.second.dJitterSum / static_cast<double>(tv.second.nJitter) : -1;
            g.vecTargets.push_back(t);
        }
        vecOut.push_back(std::move(g));
    }
    NcSortGroups(&vecOut);
    return vecOut;
}

}  // namespace

NcAnalytics NcTestCountAnalytics(const std::vector<NcFigureRow>& vecRows, int64_t nFrom, int64_t nTo) {
    NcAnalytics out;
    out.vecHours = NcAnalyticsHours(nFrom, nTo);
    const int64_t nFirstHour = out.vecHours.empty() ? 0 : out.vecHours[0].nStart;
    std::vector<std::vector<int32_t>> vecHourLat(out.vecHours.size());

    std::map<std::string, GroupAcc> mapServer, mapGroup, mapCarrier;
    std::map<std::pair<std::string, std::string>, GroupAcc> mapPair;
    int64_t nLastId = 0;
    bool bAny = false;
    GroupAcc* apGroups[4] = {};   // the current report's server, group, carrier and pair: looked up once
    for (const NcFigureRow& row : vecRows) {
        const bool bNew = !bAny || row.nReportId != nLastId;
        bAny = true;
        nLastId = row.nReportId;
        if (bNew) {
            ++out.nReports;
            if (row.nVerdict == 2) ++out.nBad;
            apGroups[0] = &mapServer[row.strServerName];
            apGroups[1] = &mapGroup[row.strQuestionType];
            apGroups[2] = &mapCarrier[row.strNetType];
            apGroups[3] = &mapPair[{row.strServerName, row.strNetType}];
        }
        for (GroupAcc* pAcc : apGroups) AddRow(pAcc, row, bNew);
        if (row.nReceivedAt < nFirstHour || out.vecHours.empty()) continue;
        const size_t uHour = static_cast<size_t>((row.nReceivedAt - nFirstHour) / 3600);
        if (uHour >= out.vecHours.size()) continue;
        if (bNew) {
            ++out.vecHours[uHour].nReports;
            if (row.nVerdict == 2) ++out.vecHours[uHour].nBad;
        }
        if (!row.strTarget.empty() && row.nAvgMs >= 0) vecHourLat[uHour].push_back(row.nAvgMs);
    }
    for (size_t i = 0; i < out.vecHours.size(); ++i) {
        P50P95(&vecHourLat[i], &out.vecHours[i].nLatP50, &out.vecHours[i].nLatP95);
    }
    out.vecByServer = Finish(mapServer);
    out.vecByGroup = Finish(mapGroup);
    out.vecByCarrier = Finish(mapCarrier);

    for (auto& kv : mapPair) {
        NcPairStats p;
        p.strServer = kv.first.first;
        p.strCarrier = kv.first.second;
        p.nReports = kv.second.nReports;
        p.nBad = kv.second.nBad;
        p.dBadShare = p.nReports ? static_cast<double>(p.nBad) / static_cast<double>(p.nReports) : 0;
        std::sort(kv.second.vecLat.begin(), kv.second.vecLat.end());
        p.nLatP95 = NcSortedPercentile(kv.second.vecLat, 95);
        if (p.nBad > 0 || p.nLatP95 >= 0) out.vecWorst.push_back(p);
    }
    NcRankWorst(&out.vecWorst);
    return out;
}
