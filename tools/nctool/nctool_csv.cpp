// nctool csv dump FILE: prints each row of a CSV table as a JSON array of its cells (UTF-8).
#include "NcTool_Command.h"

#include "KX_Kernal/fileandpath/KXKernal_TableFile.h"
#include "KX_Platform/KXPlatform_Encoding.h"

#include <cstdio>

namespace {

std::string JsonString(const std::string& strUtf8) {
    std::string out = "\"";
    for (const unsigned char c : strUtf8) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

int Run(const std::vector<std::string>& args) {
    if (args.size() != 2 || args[0] != "dump") return nctool::Usage("csv dump FILE");
    CTabFile table;
    if (!table.Load(args[1].c_str(), ',', true)) return 1;
    for (uint32_t uRow = 0; uRow < table.GetRowCount(); ++uRow) {
        std::string line = "[";
        for (uint32_t uColumn = 0; uColumn < table.GetColumnCount(uRow); ++uColumn) {
            if (uColumn) line += ",";
            line += JsonString(KXPlatform::GbkToUtf8(table.GetString(uRow, uColumn)));
        }
        line += "]\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return 0;
}

const nctool::CommandRegistrar registrar("csv", &Run, "csv dump FILE");

}  // namespace
