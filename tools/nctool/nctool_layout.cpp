// nctool layout compile|dump: builds a layout package from its XML sources, and prints what the
// program's reader makes of a package, one JSON object per template.
#include "NcTool_Command.h"
#include "NcTool_LayoutSource.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "KX_GUI/ArkLayoutPackage.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Encoding.h"
#include "KX_Platform/KXPlatform_FileSystem.h"

namespace {

const char* const kUsage =
    "layout compile SRC_DIR OUT_DIR\n"
    "layout dump ROOT.auf";

using ArkGui::CArkLayoutTemplate;

void KeepLogOffStdout() {
    for (int nModule = 0; nModule < M_MODULE_COUNT; ++nModule) {
        CArkLogger::Instance().SetModuleConsoleLevel(nModule, WL_LEVEL_COUNT);
    }
}

bool WriteBytes(const std::string& strPath, const std::string& strBytes) {
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out.write(strBytes.data(), static_cast<std::streamsize>(strBytes.size()));
    out.close();
    return static_cast<bool>(out);
}

// Every file is written beside its final name first and renamed only when all were written, so an
// error never leaves a package that mixes old and new components.
int Compile(const std::vector<std::string>& args) {
    if (args.size() != 3) return nctool::Usage(kUsage);
    nctool::LayoutSources sources;
    std::string strError;
    if (!nctool::ReadLayoutSources(args[1], sources, strError)) {
        std::fprintf(stderr, "nctool layout compile: %s\n", strError.c_str());
        return 1;
    }
    std::vector<std::pair<std::string, std::string>> vecFiles;  // final path, bytes
    std::vector<std::string> vecNames;
    const std::string strOut = args[2];
    for (const auto& pComponent : sources.vecComponents) {
        vecNames.push_back(pComponent->GetName());
        vecFiles.emplace_back(strOut + "/netchkroot." + pComponent->GetName() + ".auc",
                              ArkGui::WriteLayoutComponent(*pComponent));
    }
    vecFiles.emplace_back(strOut + "/netchkroot.auf", ArkGui::WriteLayoutRoot(vecNames));
    std::error_code ec;
    std::filesystem::create_directories(strOut, ec);
    bool bOk = true;
    for (const auto& file : vecFiles) bOk = bOk && WriteBytes(file.first + ".tmp", file.second);
    for (const auto& file : vecFiles) {
        bOk = bOk && KXPlatform::ReplaceFile((file.first + ".tmp").c_str(), file.first.c_str());
    }
    if (!bOk) {
        for (const auto& file : vecFiles) KXPlatform::DeleteFile((file.first + ".tmp").c_str());
        std::fprintf(stderr, "nctool layout compile: cannot write into %s\n", strOut.c_str());
        return 1;
    }
    return 0;
}

std::string Json(const char* szGbk) {
    std::string strUtf8 = KXPlatform::GbkToUtf8(szGbk), out = "\"";
    for (char c : strUtf8) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char sz[8];
            std::snprintf(sz, sizeof(sz), "\\u%04x", u);
            out += sz;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonFloat(float f) {
    if (!std::isfinite(f)) return "null";
    char sz[32];
    std::snprintf(sz, sizeof(sz), "%.9g", static_cast<double>(f));
    return sz;
}

void DumpTemplate(const std::string& strPath, const CArkLayoutTemplate& t) {
    const ArkGui::ArkLayoutBody& b = t.Body();
    std::string s = "{\"path\":" + Json(strPath.c_str()) + ",\"class\":" + Json(t.GetClass()) +
                    ",\"caption\":" + Json(t.GetString(ArkGui::ARK_LS_CAPTION)) + ",\"style\":" + std::to_string(b.uStyle) +
                    ",\"x\":" + std::to_string(b.nX) + ",\"y\":" + std::to_string(b.nY) + ",\"w\":" + std::to_string(b.nWidth) +
                    ",\"h\":" + std::to_string(b.nHeight) + ",\"user\":" + std::to_string(b.nUserData) +
                    ",\"font\":" + Json(t.GetString(ArkGui::ARK_LS_FONT)) + ",\"size\":" + std::to_string(b.nFontSize) +
                    ",\"f1\":" + JsonFloat(b.fValue1) + ",\"f2\":" + JsonFloat(b.fValue2) + ",\"num\":" + std::to_string(b.nNumber) +
                    ",\"tip\":" + Json(t.GetString(ArkGui::ARK_LS_TIP)) + ",\"s15\":" + Json(t.GetString(ArkGui::ARK_LS_S15)) +
                    ",\"s16\":" + Json(t.GetString(ArkGui::ARK_LS_S16)) + ",\"images\":[" +
                    Json(t.GetString(ArkGui::ARK_LS_IMAGE0)) + "," + Json(t.GetString(ArkGui::ARK_LS_IMAGE1)) + "," +
                    Json(t.GetString(ArkGui::ARK_LS_IMAGE2)) + "],\"decorate\":" +
                    (t.HasDecorate() ? "[" + Json(t.GetString(ArkGui::ARK_LS_DECORATE_TYPE)) + "," +
                                           Json(t.GetString(ArkGui::ARK_LS_DECORATE_PIECES)) + "]"
                                     : std::string("null")) +
                    ",\"entries\":" + std::to_string(t.Entries().size()) + "}\n";
    std::fwrite(s.data(), 1, s.size(), stdout);
    for (const auto& pChild : t.Children()) DumpTemplate(strPath + "/" + pChild->GetName(), *pChild);
}

int Dump(const std::vector<std::string>& args) {
    if (args.size() != 2) return nctool::Usage(kUsage);
    KeepLogOffStdout();
    ArkGui::CArkLayoutPackage package;
    if (!package.Load(args[1].c_str())) {
        std::fprintf(stderr, "nctool layout dump: cannot load %s\n", args[1].c_str());
        return 1;
    }
    for (const std::string& strName : package.GetNames()) {
        const CArkLayoutTemplate* pTemplate = package.FindTemplate(strName.c_str());
        if (pTemplate) {
            DumpTemplate(strName, *pTemplate);
        } else {
            std::string s = "{\"path\":" + Json(strName.c_str()) + ",\"empty\":true}\n";
            std::fwrite(s.data(), 1, s.size(), stdout);
        }
    }
    return 0;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) return nctool::Usage(kUsage);
    if (args[0] == "compile") return Compile(args);
    if (args[0] == "dump") return Dump(args);
    return nctool::Usage(kUsage);
}

nctool::CommandRegistrar registrar("layout", Run, kUsage);

}  // namespace
