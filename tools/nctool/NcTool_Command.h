// The subcommand registry of nctool: each nctool_<name>.cpp registers "nctool <name> ...".
#pragma once

#include <string>
#include <vector>

namespace nctool {

// args holds the words after the subcommand's name; the result is the process exit code.
using CommandFn = int (*)(const std::vector<std::string>& args);

// szUsage holds one line per form of the command, each starting with the command's name.
struct CommandRegistrar {
    CommandRegistrar(const char* szName, CommandFn fn, const char* szUsage);
};

// Writes GBK text to a stream as UTF-8.
void WriteUtf8(FILE* stream, const std::string& strGbk);

// Prints "usage: nctool <line>" for each line of szUsage to standard error and returns 2.
int Usage(const char* szUsage);

}  // namespace nctool
