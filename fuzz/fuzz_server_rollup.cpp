// The analytics rollup's histograms as the database hands them back, on hostile bytes: a blob is either
// refused or read as ascending values with positive counts that encode back to the same histogram, and
// adding it to itself doubles every count.
#include "NcFuzz_Support.h"

#include "server/store/NcStore_Rollup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
    ncfuzz::Init();
    NcHistogram hist;
    if (!NcDecodeHistogram(pData, uSize, &hist)) {
        NCFUZZ_CHECK(hist.empty());
        return 0;
    }
    int64_t nTotal = 0;
    for (size_t i = 0; i < hist.size(); ++i) {
        NCFUZZ_CHECK(hist[i].second > 0);
        NCFUZZ_CHECK(i == 0 || hist[i - 1].first < hist[i].first);
        nTotal += hist[i].second;
        NCFUZZ_CHECK(nTotal > 0 && nTotal <= (int64_t(1) << 62));
    }
    const std::string strAgain = NcEncodeHistogram(hist);
    NcHistogram back;
    NCFUZZ_CHECK(NcDecodeHistogram(strAgain.data(), strAgain.size(), &back) && back == hist);
    NcHistogram twice = hist;
    NcMergeHistogram(&twice, hist);
    NCFUZZ_CHECK(twice.size() == hist.size());
    for (size_t i = 0; i < hist.size(); ++i) NCFUZZ_CHECK(twice[i].second == 2 * hist[i].second);
    return 0;
}
