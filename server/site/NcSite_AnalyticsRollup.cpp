// The analytics page's figures from the rollup. Latency and loss are whole numbers, so adding the days'
// and hours' histograms and reading the nearest rank off the sum gives the very percentiles a sort of all
// the values would; a window that starts or ends inside an hour takes those partial hours from the
// reports themselves, summed the same way.
#include "server/site/NcSite_Analytics.h"
#include "server/store/NcStore_Rollup.h"

#include <algorithm>
#include <map>

namespace {

// Counts of values added from many histograms: small non-negative values (every latency and loss a
// real network gives) in an array, anything else in a map.
class CHistAcc {
public:
    void Add(const NcHistogram& hist) {
        for (const auto& e : hist) {
            if (e.first >= 0 && e.first < kDense) {
                if (static_cast<size_t>(e.first) >= m_vecDense.size()) m_vecDense.resize(static_cast<size_t>(e.first) + 1, 0);
                m_vecDense[static_cast<size_t>(e.first)] += e.second;
            } else {
                m_mapSparse[e.first] += e.second;
            }
            m_nTotal += e.second;
        }
    }

    // Nearest rank: the smallest value with at least nPct percent of the values at or below it.
    int32_t Percentile(int nPct) const {
        if (m_nTotal == 0) return -1;
        int64_t nRank = (static_cast<int64_t>(nPct) * m_nTotal + 99) / 100;
        if (nRank < 1) nRank = 1;
        int64_t nSeen = 0;
        auto it = m_mapSparse.begin();
        for (; it != m_mapSparse.end() && it->first < 0; ++it) {
            nSeen += it->second;
            if (nSeen >= nRank) return it->first;
        }
        for (size_t v = 0; v < m_vecDense.size(); ++v) {
            nSeen += m_vecDense[v];
            if (nSeen >= nRank) return static_cast<int32_t>(v);
        }
        for (; it != m_mapSparse.end(); ++it) {
            nSeen += it->second;
            if (nSeen >= nRank) return it->first;
        }
        return -1;   // not reached: the counts add up to m_nTotal
    }

private:
    static constexpr int32_t kDense = 65536;
    std::vector<int64_t> m_vecDense;
    std::map<int32_t, int64_t> m_mapSparse;
    int64_t m_nTotal = 0;
};

struct TargetAcc {
    int64_t nSamples = 0;
    CHistAcc lat, loss;
    double dJitterSum = 0;
    int64_t nJitter = 0;
};

struct GroupAcc {
    int64_t nReports = 0, nBad = 0;
    std::map<std::string, TargetAcc> mapTargets;
};

struct PairAcc {
    int64_t nReports = 0, nBad = 0;
    CHistAcc lat;
};

std::vector<NcGroupStats> Finish(const std::map<std::string, GroupAcc>& mapAcc) {
    std::vector<NcGroupStats> vecOut;
    for (const auto& kv : mapAcc) {
        NcGroupStats g;
        g.strKey = kv.first;
        g.nReports = kv.second.nReports;
        g.nBad = kv.second.nBad;
        g.dBadShare = g.nReports ? static_cast<double>(g.nBad) / static_cast<double>(g.nReports) : 0;
        for (const auto& tv : kv.second.mapTargets) {
            NcTargetStats t;
            t.strTarget = tv.first;
            t.nSamples = tv.second.nSamples;
            t.nLatP50 = tv.second.lat.Percentile(50);
            t.nLatP95 = tv.second.lat.Percentile(95);
            t.nLossP50 = tv.second.loss.Percentile(50);
            t.nLossP95 = tv.second.loss.Percentile(95);
            t.dJitterMean = tv.second.nJitter ? tv.second.dJitterSum / static_cast<double>(tv.second.nJitter) : -1;
            g.vecTargets.push_back(t);
        }
        vecOut.push_back(std::move(g));
    }
    NcSortGroups(&vecOut);
    return vecOut;
}

}  // namespace

