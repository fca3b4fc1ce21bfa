// Kernel assertions and the kernel message box: the text and buttons shown, and what each answer does.
#include "common/NcTest_MessageBox.h"

#include "KX_Kernal/KXKernal_Assert.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

namespace {

using KXPlatform::MsgBoxAnswer;

TEST(KernelAssert, FailureShowsTheSourceAndIgnoreGoesOn) {
    ScopedMessageBoxRecorder boxes(MsgBoxAnswer::Ignore);
    int nShown = 0;
    KXPlatform::SetShowActiveWindowCallback([&nShown] { ++nShown; });

    int nEvaluated = 0;
    KXKernal_Assert(++nEvaluated == 1);
    EXPECT_EQ(boxes.Count(), 0u);
    const int nLine = __LINE__ + 1;
    KXKernal_Assert(++nEvaluated == 5);
    const bool bReachedNextStatement = true;
    KXPlatform::SetShowActiveWindowCallback(nullptr);

    EXPECT_TRUE(bReachedNextStatement);
    EXPECT_EQ(nEvaluated, 2) << "the expression is evaluated once";
    ASSERT_EQ(boxes.Count(), 1u);
    const KXPlatform::MsgBoxRequest box = boxes.Shown()[0];
    EXPECT_EQ(box.strText, std::string("KXKernal_Assert(++nEvaluated == 5);\nFile: ") + __FILE__ + "\nLine: " +
                               std::to_string(nLine));
    EXPECT_EQ(box.strCaption, "KXKernal MessageBox");
    EXPECT_EQ(box.eButtons, KXPlatform::MsgBoxButtons::AbortRetryIgnore);
    EXPECT_TRUE(box.bOwnedByActiveWindow);
    EXPECT_EQ(nShown, 1) << "Ignore shows the active window again";
}

// An automated run (NETCHECK_MSGBOX=stderr) gets the box as one line and goes on as after Ignore.
TEST(KernelAssert, ScriptedRunWritesTheBoxAndGoesOn) {
    setenv("NETCHECK_MSGBOX", "stderr", 1);
    int nShown = 0;
    KXPlatform::SetShowActiveWindowCallback([&nShown] { ++nShown; });
    testing::internal::CaptureStderr();
    KXKernal_MessageBox("disk\nfull");
    const std::string err = testing::internal::GetCapturedStderr();
    KXPlatform::SetShowActiveWindowCallback(nullptr);
    unsetenv("NETCHECK_MSGBOX");
    EXPECT_EQ(err, "msgbox: KXKernal MessageBox | disk\\nfull\n");
    EXPECT_EQ(nShown, 1);
}

TEST(KernelAssertDeathTest, AbortEndsTheProcessAndRetryTraps) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ScopedMessageBoxRecorder abort(MsgBoxAnswer::Abort);
    EXPECT_EXIT(KXKernal_MessageBox("x"), testing::KilledBySignal(SIGABRT), "");
    // With the abort signal ignored the process still ends, with exit code 3.
    EXPECT_EXIT((std::signal(SIGABRT, SIG_IGN), KXKernal_MessageBox("x")), testing::ExitedWithCode(3), "");

    ScopedMessageBoxRecorder retry(MsgBoxAnswer::Retry);
    EXPECT_EXIT(KXKernal_MessageBox("x"), testing::KilledBySignal(SIGTRAP), "");
}

}  // namespace
