// Ctrl+C and termination requests are noted for the headless check instead of ending the process.
#include "KX_Platform/KXPlatform_Interrupt.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

TEST(InterruptRequests, SignalsSetTheFlagAndTheProcessLivesOn) {
    KXPlatform::CatchInterruptRequests();
    EXPECT_FALSE(KXPlatform::InterruptRequested());
    std::raise(SIGINT);
    EXPECT_TRUE(KXPlatform::InterruptRequested());
    // Catching again starts over; a termination request counts as well.
    KXPlatform::CatchInterruptRequests();
    EXPECT_FALSE(KXPlatform::InterruptRequested());
    std::raise(SIGTERM);
    EXPECT_TRUE(KXPlatform::InterruptRequested());
}

}  // namespace
