// The start-up configuration: the launcher's arguments or netcheck.ini, into g_DetailInfo.
#pragma once

#include <string>
#include <vector>

namespace NetChkApp {

// Fills g_DetailInfo from the arguments (vecArgs[0] is the program; the launcher passes four more:
// account, server name, server IPv4 address, region) and from "netcheck.ini" in the current directory,
// and sets the file layer's pack-first switch. On failure it has logged and shown its own message
// and returns false: the program then ends.
bool LoadConfig(const std::vector<std::string>& vecArgs);

}  // namespace NetChkApp
