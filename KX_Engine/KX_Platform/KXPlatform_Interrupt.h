// The user's request to stop a console program (Ctrl+C, or the system asking the process to end), noted
// instead of ending the process at once, so that a tool can end its children and clean up first.
#pragma once

namespace KXPlatform {

// From now on an interrupt or termination request only sets the flag below.
void CatchInterruptRequests();

// True once such a request has arrived since CatchInterruptRequests.
bool InterruptRequested();

}  // namespace KXPlatform
