// ncserver's command line: what to do and the settings that result.
#pragma once

#include "server/NcServer_Config.h"

#include <string>
#include <vector>

struct NcServerCommand {
    enum class Action { Serve, Migrate, ImportAccounts, AddStaff, RebuildRollup, Help };
    Action action = Action::Serve;
    std::string strAccountsFile;   // for ImportAccounts
    std::string strStaffName;      // for AddStaff
    NcServerConfig config;
};

// Reads the words after the program name: the defaults, then --config's file, then the other flags.
// False with *pError on an unknown word, a missing value or a bad value.
bool NcParseServerCommand(const std::vector<std::string>& vecArgs, NcServerCommand* pCommand, std::string* pError);

// The account names of an import file: the first comma-separated field of every line, blanks around it
// and a pair of double quotes dropped; empty lines, lines starting with "#" and a first line "account"
// or "UserName" (a header) skipped. False with *pError when a name is not UTF-8 text.
bool NcParseAccountList(const std::string& strText, std::vector<std::string>* pNames, std::string* pError);

extern const char kNcServerUsage[];
