// nctool's entry point: kernel message boxes are answered Ignore and written to standard error, then the
// named subcommand runs.
#include "NcTool_Command.h"

#include "KX_Platform/KXPlatform_Console.h"
#include "KX_Platform/KXPlatform_Encoding.h"
#include "KX_Platform/KXPlatform_MessageBox.h"

#include <cstdio>
#include <cstring>
#include <map>

namespace nctool {

namespace {
struct Entry {
    CommandFn fn;
    const char* szUsage;
};
std::map<std::string, Entry>& Registry() {
    static std::map<std::string, Entry> registry;
    return registry;
}
}  // namespace

CommandRegistrar::CommandRegistrar(const char* szName, CommandFn fn, const char* szUsage) {
    Registry()[szName] = Entry{fn, szUsage};
}

void WriteUtf8(FILE* stream, const std::string& strGbk) {
    const std::string utf8 = KXPlatform::GbkToUtf8(strGbk);
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

namespace {
// Writes each line of szUsage as "<szFirst>nctool <line>", later lines indented like the first.
void PrintUsageLines(const char* szFirst, const char* szUsage) {
    const std::string strIndent(std::strlen(szFirst), ' ');
    const char* szPrefix = szFirst;
    for (const char* p = szUsage; *p;) {
        const char* szEnd = std::strchr(p, '\n');
        const int nLen = static_cast<int>(szEnd ? szEnd - p : std::strlen(p));
        std::fprintf(stderr, "%snctool %.*s\n", szPrefix, nLen, p);
        szPrefix = strIndent.c_str();
        p += nLen + (szEnd ? 1 : 0);
    }
}
}  // namespace

int Usage(const char* szUsage) {
    PrintUsageLines("usage: ", szUsage);
    return 2;
}

}  // namespace nctool

int main(int argc, char** argv) {
    // Catalogues, packs and reports pass through the standard streams byte for byte.
    KXPlatform::SetBinaryStandardStreams();
    KXPlatform::SetMessageBoxHook([](const KXPlatform::MsgBoxRequest& request) {
        nctool::WriteUtf8(stderr, request.strCaption + ": " + request.strText + "\n");
        return request.eButtons == KXPlatform::MsgBoxButtons::YesNo ? KXPlatform::MsgBoxAnswer::No
                                                                    : KXPlatform::MsgBoxAnswer::Ignore;
    });

    auto& registry = nctool::Registry();
    if (argc < 2 || registry.find(argv[1]) == registry.end()) {
        std::fprintf(stderr, "usage: nctool <command> ...\ncommands:\n");
        for (const auto& item : registry) nctool::PrintUsageLines("  ", item.second.szUsage);
        return 2;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    return registry[argv[1]].fn(args);
}
