// nctool catalogue encrypt|decrypt [--key TEXT | --key-hex HEX]: the catalogue storage format from the
// standard input to the standard output (the built-in key by default).
// nctool catalogue show [--exe-dir DIR] [--data DIR] --server NAME --ip A.B.C.D: loads the catalogue as
// start-up does and prints the target file, then "ordered|group4|group5 <type> <content> | <tips>".
#include "NcTool_Command.h"

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Encoding.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "netcheck/NetChk_CommandMgr.h"
#include "netcheck/NetChk_DetailInfo.h"
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
        // The same refusal as DecryptString's, in the terminal's UTF-8.
        if (strIn.size() % 16 != 4) {
            nctool::WriteUtf8(stderr, "源文件错误\n");
            return 1;
        }
        try {
            strOut = NetChk_StorageCipher::DecryptString(strIn, strKey);
        } catch (const std::out_of_range& e) {
            std::fprintf(stderr, "the length trailer lies beyond the data (%s)\n", e.what());
            return 2;
        }
    }
    std::fwrite(strOut.data(), 1, strOut.size(), stdout);
    return 0;
}

std::string Absolute(const std::string& strPath) {
    if (!strPath.empty() && strPath[0] == '/') return strPath;
    return KXPlatform::GetCurrentDir() + "/" + strPath;
}

void PrintCommand(const char* szList, const NetChkCommand& command) {
    nctool::WriteUtf8(stdout, std::string(szList) + " " + std::to_string(command.m_nType) + " " + command.m_strContent +
                                  " | " + command.m_strDesc + "\n");
}

int RunShow(const std::vector<std::string>& args) {
    std::string strServer, strIp, strExeDir, strDataDir;
    if (args.size() % 2 != 1) return nctool::Usage(kUsage);
    for (size_t i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--server") strServer = args[i + 1];
        else if (args[i] == "--ip") strIp = args[i + 1];
        else if (args[i] == "--exe-dir") strExeDir = args[i + 1];
        else if (args[i] == "--data") strDataDir = args[i + 1];
        else return nctool::Usage(kUsage);
    }
    if (strServer.empty() || strIp.empty()) return nctool::Usage(kUsage);

    // The staged tree lies beside the tools folder of the build: build/tools/nctool -> build/stage.
    strExeDir = strExeDir.empty() ? KXPlatform::GetExecutableDir() + "/../stage" : Absolute(strExeDir);
    strDataDir = strDataDir.empty() ? strExeDir + "/data" : Absolute(strDataDir);
    if (!KXPlatform::SetCurrentDir(strDataDir.c_str())) {
        std::fprintf(stderr, "cannot enter the data directory %s\n", strDataDir.c_str());
        return 1;
    }
    // Log lines go to data/log as the program's do; the standard output carries the listing only.
    CArkLogger::Instance().Init("NetCheck");
    CArkLogger::Instance().SetConsoleLevel(WL_LEVEL_COUNT);
    for (int nModule = 0; nModule < M_MODULE_COUNT; ++nModule)
        CArkLogger::Instance().SetModuleConsoleLevel(nModule, WL_LEVEL_COUNT);

    g_DetailInfo.strServerName = KXPlatform::Utf8ToGbk(strServer);
    g_DetailInfo.strServerIP = strIp;

    CNetChk_CommandMgr manager;
    CNetChk_Catalogue& catalogue = manager.GetCatalogue();
    catalogue.SetExeDir(strExeDir);
    if (!manager.initCommandMgr()) {
        std::fprintf(stderr, "the check catalogue could not be loaded (see %s/log)\n", strDataDir.c_str());
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
