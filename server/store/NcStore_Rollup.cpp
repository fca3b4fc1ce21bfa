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
    if (row.nDim < kNcRollupHour || row.nDim > kNcRollupPair || NcHourOf(row.nHour) != row.nHour) return false;
    if (row.nReports < 0 || row.nBad < 0 || row.nBad > row.nReports || row.nSamples < 0 || row.nJitter < 0 ||
        row.nJitter > row.nSamples || !std::isfinite(row.dJitterSum) || row.dJitterSum < 0)
        return false;
    if (row.nDim != kNcRollupPair && !row.strKey2.empty()) return false;
    if (row.strTarget.empty()) {
        // The report counts (and, for the hour and the pairs, the latency of every target).
        if (row.nReports < 1 || row.nSamples != 0 || row.nJitter != 0 || !row.loss.empty()) return false;
        return row.nDim == kNcRollupHour || row.nDim == kNcRollupPair || row.lat.empty();
    }
    if (row.nDim == kNcRollupHour || row.nDim == kNcRollupPair || row.nReports != 0 || row.nSamples < 1) return false;
    return NcHistogramTotal(row.loss) == row.nSamples && NcHistogramTotal(row.lat) <= row.nSamples;
}

NcRollupRow& CNcRollupBuilder::Row(int64_t nHour, int32_t nDim, const std::string& strKey,
                                   const std::string& strKey2, const std::string& strTarget) {
    Key key(nHour, nDim, strKey, strKey2, strTarget);
    auto it = m_mapRows.find(key);
    if (it == m_mapRows.end()) {
        NcRollupRow row;
        row.nHour = nHour;
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
    NcRollupRow* apReports[] = {
        &Row(nHour, kNcRollupHour, strNone, strNone, strNone),
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
    if (row.nAvgMs >= 0) {
        AddValue(&apReports[0]->lat, row.nAvgMs);
        AddValue(&apReports[4]->lat, row.nAvgMs);
    }
    const std::string* apKeys[] = {&row.strServerName, &row.strQuestionType, &row.strNetType};
    for (int32_t nDim = kNcRollupServer; nDim <= kNcRollupCarrier; ++nDim) {
        NcRollupRow& t = Row(nHour, nDim, *apKeys[nDim - kNcRollupServer], strNone, row.strTarget);
        ++t.nSamples;
        if (row.nAvgMs >= 0) AddValue(&t.lat, row.nAvgMs);
        AddValue(&t.loss, row.nLoss);
        if (row.dJitterMs >= 0 && std::isfinite(row.dJitterMs)) {
            t.dJitterSum += row.dJitterMs;
            ++t.nJitter;
        }
    }
}

void CNcRollupBuilder::AddReport(const NcReport& report) {
    NcFigureRow row;
    row.nReportId = m_nLastId + 1;   // a number of its own, so it counts as a report of its own
    row.nReceivedAt = report.nReceivedAt;
    row.strServerName = report.strServerName;
    row.strQuestionType = report.strQuestionType;
    row.strNetType = report.strNetType;
    row.nVerdict = report.nVerdict;
    if (report.vecFigures.empty()) {
        Add(row);
        return;
    }
    for (const NcTargetFigures& f : report.vecFigures) {
        row.strTarget = f.strTarget;
        row.nLoss = f.nLoss;
        row.nAvgMs = f.nAvgMs;
        row.dJitterMs = f.dJitterMs;
        Add(row);
    }
}

std::vector<NcRollupRow> CNcRollupBuilder::Take() {
    std::vector<NcRollupRow> vecRows;
    vecRows.reserve(m_mapRows.size());
    for (auto& kv : m_mapRows) vecRows.push_back(std::move(kv.second));
    m_mapRows.clear();
    return vecRows;
}
