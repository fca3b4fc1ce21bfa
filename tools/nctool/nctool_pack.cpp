// nctool pack build|list|cat: builds a .wdf archive from a directory, lists its index, extracts a file.
#include "NcTool_Command.h"

#include "KX_Kernal/fileandpath/KXKernal_FilePack.h"
#include "KX_Kernal/fileandpath/KXKernal_PackWriter.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_FileSystem.h"

#include <cstdio>

namespace {

const char* const kUsage =
    "pack build OUT.wdf DIR [--scramble]\n"
    "pack list ARCHIVE.wdf\n"
    "pack cat ARCHIVE.wdf INNER";

// Standard output carries file bytes or listings here, so log lines must not reach it.
void KeepLogOffStdout() {
    for (int nModule = 0; nModule < M_MODULE_COUNT; ++nModule) {
        CArkLogger::Instance().SetModuleConsoleLevel(nModule, WL_LEVEL_COUNT);
    }
}

int Build(const std::vector<std::string>& args) {
    if (args.size() < 3 || args.size() > 4 || (args.size() == 4 && args[3] != "--scramble")) {
        return nctool::Usage(kUsage);
    }
    const std::string& strDir = args[2];
    CKXKernal_PackWriter writer;
    bool bAdded = true;
    const bool bListed = KXPlatform::ListFilesRecursive(strDir.c_str(), [&](const std::string& strRelative) {
        bAdded = writer.AddFile(strRelative, strDir + "/" + strRelative) && bAdded;
    });
    if (!bListed) {
        std::fprintf(stderr, "nctool pack build: cannot read %s\n", strDir.c_str());
        return 1;
    }
    if (!bAdded || !writer.Write(args[1].c_str(), args.size() == 4)) {
        std::fprintf(stderr, "nctool pack build: cannot build %s\n", args[1].c_str());
        return 1;
    }
    return 0;
}

int List(const std::vector<std::string>& args) {
    if (args.size() != 2) return nctool::Usage(kUsage);
    CKXKernal_File_Pack* pPack = CKXKernal_File_Pack::Open(args[1].c_str());
    if (!pPack) return 1;
    for (const auto& item : pPack->GetEntries()) {
        std::printf("%08x %u %u\n", item.second.uHash, item.second.uSize, item.second.uOffset);
    }
    return 0;
}

int Cat(const std::vector<std::string>& args) {
    if (args.size() != 3) return nctool::Usage(kUsage);
    CKXKernal_File_Pack* pPack = CKXKernal_File_Pack::Open(args[1].c_str());
    if (!pPack) return 1;
    std::unique_ptr<CKXKernal_Multithread_File> pFile = pPack->Find(args[2].c_str());
    if (!pFile) return 1;
    std::string strBytes(static_cast<size_t>(pFile->GetSize()), '\0');
    const uint32_t uRead = strBytes.empty() ? 0 : pFile->Read(&strBytes[0], 1, static_cast<uint32_t>(strBytes.size()));
    std::fwrite(strBytes.data(), 1, uRead, stdout);
    return uRead == strBytes.size() ? 0 : 1;
}

int Run(const std::vector<std::string>& args) {
    KeepLogOffStdout();
    if (args.empty()) return nctool::Usage(kUsage);
    if (args[0] == "build") return Build(args);
    if (args[0] == "list") return List(args);
    if (args[0] == "cat") return Cat(args);
    return nctool::Usage(kUsage);
}

nctool::CommandRegistrar reg("pack", &Run, kUsage);

}  // namespace
