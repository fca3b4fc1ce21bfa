// The analytics rollup both stores keep beside the reports (per hour and per day): how reports sum into
// its rows, how rows add up, the steps that count the hours that are over, and the byte form of a
// histogram in the database. A histogram read back is outside data like any other: NcDecodeHistogram
// checks every byte of it.
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

// A roll-up step reads at most this span of reports (a day), so memory stays bounded.
constexpr int64_t kNcRollupStepSec = 86400;
// How long after an hour is over it is counted: a report stamped in its last second has committed by
// then, even from a process whose clock runs a little behind.
constexpr int64_t kNcRollupLagSec = 600;

// What a store gives the roll-up inside its transaction.
class INcRollupTx {
public:
    virtual ~INcRollupTx() = default;
    // The earliest received_at at or after nFrom; *pAny false when there is none.
    virtual bool NextReportTime(int64_t nFrom, int64_t* pTime, bool* pAny) = 0;
    virtual bool ReadFigures(int64_t nFrom, int64_t nTo, std::vector<NcFigureRow>* pRows) = 0;
    virtual bool ReadRows(int32_t nDim, int64_t nFrom, int64_t nTo, std::vector<NcRollupRow>* pRows) = 0;
    virtual bool WriteRows(const std::vector<NcRollupRow>& vecRows) = 0;   // rows that are not there yet
};

// One step: counts the hours from *pDone (INT64_MIN: nothing yet) up to nUntil, at most nMaxSpan of
// them past the first report, writes their rows and the rows of every day that is now over, and moves
// *pDone on. The caller stores the mark with the rows.
bool NcRollupCount(INcRollupTx& tx, int64_t nUntil, int64_t nMaxSpan, int64_t* pDone);

// Calls store.RollUp until the mark reaches the last whole hour that ended kNcRollupLagSec before nNow.
// False (logged by the store) when a step fails; *pDoneUntil is the mark reached.
bool NcRollUpTo(INcStore& store, int64_t nNow, int64_t* pDoneUntil);

// Sums reports into hourly rollup rows. Rows come as ListFigures gives them (a report's targets
// together; a report without targets is one row with an empty target).
class CNcRollupBuilder {
public:
    void Add(const NcFigureRow& row);
    bool Empty() const { return m_mapRows.empty(); }
    // The rows summed so far, in key order (start, dimension, key, key2, target), and starts over.
    std::vector<NcRollupRow> Take();

private:
    using Key = std::tuple<int64_t, int32_t, std::string, std::string, std::string>;
    NcRollupRow& Row(int64_t nStart, int32_t nDim, const std::string& strKey, const std::string& strKey2,
                     const std::string& strTarget);

    std::map<Key, NcRollupRow> m_mapRows;
    int64_t m_nLastId = 0;
    bool m_bAny = false;
};

// The hour and the UTC day a time falls in.
inline int64_t NcHourOf(int64_t nTime) { return nTime - ((nTime % 3600) + 3600) % 3600; }
inline int64_t NcDayOf(int64_t nTime) { return nTime - ((nTime % 86400) + 86400) % 86400; }
