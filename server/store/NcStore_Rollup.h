// The hourly rollup both stores keep beside the reports: what one report adds to it, how rows add up,
// and the byte form of a histogram in the database. A histogram read back is outside data like any
// other: NcDecodeHistogram checks every byte of it.
#pragma once

#include "server/store/NcStore.h"

#include <map>
#include <string>
#include <tuple>
#include <vector>

// Byte form: a format byte (1), the number of entries, then per entry the value (the first one zigzag,
// every further one as its distance to the one before, at least 1) and the count, all LEB128 varints.
std::string NcEncodeHistogram(const NcHistogram& hist);
// False for anything but a whole, well-formed histogram: truncated or overlong varints, values out of
// the int32 range or not ascending, zero counts, a total past 2^62, bytes left over.
bool NcDecodeHistogram(const void* pData, size_t uSize, NcHistogram* pHist);
// Total of the counts.
int64_t NcHistogramTotal(const NcHistogram& hist);
void NcMergeHistogram(NcHistogram* pInto, const NcHistogram& add);

// Adds another row of the same key into *pInto.
void NcMergeRollupRow(NcRollupRow* pInto, const NcRollupRow& add);
// False when the figures of a row read back cannot belong together (an unknown dimension, an hour off the
// hour, negative or inconsistent counts): the row is damaged.
bool NcRollupRowSane(const NcRollupRow& row);

// Sums reports into rollup rows. Rows come as ListFigures gives them (a report's targets together; a
// report without targets is one row with an empty target).
class CNcRollupBuilder {
public:
    void Add(const NcFigureRow& row);
    void AddReport(const NcReport& report);
    bool Empty() const { return m_mapRows.empty(); }
    // The rows summed so far, in key order (hour, dimension, key, key2, target), and starts over.
    std::vector<NcRollupRow> Take();

private:
    using Key = std::tuple<int64_t, int32_t, std::string, std::string, std::string>;
    NcRollupRow& Row(int64_t nHour, int32_t nDim, const std::string& strKey, const std::string& strKey2,
                     const std::string& strTarget);

    std::map<Key, NcRollupRow> m_mapRows;
    int64_t m_nLastId = 0;
    bool m_bAny = false;
};

// The hour a time falls in.
inline int64_t NcHourOf(int64_t nTime) { return nTime - ((nTime % 3600) + 3600) % 3600; }