NcAnalytics NcAnalyticsFromRollup(const std::vector<NcRollupRow>& vecRows, int64_t nFrom, int64_t nTo) {
    NcAnalytics out;
    out.vecHours = NcAnalyticsHours(nFrom, nTo);
    const int64_t nFirstHour = out.vecHours.empty() ? 0 : out.vecHours[0].nStart;
    std::vector<CHistAcc> vecHourLat(out.vecHours.size());
    std::map<std::string, GroupAcc> amapGroups[3];   // server, group, carrier
    std::map<std::pair<std::string, std::string>, PairAcc> mapPair;

    for (const NcRollupRow& row : vecRows) {
        // A day's rows add up like an hour's.
        switch (row.nDim > kNcRollupDayOffset ? row.nDim - kNcRollupDayOffset : row.nDim) {
        case kNcRollupHour: {
            out.nReports += row.nReports;
            out.nBad += row.nBad;
            if (row.nStart < nFirstHour || out.vecHours.empty()) break;
            const size_t uHour = static_cast<size_t>((row.nStart - nFirstHour) / 3600);
            if (uHour >= out.vecHours.size()) break;
            out.vecHours[uHour].nReports += row.nReports;
            out.vecHours[uHour].nBad += row.nBad;
            vecHourLat[uHour].Add(row.lat);
            break;
        }
        case kNcRollupServer:
        case kNcRollupGroup:
        case kNcRollupCarrier: {
            GroupAcc& g = amapGroups[(row.nDim % kNcRollupDayOffset) - kNcRollupServer][row.strKey];
            if (row.strTarget.empty()) {
                g.nReports += row.nReports;
                g.nBad += row.nBad;
                break;
            }
            TargetAcc& t = g.mapTargets[row.strTarget];
            t.nSamples += row.nSamples;
            t.lat.Add(row.lat);
            t.loss.Add(row.loss);
            t.dJitterSum += row.dJitterSum;
            t.nJitter += row.nJitter;
            break;
        }
        case kNcRollupPair: {
            PairAcc& p = mapPair[{row.strKey, row.strKey2}];
            p.nReports += row.nReports;
            p.nBad += row.nBad;
            p.lat.Add(row.lat);
            break;
        }
        default:
            break;
        }
    }
    for (size_t i = 0; i < out.vecHours.size(); ++i) {
        out.vecHours[i].nLatP50 = vecHourLat[i].Percentile(50);
        out.vecHours[i].nLatP95 = vecHourLat[i].Percentile(95);
    }
    out.vecByServer = Finish(amapGroups[0]);
    out.vecByGroup = Finish(amapGroups[1]);
    out.vecByCarrier = Finish(amapGroups[2]);
    for (const auto& kv : mapPair) {
        NcPairStats p;
        p.strServer = kv.first.first;
        p.strCarrier = kv.first.second;
        p.nReports = kv.second.nReports;
        p.nBad = kv.second.nBad;
        p.dBadShare = p.nReports ? static_cast<double>(p.nBad) / static_cast<double>(p.nReports) : 0;
        p.nLatP95 = kv.second.lat.Percentile(95);
        if (p.nBad > 0 || p.nLatP95 >= 0) out.vecWorst.push_back(p);
    }
    NcRankWorst(&out.vecWorst);
    return out;
}

NcAnalytics NcAnalyticsFromFigures(const std::vector<NcFigureRow>& vecRows, int64_t nFrom, int64_t nTo) {
    CNcRollupBuilder builder;
    for (const NcFigureRow& row : vecRows) builder.Add(row);
    return NcAnalyticsFromRollup(builder.Take(), nFrom, nTo);
}

bool NcLoadAnalytics(INcStore& store, int64_t nFrom, int64_t nTo, int64_t nNow, size_t nMaxRows, NcAnalytics* pOut,
                     bool* pTruncated) {
    *pTruncated = false;
    // The rollup is brought up to the hours that are over, then read for whole hours [nLo, nHi) up to
    // its mark, and of those for whole days [nDayLo, nDayHi) from its day rows; what lies before nLo or
    // from nHi on (the partial hours at the edges, the last hour or so), from the reports.
    int64_t nDone = INT64_MIN;
    bool bRollup = NcRollUpTo(store, nNow, &nDone);
    const int64_t nLo = NcHourOf(nFrom) == nFrom || nFrom > INT64_MAX - 3600 ? nFrom : NcHourOf(nFrom) + 3600;
    const int64_t nHi = std::max(nLo, std::min(NcHourOf(nTo), nDone));
    int64_t nDayLo = NcDayOf(nLo) == nLo || nLo > INT64_MAX - 86400 ? nLo : NcDayOf(nLo) + 86400;
    int64_t nDayHi = NcDayOf(nHi);
    if (nDayLo >= nDayHi) nDayLo = nDayHi = nLo;   // no whole day: hours only
    std::vector<NcRollupRow> vecRows;
    if (bRollup && nLo < nHi) bRollup = store.ListRollup(kNcRollupHour, nLo, nHi, &vecRows);
    for (int32_t nDim = kNcRollupServer; nDim <= kNcRollupPair && bRollup; ++nDim) {
        if (nLo < nDayLo) bRollup = store.ListRollup(nDim, nLo, nDayLo, &vecRows);
        if (bRollup && nDayHi < nHi) bRollup = store.ListRollup(nDim, nDayHi, nHi, &vecRows);
        if (bRollup && nDayLo < nDayHi) bRollup = store.ListRollup(nDim + kNcRollupDayOffset, nDayLo, nDayHi, &vecRows);
    }
    std::vector<NcFigureRow> vecEdge;
    CNcRollupBuilder edges;
    const std::pair<int64_t, int64_t> aEdges[] = {{nFrom, std::min(nLo, nTo)}, {std::max(nHi, nFrom), nTo}};
    for (const auto& edge : aEdges) {
        if (!bRollup || edge.first >= edge.second) continue;
        if (!store.ListFigures(edge.first, edge.second, nMaxRows, &vecEdge)) return false;
        if (vecEdge.size() >= nMaxRows) *pTruncated = true;
        for (const NcFigureRow& row : vecEdge) edges.Add(row);
    }
    if (bRollup) {
        for (NcRollupRow& row : edges.Take()) vecRows.push_back(std::move(row));
        *pOut = NcAnalyticsFromRollup(vecRows, nFrom, nTo);
        return true;
    }
    // The rollup could not be brought up or read (logged): count from the reports, as slowly as that is.
    if (!store.ListFigures(nFrom, nTo, nMaxRows, &vecEdge)) return false;
    *pTruncated = vecEdge.size() >= nMaxRows;
    *pOut = NcAnalyticsFromFigures(vecEdge, nFrom, nTo);
    return true;
}
