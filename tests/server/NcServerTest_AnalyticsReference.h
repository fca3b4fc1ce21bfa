// The analytics figures counted the plain way (sort every value, read the nearest rank), independent of
// the rollup's histograms: what the tests hold the site's figures against.
#pragma once

#include "server/site/NcSite_Analytics.h"

#include <cstdint>
#include <vector>

// Nearest-rank percentile (the smallest value with at least nPct percent of the values at or below it)
// of unsorted values; -1 for none.
int32_t NcPercentile(std::vector<int32_t> vecValues, int nPct);
int32_t NcSortedPercentile(const std::vector<int32_t>& vecSorted, int nPct);   // values already ascending

// Rows as ListFigures gives them (oldest first, a report's targets together), hours as the site counts them.
NcAnalytics NcTestCountAnalytics(const std::vector<NcFigureRow>& vecRows, int64_t nFrom, int64_t nTo);
