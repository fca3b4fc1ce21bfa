#include "server/store/NcStore_Rollup.h"

#include <algorithm>
#include <cmath>

namespace {

const uint8_t kFormat = 1;
const int64_t kMaxTotal = int64_t(1) << 62;

void PutVarint(std::string* pOut, uint64_t u) {
    while (u >= 0x80) {
        pOut->push_back(static_cast<char>((u & 0x7F) | 0x80));
        u >>= 7;
    }
    pOut->push_back(static_cast<char>(u));
}

bool GetVarint(const uint8_t* p, size_t uSize, size_t* pPos, uint64_t* pValue) {
    uint64_t u = 0;
    for (int nShift = 0; nShift < 64; nShift += 7) {
        if (*pPos >= uSize) return false;
        const uint8_t b = p[(*pPos)++];
        if (nShift == 63 && b > 1) return false;   // past 64 bits
        u |= static_cast<uint64_t>(b & 0x7F) << nShift;
        if (!(b & 0x80)) {
            *pValue = u;
            return true;
        }
    }
    return false;
}

void AddValue(NcHistogram* pHist, int32_t nValue) {
    auto it = std::lower_bound(pHist->begin(), pHist->end(), nValue,
                               [](const std::pair<int32_t, int64_t>& e, int32_t v) { return e.first < v; });
    if (it != pHist->end() && it->first == nValue) {
        ++it->second;
    } else {
        pHist->insert(it, {nValue, 1});
    }
}

}  // namespace

std::string NcEncodeHistogram(const NcHistogram& hist) {
    std::string strOut(1, static_cast<char>(kFormat));
    PutVarint(&strOut, hist.size());
    int64_t nPrev = 0;
    for (size_t i = 0; i < hist.size(); ++i) {
        const int64_t nValue = hist[i].first;
        if (i == 0) {
            PutVarint(&strOut, nValue < 0 ? (static_cast<uint64_t>(-(nValue + 1)) << 1) | 1
                                          : static_cast<uint64_t>(nValue) << 1);
        } else {
            PutVarint(&strOut, static_cast<uint64_t>(nValue - nPrev));
        }
        PutVarint(&strOut, static_cast<uint64_t>(hist[i].second));
        nPrev = nValue;
    }
    return strOut;
}

bool NcDecodeHistogram(const void* pData, size_t uSize, NcHistogram* pHist) {
    const uint8_t* p = static_cast<const uint8_t*>(pData);
    pHist->clear();
    if (uSize < 2 || !p || p[0] != kFormat) return false;
    size_t uPos = 1;
    uint64_t uEntries = 0;
    // Every entry takes at least two bytes: a count that does not fit what is left is a lie.
    if (!GetVarint(p, uSize, &uPos, &uEntries) || uEntries > (uSize - uPos) / 2) return false;
    NcHistogram hist;
    hist.reserve(static_cast<size_t>(uEntries));
    int64_t nPrev = 0, nTotal = 0;
    for (uint64_t i = 0; i < uEntries; ++i) {
        uint64_t uValue = 0, uCount = 0;
        if (!GetVarint(p, uSize, &uPos, &uValue) || !GetVarint(p, uSize, &uPos, &uCount)) return false;
        int64_t nValue;
        if (i == 0) {
            if (uValue > (uint64_t(1) << 33)) return false;
            nValue = (uValue & 1) ? -static_cast<int64_t>(uValue >> 1) - 1 : static_cast<int64_t>(uValue >> 1);
        } else {
            if (uValue == 0 || uValue > (uint64_t(1) << 33)) return false;
            nValue = nPrev + static_cast<int64_t>(uValue);
        }
        if (nValue < INT32_MIN || nValue > INT32_MAX) return false;
        if (uCount == 0 || uCount > static_cast<uint64_t>(kMaxTotal - nTotal)) return false;
        nTotal += static_cast<int64_t>(uCount);
        hist.emplace_back(static_cast<int32_t>(nValue), static_cast<int64_t>(uCount));
        nPrev = nValue;
    }
    if (uPos != uSize) return false;
    *pHist = std::move(hist);
    return true;
}

int64_t NcHistogramTotal(const NcHistogram& hist) {
    int64_t nTotal = 0;
    for (const auto& e : hist) nTotal += e.second;
    return nTotal;
}

