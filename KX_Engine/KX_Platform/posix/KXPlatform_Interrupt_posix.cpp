// Interrupt requests on POSIX: SIGINT and SIGTERM set a flag.
#include "KX_Platform/KXPlatform_Interrupt.h"

#include <csignal>

namespace KXPlatform {

namespace {

volatile std::sig_atomic_t g_bInterrupted = 0;

void OnSignal(int) { g_bInterrupted = 1; }

}  // namespace

void CatchInterruptRequests() {
    g_bInterrupted = 0;
    struct sigaction action = {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a sleeping frame loop wakes up at once.
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool InterruptRequested() { return g_bInterrupted != 0; }

}  // namespace KXPlatform
