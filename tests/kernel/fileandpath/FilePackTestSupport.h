// Shared set-up of the file and pack tests: a fresh current directory, recorded message boxes and log
// lines, a forgotten table of open archives and the pack-first switch restored afterwards.
#pragma once

#include "common/NcTest_Logger.h"
#include "common/NcTest_MessageBox.h"
#include "common/NcTest_TempDir.h"

#include "KX_Kernal/fileandpath/KXKernal_File.h"
#include "KX_Kernal/fileandpath/KXKernal_FilePack.h"
#include "KX_Kernal/fileandpath/KXKernal_PackWriter.h"
#include "KX_Platform/KXPlatform_FileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using PackFiles = std::vector<std::pair<std::string, std::string>>;  // (inner path, bytes)

class FilePackTest : public ::testing::Test {
protected:
    FilePackTest() {
        CKXKernal_File_Pack::ForgetOpenPacksForTests();
    }
    ~FilePackTest() override {
        CKXKernal_File_Pack::ForgetOpenPacksForTests();
        SetReadPackFirst(m_bPackFirst);
    }

    static void BuildPack(const std::string& strArchive, const PackFiles& files, bool bScramble = false) {
        CKXKernal_PackWriter writer;
        for (const auto& file : files) ASSERT_TRUE(writer.AddBytes(file.first, file.second));
        ASSERT_TRUE(writer.Write(strArchive.c_str(), bScramble));
    }

    // The whole file through OpenFile; "<none>" when it cannot be opened.
    static std::string ReadVia(const std::string& strPath, bool bPackAllowed = true) {
        std::unique_ptr<CKXKernal_File> pFile = OpenFile(strPath.c_str(), bPackAllowed);
        if (!pFile) return "<none>";
        std::string strBytes(static_cast<size_t>(pFile->GetSize()), '\0');
        if (!strBytes.empty()) strBytes.resize(pFile->Read(&strBytes[0], 1, static_cast<uint32_t>(strBytes.size())));
        return strBytes;
    }


    ScopedTempDir m_dir{true};
    ScopedLogCapture m_log;
    ScopedMessageBoxRecorder m_boxes;
    const bool m_bPackFirst = GetReadPackFirst();
};
