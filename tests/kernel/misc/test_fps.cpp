// Frame pacing on a clock the test moves: the sleep after each frame, the FPS window, broken clocks.
#include "common/NcTest_FrameClock.h"
#include "common/NcTest_Logger.h"
#include "common/NcTest_MessageBox.h"
#include "common/NcTest_TempDir.h"

#include "KX_Kernal/misc/KXKernal_FPS.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class FrameLimiterTest : public ::testing::Test {
protected:
    void SetUp() override { CArkLogger::Instance().SetSink(0, &m_sink); }
    void TearDown() override { CArkLogger::Instance().SetSink(0, nullptr); }

    // Lines reach the sink once the log file has taken them, so the test runs where ./log exists.
    ScopedTempDir m_dir{true};
    bool m_bLogDir = (WriteTestFile(m_dir / "log/.keep", ""), true);
    ScopedLoggerReset m_reset{"NcTest"};
    RecordingLogSink m_sink;
    FakeFrameClock m_clock;
};

TEST_F(FrameLimiterTest, AShortFrameSleepsOutThe33MsALongOneNotAtAll) {
    FrameLimiter limiter(&m_clock);
    m_clock.AdvanceMs(10.9);
    limiter.EndFrame();
    ASSERT_EQ(m_clock.m_vecSleeps, std::vector<uint32_t>{23}) << "33 - trunc(10.9)";
    EXPECT_NEAR(limiter.GetTotalPassMS(), 33.9, 1e-6);

    m_clock.AdvanceMs(50);
    limiter.EndFrame();
    EXPECT_EQ(m_clock.m_vecSleeps.size(), 1u) << "a 50 ms frame is followed by no sleep";
    EXPECT_NEAR(limiter.GetTotalPassMS(), 83.9, 1e-6);

    // An oversleep is measured, not compensated in the next frame.
    m_clock.m_uOvershootMs = 5;
    m_clock.AdvanceMs(10);
    limiter.EndFrame();
    m_clock.AdvanceMs(10);
    limiter.EndFrame();
    EXPECT_EQ(m_clock.m_vecSleeps, (std::vector<uint32_t>{23, 23, 23}));
    EXPECT_NEAR(limiter.GetTotalPassMS(), 83.9 + 2 * 38, 1e-6);
    EXPECT_TRUE(m_sink.Lines().empty());
}

TEST_F(FrameLimiterTest, TheFpsFigureIsTheFrameCountOfEachFinishedSecond) {
    FrameLimiter limiter(&m_clock);
    EXPECT_EQ(limiter.GetFPS(), 0u);
    for (int i = 0; i < 30; ++i) limiter.EndFrame();  // 30 frames of 33 ms: 990 ms
    EXPECT_EQ(limiter.GetFPS(), 0u);
    EXPECT_EQ(limiter.GetFrameCount(), 30u);
    limiter.EndFrame();
    EXPECT_EQ(limiter.GetFPS(), 31u);
    EXPECT_EQ(limiter.GetFrameCount(), 0u);
    EXPECT_NEAR(limiter.GetWindowTime(), 23.0, 1e-6) << "the rest carries into the next second";

    // Slow frames: four of 300 ms close the next second.
    for (int i = 0; i < 4; ++i) {
        m_clock.AdvanceMs(300);
        limiter.EndFrame();
    }
    EXPECT_EQ(limiter.GetFPS(), 4u);
    EXPECT_NEAR(limiter.GetWindowTime(), 223.0, 1e-6);
}

TEST_F(FrameLimiterTest, ABackwardsClockAndAnAbsurdDelayAreLoggedAndSurvived) {
    FrameLimiter limiter(&m_clock);
    m_clock.AdvanceMs(20);
    limiter.EndFrame();
    const double dBefore = limiter.GetTotalPassMS();

    m_clock.BackMs(500);
    limiter.EndFrame();
    EXPECT_TRUE(m_sink.Has("qwTime.QuadPart(")) << "the timer reports the clock going back";
    EXPECT_TRUE(m_sink.Has("fElapsedTime = (-0.500000)"));
    EXPECT_EQ(m_clock.m_vecSleeps.back(), 33u) << "a frame measured as 0 sleeps the whole delay";
    EXPECT_NEAR(limiter.GetTotalPassMS(), dBefore + 33, 1e-6) << "the program's clock never runs back";

    // Once the mark has followed the clock, the next frame is normal again.
    m_sink.Clear();
    m_clock.AdvanceMs(10);
    limiter.EndFrame();
    EXPECT_EQ(m_clock.m_vecSleeps.back(), 23u);
    EXPECT_TRUE(m_sink.Lines().empty());

    // A delay above ten seconds is logged and its sleep skipped.
    limiter.SetDelayPerFrame(20000);
    const size_t nSleeps = m_clock.m_vecSleeps.size();
    m_clock.AdvanceMs(10);
    limiter.EndFrame();
    EXPECT_EQ(m_clock.m_vecSleeps.size(), nSleeps);
    EXPECT_TRUE(m_sink.Has("m_nDelayPerFrame = 20000"));
    EXPECT_TRUE(m_sink.Has("nPassMS = 10"));
}

TEST(FrameTimer, FrozenAndDisabledTimers) {
    FakeFrameClock clock;
    FrameTimer timer(&clock);
    clock.AdvanceMs(250);
    EXPECT_NEAR(timer.elapsed(false), 0.25, 1e-9);
    EXPECT_NEAR(timer.elapsed(true), 0.25, 1e-9);
    EXPECT_NEAR(timer.elapsed(true), 0.0, 1e-9);
    timer.Freeze(static_cast<int64_t>(clock.m_uNow) + 10000000);
    clock.AdvanceMs(5000);
    EXPECT_NEAR(timer.elapsed(true), 1.0, 1e-9) << "a frozen time stands in for the clock";
    timer.SetEnabled(false);
    EXPECT_EQ(timer.elapsed(true), -1.0);
}

TEST(FrameLimiterFps, SetFpsDividesAndRefusesZero) {
    FakeFrameClock clock;
    FrameLimiter limiter(&clock);
    EXPECT_EQ(limiter.GetDelayPerFrame(), 33);
    EXPECT_EQ(limiter.SetFPS(60), 16);
    ScopedMessageBoxRecorder boxes(KXPlatform::MsgBoxAnswer::Ignore);
    EXPECT_EQ(limiter.SetFPS(0), 16);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Texts()[0].find("KXKernal_Assert(nFPS > 0);"), 0u);
}

}  // namespace
