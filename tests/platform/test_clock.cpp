// The local broken-down time: whatever the machine's time zone, its fields name one instant.
#include "KX_Platform/KXPlatform_Clock.h"

#include <gtest/gtest.h>

namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

TEST(Clock, LocalTimeFieldsDescribeTheInstantTheyWereMadeOf) {
    // A leap day, the last second of a year, and now.
    for (const int64_t nEpoch : {int64_t{951825600}, int64_t{1798761599}, KXPlatform::GetEpochSeconds()}) {
        KXPlatform::LocalTime lt;
        ASSERT_TRUE(KXPlatform::ToLocalTime(nEpoch, lt)) << nEpoch;
        ASSERT_GE(lt.nMonth, 1);
        ASSERT_LE(lt.nMonth, 12);
        const int64_t nDays = DaysFromCivil(lt.nYear, lt.nMonth, lt.nDay);
        // Local time is the instant moved by the zone's offset: whole quarter hours, at most 14 hours.
        const int64_t nOffset = nDays * 86400 + lt.nHour * 3600 + lt.nMinute * 60 + lt.nSecond - nEpoch;
        EXPECT_LE(nOffset < 0 ? -nOffset : nOffset, 14 * 3600) << nEpoch;
        EXPECT_EQ(nOffset % 900, 0) << nEpoch;
        EXPECT_EQ(lt.nYearDay, nDays - DaysFromCivil(lt.nYear, 1, 1)) << nEpoch;
        EXPECT_EQ(lt.nWeekDay, (nDays % 7 + 11) % 7) << nEpoch;  // 1970-01-01 was a Thursday
    }
}

}  // namespace