void NcMergeHistogram(NcHistogram* pInto, const NcHistogram& add) {
    NcHistogram out;
    out.reserve(pInto->size() + add.size());
    size_t i = 0, j = 0;
    while (i < pInto->size() || j < add.size()) {
        if (j == add.size() || (i < pInto->size() && (*pInto)[i].first < add[j].first)) {
            out.push_back((*pInto)[i++]);
        } else if (i == pInto->size() || add[j].first < (*pInto)[i].first) {
            out.push_back(add[j++]);
        } else {
            out.emplace_back((*pInto)[i].first, (*pInto)[i].second + add[j].second);
            ++i;
            ++j;
        }
    }
    pInto->swap(out);
}

void NcMergeRollupRow(NcRollupRow* pInto, const NcRollupRow& add) {
    pInto->nReports += add.nReports;
    pInto->nBad += add.nBad;
    pInto->nSamples += add.nSamples;
    pInto->dJitterSum += add.dJitterSum;
    pInto->nJitter += add.nJitter;
    NcMergeHistogram(&pInto->lat, add.lat);
    NcMergeHistogram(&pInto->loss, add.loss);
}

bool NcRollupRowSane(const NcRollupRow& row) {
    const bool bDay = row.nDim > kNcRollupDayOffset;
    const int32_t nKind = bDay ? row.nDim - kNcRollupDayOffset : row.nDim;
    if (nKind < (bDay ? kNcRollupServer : kNcRollupHour) || nKind > kNcRollupPair ||
        (bDay ? NcDayOf(row.nStart) : NcHourOf(row.nStart)) != row.nStart)
        return false;
    if (row.nReports < 0 || row.nBad < 0 || row.nBad > row.nReports || row.nSamples < 0 || row.nJitter < 0 ||
        row.nJitter > row.nSamples || !std::isfinite(row.dJitterSum) || row.dJitterSum < 0)
        return false;
    if (nKind != kNcRollupPair && !row.strKey2.empty()) return false;
    if (row.strTarget.empty()) {
        // The report counts (and, for the hour and the pairs, the latency of every target).
        if (row.nReports < 1 || row.nSamples != 0 || row.nJitter != 0 || !row.loss.empty()) return false;
        return nKind == kNcRollupHour || nKind == kNcRollupPair || row.lat.empty();
    }
    if (nKind == kNcRollupHour || nKind == kNcRollupPair || row.nReports != 0 || row.nSamples < 1) return false;
    return NcHistogramTotal(row.loss) == row.nSamples && NcHistogramTotal(row.lat) <= row.nSamples;
}

NcRollupRow& CNcRollupBuilder::Row(int64_t nStart, int32_t nDim, const std::string& strKey,
                                   const std::string& strKey2, const std::string& strTarget) {
    Key key(nStart, nDim, strKey, strKey2, strTarget);
    auto it = m_mapRows.find(key);
    if (it == m_mapRows.end()) {
        NcRollupRow row;
        row.nStart = nStart;
        row.nDim = nDim;
        row.strKey = strKey;
        row.strKey2 = strKey2;
        row.strTarget = strTarget;
        it = m_mapRows.emplace(std::move(key), std::move(row)).first;
    }
    return it->second;
}

void CNcRollupBuilder::Add(const NcFigureRow& row) {
    const bool bNew = !m_bAny || row.nReportId != m_nLastId;
    m_bAny = true;
    m_nLastId = row.nReportId;
    const int64_t nHour = NcHourOf(row.nReceivedAt);
    const std::string strNone;
    NcRollupRow& hour = Row(nHour, kNcRollupHour, strNone, strNone, strNone);
    if (bNew) {
        ++hour.nReports;
        if (row.nVerdict == 2) ++hour.nBad;
    }
    if (!row.strTarget.empty() && row.nAvgMs >= 0) AddValue(&hour.lat, row.nAvgMs);
    NcRollupRow* apReports[] = {
        &Row(nHour, kNcRollupServer, row.strServerName, strNone, strNone),
        &Row(nHour, kNcRollupGroup, row.strQuestionType, strNone, strNone),
        &Row(nHour, kNcRollupCarrier, row.strNetType, strNone, strNone),
        &Row(nHour, kNcRollupPair, row.strServerName, row.strNetType, strNone),
    };
    if (bNew) {
        for (NcRollupRow* p : apReports) {
            ++p->nReports;
            if (row.nVerdict == 2) ++p->nBad;
        }
    }
    if (row.strTarget.empty()) return;
    if (row.nAvgMs >= 0) AddValue(&apReports[3]->lat, row.nAvgMs);
    for (int i = 0; i < 3; ++i) {
        NcRollupRow& t = Row(nHour, apReports[i]->nDim, apReports[i]->strKey, strNone, row.strTarget);
        ++t.nSamples;
        if (row.nAvgMs >= 0) AddValue(&t.lat, row.nAvgMs);
        AddValue(&t.loss, row.nLoss);
        if (row.dJitterMs >= 0 && std::isfinite(row.dJitterMs)) {
            t.dJitterSum += row.dJitterMs;
            ++t.nJitter;
        }
    }
}

