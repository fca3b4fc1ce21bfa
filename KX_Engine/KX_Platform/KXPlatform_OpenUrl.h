// Opening a web page in the user's browser: the system's opener first, then a configured browser.
//
// The address usually comes from a table or a server's answer, so it is treated as hostile: only an
// absolute http or https address without blanks or control characters is handed on, and it goes to
// the program as one argument of an argument vector, never through a shell.
#pragma once

#include <functional>
#include <string>

namespace KXPlatform {

// True when szUrlGbk may be opened: "http://" or "https://" (any case) followed by at least one byte,
// at most kMaxUrlBytes bytes in all, no byte below 0x21 and no 0x7F.
constexpr size_t kMaxUrlBytes = 2048;
bool IsOpenableUrl(const char* szUrlGbk);

// Opens the address: the system's opener (POSIX: xdg-open, looked up in PATH); when that fails, the
// fallback browser with the address as its one argument; true when one of them started. False, without
// starting anything, for an address IsOpenableUrl refuses. The caller writes the failure log line with
// GetLastOpenUrlError. Blocks for at most about a second while the opener decides.
bool OpenUrl(const char* szUrlGbk);

// The browser tried when the system's opener fails: a path, or a name looked up in PATH (GBK). Empty:
// no fallback.
void SetFallbackBrowser(const std::string& strPathGbk);
std::string GetFallbackBrowser();

// Why the last OpenUrl failed, 0 after a success: -1 for a refused address, else the last attempt's
// error: an errno value when the program could not be started, 256 + its exit status when it ended
// with a failure at once.
int GetLastOpenUrlError();

// For tests: called instead of starting a program. strProgramGbk is "" for the system's opener, else
// the fallback browser; the result is 0 for "started", else an error code as above. An empty function
// restores the real launching; the previous hook is returned.
using UrlLaunchHook = std::function<int(const std::string& strProgramGbk, const std::string& strUrlGbk)>;
UrlLaunchHook SetUrlLaunchHook(UrlLaunchHook hook);

}  // namespace KXPlatform
