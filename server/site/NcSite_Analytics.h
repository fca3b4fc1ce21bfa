// Figures for the support team over a time window: per server, question group and carrier the number of
// reports, the share with a bad verdict, latency and loss percentiles per target and the mean jitter;
// hour by hour over the window; and the server × carrier pairs that fare worst.
#pragma once

#include "server/store/NcStore.h"

#include <cstdint>
#include <string>
#include <vector>

struct NcTargetStats {
    std::string strTarget;
    int64_t nSamples = 0;      // target rows seen
    int32_t nLatP50 = -1;      // ms, over the rows with an average; -1 when none had one
    int32_t nLatP95 = -1;
    int32_t nLossP50 = 0;      // percent, over every row
    int32_t nLossP95 = 0;
    double dJitterMean = -1;   // over the rows with a jitter figure; -1 when none
};

struct NcGroupStats {
    std::string strKey;
    int64_t nReports = 0;
    int64_t nBad = 0;                        // verdict 2
    double dBadShare = 0;                    // nBad / nReports
    std::vector<NcTargetStats> vecTargets;   // by target name
};

struct NcHourStats {
    int64_t nStart = 0;   // unix seconds, a multiple of 3600
    int64_t nReports = 0;
    int64_t nBad = 0;
    int32_t nLatP50 = -1;   // over every target row of the hour
    int32_t nLatP95 = -1;
};

struct NcPairStats {
    std::string strServer, strCarrier;
    int64_t nReports = 0, nBad = 0;
    double dBadShare = 0;
    int32_t nLatP95 = -1;
};

struct NcAnalytics {
    int64_t nReports = 0, nBad = 0;
    std::vector<NcGroupStats> vecByServer, vecByGroup, vecByCarrier;   // most reports first
    std::vector<NcHourStats> vecHours;                                  // every hour of the window
    std::vector<NcPairStats> vecWorst;                                  // worst first, at most 10
};

// Hours are counted from nFrom rounded down to the hour up to nTo; a window over kNcMaxHours hours shows
// only its last kNcMaxHours in the hourly figures.
constexpr int64_t kNcMaxHours = 31 * 24;

// The figures of report rows as ListFigures gives them (oldest first, a report's targets together):
// summed into rollup rows, then read as NcAnalyticsFromRollup reads the stored ones.
NcAnalytics NcAnalyticsFromFigures(const std::vector<NcFigureRow>& vecRows, int64_t nFrom, int64_t nTo);

// The same figures from rollup rows (NcStore_Rollup.h) covering [nFrom, nTo) exactly: the partial hours
// at the window's edges must come as rows summed from just those reports.
NcAnalytics NcAnalyticsFromRollup(const std::vector<NcRollupRow>& vecRows, int64_t nFrom, int64_t nTo);

// The page's figures for [nFrom, nTo) at nNow: the store's rollup is first brought up to the hours that
// are over; whole days and whole hours come from it, the partial hours at either edge and the hours it
// has not counted yet from the reports. When the rollup cannot be read (a damaged row) everything is
// counted from the reports, at most nMaxRows target rows (*pTruncated then says whether that cut the
// window). False when the database fails.
bool NcLoadAnalytics(INcStore& store, int64_t nFrom, int64_t nTo, int64_t nNow, size_t nMaxRows, NcAnalytics* pOut,
                     bool* pTruncated);

// Shared with the tests' plain count: the empty hours of a window; groups ordered most reports first; the
// pairs ranked worst first and cut to ten.
std::vector<NcHourStats> NcAnalyticsHours(int64_t nFrom, int64_t nTo);
void NcSortGroups(std::vector<NcGroupStats>* pGroups);
void NcRankWorst(std::vector<NcPairStats>* pPairs);

// Two server-drawn plots of the hours: reports per hour with the bad ones in red, and latency p50/p95.
std::string NcReportsPlotSvg(const std::vector<NcHourStats>& vecHours);
std::string NcLatencyPlotSvg(const std::vector<NcHourStats>& vecHours);
