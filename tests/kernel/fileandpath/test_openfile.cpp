// OpenFile: the pack-first switch, the two ways a path is split into archive and inner path, and the
// helpers built on it (whole-file reads, callbacks, existence, rename, delete).
#include "FilePackTestSupport.h"

#include "KX_Kernal/fileandpath/KXKernal_FileRecorder.h"

namespace {

class OpenFileTest : public FilePackTest {};

TEST_F(OpenFileTest, PackFirstSwitchDecidesWhichCopyIsRead) {
    BuildPack("config.wdf", {{"sys/IP.csv", "from pack"}, {"sys/PackOnly.csv", "pack only"}});
    WriteTestFile("config/sys/IP.csv", "from disk");
    WriteTestFile("config/sys/DiskOnly.csv", "disk only");

    EXPECT_TRUE(GetReadPackFirst()) << "on by default";
    SetReadPackFirst(true);
    EXPECT_EQ(ReadVia("config/sys/IP.csv"), "from pack");
    EXPECT_EQ(ReadVia("config/sys/DiskOnly.csv"), "disk only");
    EXPECT_EQ(ReadVia("config/sys/PackOnly.csv"), "pack only");

    SetReadPackFirst(false);
    EXPECT_EQ(ReadVia("config/sys/IP.csv"), "from disk");
    EXPECT_EQ(ReadVia("config/sys/DiskOnly.csv"), "disk only");
    EXPECT_EQ(ReadVia("config/sys/PackOnly.csv"), "pack only");

    // Without packs only the disk counts, whatever the switch says.
    SetReadPackFirst(true);
    EXPECT_EQ(ReadVia("config/sys/IP.csv", false), "from disk");
    EXPECT_EQ(ReadVia("config/sys/PackOnly.csv", false), "<none>");
    EXPECT_EQ(ReadVia("config/sys/Neither.csv"), "<none>");
}

TEST_F(OpenFileTest, PathsAreNormalisedBeforeTheLookup) {
    BuildPack("config.wdf", {{"sys/IP.csv", "ip"}});
    EXPECT_EQ(ReadVia("./config//sys/../sys/IP.csv"), "ip");
    EXPECT_EQ(ReadVia("CONFIG\\SYS\\ip.csv"), "ip");
    std::unique_ptr<CKXKernal_File> pFile = OpenFile(".\\config\\sys\\IP.csv", true);
    ASSERT_NE(pFile, nullptr);
    EXPECT_EQ(pFile->GetFileName(), "config/sys/IP.csv");

    const std::string strLong = "config/" + std::string(300, 'x');
    EXPECT_EQ(OpenFile(strLong.c_str(), true), nullptr);
    EXPECT_EQ(OpenFile(nullptr, true), nullptr);
    EXPECT_EQ(OpenFile("c:/../config/sys/IP.csv", true), nullptr);
}

TEST_F(OpenFileTest, FirstSplitWinsWhenItsArchiveExists) {
    BuildPack("a.wdf", {{"b/c.x", "in a.wdf"}});
    ASSERT_TRUE(KXPlatform::MakeDirectory("a"));
    BuildPack("a/b.wdf", {{"c.x", "in a/b.wdf"}, {"d.x", "d in a/b.wdf"}});
    EXPECT_EQ(ReadVia("a/b/c.x"), "in a.wdf");
    // a.wdf opened, so a name missing from it is not looked for in a/b.wdf.
    EXPECT_EQ(ReadVia("a/b/d.x"), "<none>");
}

TEST_F(OpenFileTest, SecondSplitOnlyWhenTheFirstArchiveIsMissing) {
    ASSERT_TRUE(KXPlatform::MakeDirectory("a"));
    BuildPack("a/b.wdf", {{"c.x", "in a/b.wdf"}});
    EXPECT_EQ(ReadVia("a/b/c.x"), "in a/b.wdf");
    std::unique_ptr<CKXKernal_File> pFile = OpenFile("a/b/c.x", true);
    ASSERT_NE(pFile, nullptr);
    EXPECT_EQ(pFile->GetFileName(), "a/b/c.x");
    // A path with a single "/" has no second split, and one without "/" is never looked up in packs.
    BuildPack("x.wdf", {{"x", "never"}});
    EXPECT_EQ(ReadVia("b/c.x"), "<none>");
    EXPECT_EQ(ReadVia("x"), "<none>");
}

TEST_F(OpenFileTest, CorruptFirstArchiveFallsBackToTheSecondSplit) {
    WriteTestFile("a.wdf", "short");
    ASSERT_TRUE(KXPlatform::MakeDirectory("a"));
    BuildPack("a/b.wdf", {{"c.x", "second"}});
    EXPECT_EQ(ReadVia("a/b/c.x"), "second");
    EXPECT_TRUE(m_log.Has("[WL_MUST] [M_Logic]CKXKernal_File_Pack::Open Lumo544"));
}

TEST_F(OpenFileTest, ReadWholeFileEndsWithANul) {
    BuildPack("p.wdf", {{"t.txt", std::string("a\0b", 3)}});
    WriteTestFile("disk.txt", "disk");
    std::unique_ptr<char[]> pBuffer;
    uint32_t uSize = 99;
    ASSERT_TRUE(ReadWholeFile("p/t.txt", pBuffer, uSize));
    EXPECT_EQ(uSize, 3u);
    EXPECT_EQ(std::string(pBuffer.get(), 4), std::string("a\0b\0", 4));
    ASSERT_TRUE(ReadWholeFile("disk.txt", pBuffer, uSize));
    EXPECT_EQ(uSize, 4u);
    EXPECT_STREQ(pBuffer.get(), "disk");
    EXPECT_FALSE(ReadWholeFile("nothing.txt", pBuffer, uSize));
}

struct Collected {
    std::string strBytes;
    int nCalls = 0;
};

TEST_F(OpenFileTest, CallbacksSeeTheFileOrTheFailureIsLogged) {
    BuildPack("p.wdf", {{"t.txt", "packed"}});
    Collected collected;
    auto onData = [](void* pContext, const char* pData, uint32_t uSize) {
        auto* pCollected = static_cast<Collected*>(pContext);
        pCollected->strBytes.assign(pData, uSize);
        return ++pCollected->nCalls == 1;
    };
    EXPECT_TRUE(KXKernal_ReadFileWithCallback("p/t.txt", &collected, onData));
    EXPECT_EQ(collected.strBytes, "packed");
    EXPECT_FALSE(KXKernal_ReadFileWithCallback("p/t.txt", &collected, onData)) << "the callback's answer";
    m_log.ExpectError("KXKernal_OpenFileWithCallback open p/missing.txt failed");
    EXPECT_FALSE(KXKernal_ReadFileWithCallback("p/missing.txt", &collected, onData));
    EXPECT_EQ(collected.nCalls, 2);

    auto onOpen = [](void* pContext, CKXKernal_File& file) {
        static_cast<Collected*>(pContext)->strBytes = file.GetFileName();
        return true;
    };
    EXPECT_TRUE(KXKernal_OpenFileWithCallback("p/t.txt", &collected, onOpen));
    EXPECT_EQ(collected.strBytes, "p/t.txt");
    EXPECT_FALSE(m_log.Has("[WL_ERROR] [M_Logic]KXKernal_OpenFileWithCallback"));
    EXPECT_FALSE(KXKernal_OpenFileWithCallback("p/missing.txt", &collected, onOpen));
    EXPECT_TRUE(m_log.Has("[WL_ERROR] [M_Logic]KXKernal_OpenFileWithCallback open p/missing.txt failed"));
}

TEST_F(OpenFileTest, ExistsRenameAndDeleteActOnDiskFiles) {
    BuildPack("p.wdf", {{"packed.txt", "p"}});
    WriteTestFile("old.txt", "payload");
    WriteTestFile("taken.txt", "other");
    EXPECT_TRUE(FileExists("old.txt"));
    EXPECT_TRUE(FileExists("p/packed.txt"));
    EXPECT_FALSE(FileExists("new.txt"));

    EXPECT_FALSE(KXKernal_RenameFile("taken.txt", "old.txt")) << "the new name must be free";
    EXPECT_FALSE(KXKernal_RenameFile("new.txt", "absent.txt"));
    EXPECT_TRUE(KXKernal_RenameFile("new.txt", "old.txt"));
    EXPECT_FALSE(FileExists("old.txt"));
    EXPECT_EQ(ReadTestFile("new.txt"), "payload");

    EXPECT_TRUE(KXKernal_DeleteFile("new.txt"));
    EXPECT_FALSE(FileExists("new.txt"));
    EXPECT_FALSE(KXKernal_DeleteFile("new.txt"));
    // A file that lives only inside an archive has no disk file to delete.
    EXPECT_FALSE(KXKernal_DeleteFile("p/packed.txt"));
    EXPECT_TRUE(FileExists("p/packed.txt"));
}

TEST_F(OpenFileTest, RecorderListsEachOpenedPathOnce) {
    BuildPack("config.wdf", {{"sys/IP.csv", "ip"}});
    WriteTestFile("Disk.TXT", "disk!");
    std::FILE* pRecord = std::fopen("record.txt", "wb");
    ASSERT_NE(pRecord, nullptr);
    OpenFile("Disk.TXT", true);  // before the recorder: not listed
    KXKernal_SetFileAccessRecorder(pRecord);
    OpenFile("Disk.TXT", true);
    OpenFile("config/sys/IP.csv", true);
    OpenFile("./CONFIG\\sys\\ip.csv", true);
    OpenFile("disk.txt", true);  // a different disk file name on this system: missing, not listed
    OpenFile("missing.csv", true);
    KXKernal_SetFileAccessRecorder(nullptr);
    OpenFile("config/sys/IP.csv", true);
    std::fclose(pRecord);
    EXPECT_EQ(ReadTestFile("record.txt"), "disk.txt 5\nconfig/sys/ip.csv 2\n");
}

}  // namespace