std::vector<NcRollupRow> CNcRollupBuilder::Take() {
    std::vector<NcRollupRow> vecRows;
    vecRows.reserve(m_mapRows.size());
    for (auto& kv : m_mapRows) vecRows.push_back(std::move(kv.second));
    m_mapRows.clear();
    return vecRows;
}

namespace {

// The day rows of the day starting at nDay, added up from its hour rows.
bool WriteDay(INcRollupTx& tx, int64_t nDay) {
    std::map<std::tuple<int32_t, std::string, std::string, std::string>, NcRollupRow> mapDay;
    for (int32_t nDim = kNcRollupServer; nDim <= kNcRollupPair; ++nDim) {
        std::vector<NcRollupRow> vecHours;
        if (!tx.ReadRows(nDim, nDay, nDay + 86400, &vecHours)) return false;
        for (NcRollupRow& hour : vecHours) {
            auto key = std::make_tuple(nDim + kNcRollupDayOffset, hour.strKey, hour.strKey2, hour.strTarget);
            auto it = mapDay.find(key);
            if (it == mapDay.end()) {
                hour.nDim += kNcRollupDayOffset;
                hour.nStart = nDay;
                mapDay.emplace(std::move(key), std::move(hour));
            } else {
                NcMergeRollupRow(&it->second, hour);
            }
        }
    }
    std::vector<NcRollupRow> vecDay;
    for (auto& kv : mapDay) vecDay.push_back(std::move(kv.second));
    return vecDay.empty() || tx.WriteRows(vecDay);
}

}  // namespace

bool NcRollupCount(INcRollupTx& tx, int64_t nUntil, int64_t nMaxSpan, int64_t* pDone) {
    const int64_t nDone = *pDone;
    if (nDone >= nUntil) return true;
    int64_t nNext = 0;
    bool bAny = false;
    if (!tx.NextReportTime(nDone, &nNext, &bAny)) return false;
    int64_t nStart = bAny ? std::max(nDone, NcHourOf(nNext)) : nUntil;
    if (nStart > nUntil) nStart = nUntil;
    int64_t nEnd = nUntil;
    if (nStart < nUntil && nUntil - nStart > nMaxSpan) nEnd = std::max(nStart + 3600, NcHourOf(nStart + nMaxSpan));
    if (nStart < nEnd) {
        std::vector<NcFigureRow> vecRows;
        if (!tx.ReadFigures(nStart, nEnd, &vecRows)) return false;
        CNcRollupBuilder builder;
        for (const NcFigureRow& row : vecRows) builder.Add(row);
        if (!builder.Empty() && !tx.WriteRows(builder.Take())) return false;
    }
    // The days now over: the one the old mark stood in (its earlier hours were counted before), and
    // those of the hours just counted. The days in between had no reports.
    if (nDone != INT64_MIN && NcDayOf(nDone) != nDone && NcDayOf(nDone) + 86400 <= nEnd &&
        NcDayOf(nDone) < NcDayOf(nStart)) {
        if (!WriteDay(tx, NcDayOf(nDone))) return false;
    }
    for (int64_t nDay = NcDayOf(nStart); nStart < nEnd && nDay + 86400 <= nEnd; nDay += 86400) {
        if (!WriteDay(tx, nDay)) return false;
    }
    *pDone = nEnd;
    return true;
}

bool NcRollUpTo(INcStore& store, int64_t nNow, int64_t* pDoneUntil) {
    const int64_t nUntil = NcHourOf(nNow - kNcRollupLagSec);
    int64_t nDone = INT64_MIN;
    // Every step moves the mark on by at least an hour; the bound only guards against a store that
    // does not.
    for (int i = 0; i < 100000; ++i) {
        const int64_t nBefore = nDone;
        if (!store.RollUp(nUntil, &nDone)) return false;
        *pDoneUntil = nDone;
        if (nDone >= nUntil) return true;
        if (i > 0 && nDone <= nBefore) return false;
    }
    return false;
}
