// Damaged archives: short or foreign headers, indexes and entries that point outside the file, absurd
// counts, and random damage. None may crash, hang or read outside the file (run under the sanitizers).
#include "FilePackTestSupport.h"

#include "KX_Kernal/fileandpath/KXKernal_PackCipher.h"
#include "KX_Kernal/fileandpath/KXKernal_PackFormat.h"

#include <random>

namespace {

// Lays out an archive by hand: the header and the given entries scrambled as the format says, the index
// at uIndexOffset, and the file padded (or cut) to uFileSize bytes.
std::string CraftArchive(const KXKernal_PackHeader& header, const std::vector<KXKernal_PackEntry>& entries,
                         uint32_t uIndexOffset, size_t uFileSize, const std::string& strPayload = std::string()) {
    std::string strFile(std::max<size_t>(uFileSize, 16 + strPayload.size()), 'P');
    strFile.replace(16, strPayload.size(), strPayload);
    CKXKernal_PackIndexCipher cipher;
    uint8_t aBlock[16];
    KXKernal_EncodePackHeader(header, aBlock);
    cipher.Scramble(aBlock);
    strFile.replace(0, 16, reinterpret_cast<const char*>(aBlock), 16);
    for (size_t i = 0; i < entries.size(); ++i) {
        KXKernal_EncodePackEntry(entries[i], aBlock);
        cipher.Scramble(aBlock);
        const size_t uAt = uIndexOffset + 16 * i;
        if (uAt + 16 > strFile.size()) strFile.resize(uAt + 16, 'P');
        strFile.replace(uAt, 16, reinterpret_cast<const char*>(aBlock), 16);
    }
    strFile.resize(uFileSize);
    return strFile;
}

KXKernal_PackHeader Header(int32_t nCount, uint32_t uIndexOffset) {
    KXKernal_PackHeader header;
    header.nCount = nCount;
    header.uIndexOffset = uIndexOffset;
    return header;
}

KXKernal_PackEntry Entry(const char* szName, uint32_t uSize, uint32_t uOffset) {
    KXKernal_PackEntry entry;
    entry.uHash = HashName(szName);
    entry.uSize = uSize;
    entry.uOffset = uOffset;
    return entry;
}

class CorruptPackTest : public FilePackTest {
protected:
    // Writes the bytes as NAME.wdf and opens it; a refused archive must not be registered.
    CKXKernal_File_Pack* OpenBytes(const std::string& strName, const std::string& strBytes) {
        WriteTestFile(strName + ".wdf", strBytes);
        CKXKernal_File_Pack* pPack = CKXKernal_File_Pack::Open((strName + ".wdf").c_str());
        if (!pPack) {
            const uint64_t uOpens = KXKernal_GetDiskOpenCount();
            EXPECT_EQ(CKXKernal_File_Pack::Open((strName + ".wdf").c_str()), nullptr);
            EXPECT_EQ(KXKernal_GetDiskOpenCount(), uOpens + 1) << strName << " was registered though refused";
        }
        return pPack;
    }
};

TEST_F(CorruptPackTest, ShortHeaderOrForeignMagicIsRefusedWithItsLogLine) {
    EXPECT_EQ(OpenBytes("empty", ""), nullptr);
    EXPECT_EQ(OpenBytes("fifteen", std::string(15, '\0')), nullptr);
    EXPECT_TRUE(m_log.Has("[WL_MUST] [M_Logic]CKXKernal_File_Pack::Open Lumo544"));
    EXPECT_FALSE(m_log.Has("Lumo553"));

    // The right magic stored without scrambling is as foreign as any other.
    std::string strPlain(32, '\0');
    strPlain.replace(0, 4, "PFDW");
    EXPECT_EQ(OpenBytes("plain", strPlain), nullptr);
    EXPECT_TRUE(m_log.Has("[WL_MUST] [M_Logic]CKXKernal_File_Pack::Open Lumo553"));
    KXKernal_PackHeader header = Header(0, 16);
    header.uMagic = 0x57444651u;
    EXPECT_EQ(OpenBytes("magic", CraftArchive(header, {}, 16, 16)), nullptr);
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(CorruptPackTest, CountsOfZeroOrBelowGiveAnEmptyIndex) {
    for (int32_t nCount : {0, -1, INT32_MIN}) {
        const std::string strName = "count" + std::to_string(nCount);
        CKXKernal_File_Pack* pPack = OpenBytes(strName, CraftArchive(Header(nCount, 0xFFFFFFF0u), {}, 16, 16));
        ASSERT_NE(pPack, nullptr) << nCount;
        EXPECT_TRUE(pPack->GetEntries().empty());
        EXPECT_EQ(pPack->Find("anything"), nullptr);
    }
}

TEST_F(CorruptPackTest, IndexBeyondTheEndIsRefused) {
    const std::vector<KXKernal_PackEntry> one = {Entry("a.txt", 1, 16)};
    // One entry whose index runs 8 bytes past the end of the file.
    EXPECT_EQ(OpenBytes("cut", CraftArchive(Header(1, 24), one, 24, 32)), nullptr);
    EXPECT_TRUE(m_log.Has("CKXKernal_File_Pack::Open cut.wdf index of 1 entries at 24 lies beyond the end"));
    EXPECT_EQ(OpenBytes("huge", CraftArchive(Header(0x7fffffff, 16), one, 16, 64)), nullptr);
    EXPECT_EQ(OpenBytes("faroff", CraftArchive(Header(1, 0xFFFFFFF0u), {}, 16, 64)), nullptr);
    // Exactly fitting is fine.
    CKXKernal_File_Pack* pPack = OpenBytes("fits", CraftArchive(Header(1, 17), one, 17, 33, "Z"));
    ASSERT_NE(pPack, nullptr);
    EXPECT_EQ(ReadVia("fits/a.txt"), "Z");
}

TEST_F(CorruptPackTest, EntriesOutsideTheFileAreNotFound) {
    const std::vector<KXKernal_PackEntry> entries = {
        Entry("good.txt", 4, 16),         Entry("past_end.txt", 200, 16),  Entry("wraps.txt", 0xFFFFFFFFu, 17),
        Entry("far.txt", 1, 0x7FFFFFFFu), Entry("header.txt", 4, 0),       Entry("inside_header.txt", 4, 8),
        Entry("empty_at_end.txt", 0, 20)};
    CKXKernal_File_Pack* pPack = OpenBytes("outside", CraftArchive(Header(7, 20), entries, 20, 20 + 7 * 16, "good"));
    ASSERT_NE(pPack, nullptr);
    EXPECT_EQ(ReadVia("outside/good.txt"), "good");
    for (const char* szName : {"past_end.txt", "wraps.txt", "far.txt", "header.txt", "inside_header.txt"}) {
        EXPECT_EQ(pPack->Find(szName), nullptr) << szName;
    }
    EXPECT_EQ(ReadVia("outside/empty_at_end.txt"), "");
    m_log.ExpectError("CKXKernal_File_Pack::Open outside.wdf 5 entries lie outside the file and are left out");
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(CorruptPackTest, LaterEntryWithTheSameHashWins) {
    const std::vector<KXKernal_PackEntry> entries = {Entry("t.txt", 3, 16), Entry("T.TXT", 3, 19)};
    ASSERT_NE(OpenBytes("twice", CraftArchive(Header(2, 22), entries, 22, 22 + 32, "onetwo")), nullptr);
    EXPECT_EQ(ReadVia("twice/t.txt"), "two");
}

TEST_F(CorruptPackTest, RandomDamageNeverCrashes) {
    PackFiles files;
    for (int i = 0; i < 12; ++i) files.push_back({"f" + std::to_string(i), std::string(40 + i * 13, char('a' + i))});
    BuildPack("model.wdf", files, true);
    const std::string strModel = ReadTestFile("model.wdf");
    ScopedMessageBoxRecorder quiet;  // damaged ranges may raise Eof boxes; answered Ignore
    m_log.ExpectError("entries lie outside the file");

    std::mt19937 rng(2026);
    for (int nRound = 0; nRound < 300; ++nRound) {
        std::string strBytes = strModel;
        const int nFlips = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < nFlips; ++i) strBytes[rng() % strBytes.size()] ^= static_cast<char>(1 + rng() % 255);
        if (nRound % 5 == 0) strBytes.resize(rng() % strBytes.size());
        if (nRound % 7 == 0) {  // pure noise
            strBytes.resize(rng() % 400);
            for (char& c : strBytes) c = static_cast<char>(rng());
        }
        const std::string strName = "fuzz" + std::to_string(nRound);
        WriteTestFile(strName + ".wdf", strBytes);
        for (const auto& file : files) {
            std::unique_ptr<CKXKernal_File> pFile = OpenFile((strName + "/" + file.first).c_str(), true);
            if (!pFile) continue;
            EXPECT_LE(pFile->GetEndTell(), static_cast<int32_t>(strBytes.size()));
            std::string strRead(static_cast<size_t>(pFile->GetSize()), '\0');
            if (!strRead.empty()) pFile->Read(&strRead[0], 1, static_cast<uint32_t>(strRead.size()));
            pFile->Eof();
        }
    }
}

}  // namespace
