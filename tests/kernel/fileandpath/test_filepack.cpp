// Pack archives written by CKXKernal_PackWriter and read by CKXKernal_File_Pack: round trips plain and
// scrambled, the table of open archives, OpenForWrite, and reads from several threads at once.
#include "FilePackTestSupport.h"

#include <random>
#include <thread>

namespace {

class FilePackRoundTrip : public FilePackTest {
protected:
    static PackFiles SampleFiles() {
        std::mt19937 rng(7);
        std::string strBinary(1000, '\0');
        for (char& c : strBinary) c = static_cast<char>(rng());
        return {{"sys/IP.csv", "ip,carrier\r\n1.2.3.4,电信\r\n"},
                {"empty.txt", ""},
                {"gui/bin.dat", strBinary},
                {"one", "x"},
                {"sixteen.bin", "0123456789abcdef"}};
    }

    static std::string ReadAll(CKXKernal_File& file) {
        std::string strBytes(static_cast<size_t>(file.GetSize()), '\0');
        if (!strBytes.empty()) strBytes.resize(file.Read(&strBytes[0], 1, static_cast<uint32_t>(strBytes.size())));
        return strBytes;
    }

    void ExpectRoundTrip(bool bScramble) {
        const PackFiles files = SampleFiles();
        BuildPack("data.wdf", files, bScramble);
        CKXKernal_File_Pack* pPack = CKXKernal_File_Pack::Open("data.wdf");
        ASSERT_NE(pPack, nullptr);
        EXPECT_EQ(pPack->IsScrambled(), bScramble);
        EXPECT_EQ(pPack->GetEntries().size(), files.size());
        for (const auto& file : files) {
            std::unique_ptr<CKXKernal_Multithread_File> pFile = pPack->Find(file.first.c_str());
            ASSERT_NE(pFile, nullptr) << file.first;
            EXPECT_EQ(pFile->GetFileName(), "data/" + file.first);
            EXPECT_EQ(pFile->GetSize(), static_cast<int32_t>(file.second.size()));
            EXPECT_GE(pFile->GetBeginTell(), 16) << "contents start after the header";
            EXPECT_EQ(ReadAll(*pFile), file.second) << file.first;
            EXPECT_TRUE(pFile->Eof());
            // At the end a further read gets nothing, never the bytes of the file stored after it.
            char tail[8] = {'?', '?', '?', '?', '?', '?', '?', '?'};
            EXPECT_EQ(0u, pFile->Read(tail, 1, sizeof(tail))) << file.first;
            EXPECT_EQ(std::string(sizeof(tail), '?'), std::string(tail, sizeof(tail))) << file.first;
            EXPECT_TRUE(pFile->Eof());
        }
        // The stored bytes show the text only when the contents are not scrambled.
        const bool bPlainVisible = ReadTestFile("data.wdf").find("1.2.3.4") != std::string::npos;
        EXPECT_EQ(bPlainVisible, !bScramble);
        EXPECT_EQ(m_boxes.Count(), 0u);
    }
};

TEST_F(FilePackRoundTrip, PlainArchive) { ExpectRoundTrip(false); }

TEST_F(FilePackRoundTrip, ScrambledArchive) { ExpectRoundTrip(true); }

TEST_F(FilePackRoundTrip, ScrambledFileReadInSixteenByteStepsFromItsStart) {
    std::string strText;
    for (int i = 0; i < 10; ++i) strText += "line " + std::to_string(i) + " of the table\n";
    BuildPack("steps.wdf", {{"pad", "123"}, {"t.txt", strText}}, true);
    std::unique_ptr<CKXKernal_File> pFile = OpenFile("steps/t.txt", true);
    ASSERT_NE(pFile, nullptr);
    std::string strRead;
    char aChunk[32];
    while (uint32_t uRead = pFile->Read(aChunk, 1, std::min<uint32_t>(32, pFile->GetEndTell() - pFile->GetCurTell()))) {
        strRead.append(aChunk, uRead);
    }
    EXPECT_EQ(strRead, strText);
}

TEST_F(FilePackRoundTrip, SecondOpenReturnsTheSameArchiveWithoutTouchingTheDisk) {
    BuildPack("data.wdf", SampleFiles());
    CKXKernal_File_Pack* pFirst = CKXKernal_File_Pack::Open("data.wdf");
    ASSERT_NE(pFirst, nullptr);
    const uint64_t uOpens = KXKernal_GetDiskOpenCount();
    // Gone from the disk where the system lets an open file be deleted (Windows does not); either way the
    // disk-open count below shows the second open never went to the disk.
    KXPlatform::DeleteFile("data.wdf");
    EXPECT_EQ(CKXKernal_File_Pack::Open("data.wdf"), pFirst);
    EXPECT_EQ(CKXKernal_File_Pack::Open("DATA.WDF"), pFirst) << "the table is keyed by the name hash";
    // Files inside it are found and read through the handle that stays open.
    EXPECT_EQ(ReadVia("data/one"), "x");
    EXPECT_EQ(KXKernal_GetDiskOpenCount(), uOpens);
}

TEST_F(FilePackRoundTrip, WriterReplacesARepeatedNameAndRefusesBadNames) {
    m_log.ExpectError("CKXKernal_PackWriter::Add bad inner path []");
    m_log.ExpectError("CKXKernal_PackWriter::Add bad inner path [nnnn");
    CKXKernal_PackWriter writer;
    EXPECT_TRUE(writer.AddBytes("dir/a.txt", "first"));
    EXPECT_TRUE(writer.AddBytes("DIR\\A.TXT", "second"));
    EXPECT_FALSE(writer.AddBytes("", "x"));
    EXPECT_FALSE(writer.AddBytes(std::string(256, 'n'), "x"));
    EXPECT_EQ(writer.GetCount(), 1u);
    ASSERT_TRUE(writer.Write("w.wdf", false));
    EXPECT_EQ(ReadVia("w/dir/a.txt"), "second");

    // A source that cannot be read fails the build and leaves no half-written archive.
    EXPECT_TRUE(writer.AddFile("gone.txt", "no/such/file"));
    EXPECT_FALSE(writer.Write("bad.wdf", false));
    EXPECT_FALSE(KXPlatform::GetFileAttributes("bad.wdf").bExists);
    m_log.ExpectError("CKXKernal_PackWriter::Write cannot read no/such/file");
}

TEST_F(FilePackRoundTrip, OpenForWriteReadsTheIndexButIsNotRegistered) {
    BuildPack("data.wdf", SampleFiles(), true);
    std::unique_ptr<CKXKernal_File_Pack> pPack = CKXKernal_File_Pack::OpenForWrite("data.wdf");
    ASSERT_NE(pPack, nullptr);
    EXPECT_TRUE(pPack->IsScrambled());
    std::unique_ptr<CKXKernal_Multithread_File> pFile = pPack->Find("one");
    ASSERT_NE(pFile, nullptr);
    EXPECT_EQ(ReadAll(*pFile), "x");

    const uint64_t uOpens = KXKernal_GetDiskOpenCount();
    CKXKernal_File_Pack* pRegistered = CKXKernal_File_Pack::Open("data.wdf");
    EXPECT_NE(pRegistered, pPack.get());
    EXPECT_EQ(KXKernal_GetDiskOpenCount(), uOpens + 1);
    EXPECT_EQ(CKXKernal_File_Pack::OpenForWrite("missing.wdf"), nullptr);
}

TEST_F(FilePackRoundTrip, ThreadsReadingOnePackSeeTheirOwnBytes) {
    PackFiles files;
    for (int i = 0; i < 8; ++i) {
        std::string strBytes(3000 + 97 * i, '\0');
        for (size_t j = 0; j < strBytes.size(); ++j) strBytes[j] = static_cast<char>(i * 31 + j * 7);
        files.push_back({"f" + std::to_string(i) + ".bin", strBytes});
    }
    BuildPack("mt.wdf", files, true);

    std::vector<int> vecMismatches(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 150; ++round) {
                const auto& file = files[(t + round) % files.size()];
                std::unique_ptr<CKXKernal_File> pFile = OpenFile(("mt/" + file.first).c_str(), true);
                // Small reads interleave the threads' seeks on the shared handle as much as possible.
                std::string strRead;
                char aChunk[48];
                while (uint32_t uRead = pFile ? pFile->Read(aChunk, 1, std::min<int32_t>(48, pFile->GetEndTell() - pFile->GetCurTell())) : 0) {
                    strRead.append(aChunk, uRead);
                }
                if (strRead != file.second) ++vecMismatches[t];
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(vecMismatches, std::vector<int>(4, 0));
    EXPECT_EQ(m_boxes.Count(), 0u);
}

}  // namespace
