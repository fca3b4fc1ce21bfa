// What "nctool catalogue show" and "nctool check" share: the server of a run and its two directories,
// read from the command line and entered the way the program does at start-up.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace nctool {

struct RunPlace {
    std::string strServer;
    std::string strIp;
    std::string strExeDir;   // patch/update_url.xml, net_check.xml, checklist/
    std::string strDataDir;  // the working directory of the run: config/, log/
};

// Reads "--server NAME --ip A.B.C.D [--exe-dir DIR] [--data DIR]" from args[uFirst] on. False when a
// word is unknown or without value, the name is missing or the address is not a dotted IPv4 address.
bool ParseRunPlace(const std::vector<std::string>& args, size_t uFirst, RunPlace& place);

// Makes the directories absolute (the staged tree beside the build's tools folder by default), enters
// the data directory, starts the log under data/log with the console silent, and names the server in
// g_DetailInfo. False, with a line on standard error, when the data directory cannot be entered.
bool EnterRunPlace(RunPlace& place);

}  // namespace nctool
