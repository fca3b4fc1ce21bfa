// nctool catalogue encrypt|decrypt [--key TEXT | --key-hex HEX]: the catalogue storage format from the
// standard input to the standard output (the built-in key by default).
// nctool catalogue show [--exe-dir DIR] [--data DIR] --server NAME --ip A.B.C.D: loads the catalogue as
// start-up does and prints the target file, then "ordered|group4|group5 <type> <content> | <tips>".
#include "NcTool_Command.h"
#include "NcTool_RunPlace.h"

#include "netcheck/NetChk_CommandMgr.h"
#include "netcheck/catalogue/NetChk_CatalogueKey.h"
#include "netcheck/catalogue/NetChk_StorageCipher.h"

#include <cstdio>
#include <stdexcept>

namespace {

const char kUsage[] =
    "catalogue encrypt|decrypt [--key TEXT | --key-hex HEX]\n"
    "catalogue show [--exe-dir DIR] [--data DIR] --server NAME --ip A.B.C.D";

bool ReadStdin(std::string& strOut) {
    char buf[8192];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), stdin)) > 0) strOut.append(buf, n);
    return !std::ferror(stdin);
}

bool HexToBytes(const std::string& strHex, std::string& strOut) {
    if (strHex.size() % 2 != 0) return false;
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    strOut.clear();
    for (size_t i = 0; i < strHex.size(); i += 2) {
        const int hi = digit(strHex[i]), lo = digit(strHex[i + 1]);
        if (hi < 0 || lo < 0) return false;
        strOut.push_back(static_cast<char>(hi * 16 + lo));
    }
    return true;
}

int RunCipher(bool bEncrypt, const std::vector<std::string>& args) {
    std::string strKey = NetChk_CatalogueKey::kBuiltInKey;
    if (args.size() == 3 && args[1] == "--key") {
        strKey = args[2];
    } else if (args.size() == 3 && args[1] == "--key-hex") {
        if (!HexToBytes(args[2], strKey)) {
            std::fprintf(stderr, "--key-hex wants an even number of hex digits\n");
            return 2;
        }
    } else if (args.size() != 1) {
        return nctool::Usage(kUsage);
    }
    std::string strIn;
    if (!ReadStdin(strIn)) return 1;
    std::string strOut;
    if (bEncrypt) {
        strOut = NetChk_StorageCipher::EncryptString(strIn, strKey);
    } else {
        try {
            strOut = NetChk_StorageCipher::DecryptString(strIn, strKey);
            // A size no stored document has: DecryptString has said so on standard error.
            if (strIn.size() % 16 != 4) return 1;
        } catch (const std::out_of_range& e) {
            std::fprintf(stderr, "the length trailer lies beyond the data (%s)\n", e.what());
            return 2;
        }
    }
    std::fwrite(strOut.data(), 1, strOut.size(), stdout);
    return 0;
}

void PrintCommand(const char* szList, const NetChkCommand& command) {
    nctool::WriteUtf8(stdout, std::string(szList) + " " + std::to_string(command.m_nType) + " " + command.m_strContent +
                                  " | " + command.m_strDesc + "\n");
}

int RunShow(const std::vector<std::string>& args) {
    nctool::RunPlace place;
    if (!nctool::ParseRunPlace(args, 1, place)) return nctool::Usage(kUsage);
    if (!nctool::EnterRunPlace(place)) return 1;

    CNetChk_CommandMgr manager;
    CNetChk_Catalogue& catalogue = manager.GetCatalogue();
    catalogue.SetExeDir(place.strExeDir);
    if (!manager.initCommandMgr()) {
        std::fprintf(stderr, "the check catalogue could not be loaded (see %s/log)\n", place.strDataDir.c_str());
        return 1;
    }
    nctool::WriteUtf8(stdout, catalogue.m_strTargetFile + "\n");
    for (const NetChkCommand& command : catalogue.m_vecCommands) PrintCommand("ordered", command);
    for (const auto& group : catalogue.m_mapGroupedCommands) {
        const std::string strList = "group" + std::to_string(group.first);
        for (const NetChkCommand& command : group.second) PrintCommand(strList.c_str(), command);
    }
    return 0;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) return nctool::Usage(kUsage);
    if (args[0] == "encrypt") return RunCipher(true, args);
    if (args[0] == "decrypt") return RunCipher(false, args);
    if (args[0] == "show") return RunShow(args);
    return nctool::Usage(kUsage);
}

const nctool::CommandRegistrar registrar("catalogue", &Run, kUsage);

}  // namespace
