// Pack archives on hostile bytes: open, find, read whole, read in steps and read past the end. A found
// file must lie inside the archive and read back exactly its bytes.
#include "NcFuzz_Support.h"

#include "KX_Kernal/fileandpath/KXKernal_File.h"
#include "KX_Kernal/fileandpath/KXKernal_FilePack.h"
#include "KX_Kernal/fileandpath/KXKernal_HashName.h"
#include "KX_Kernal/fileandpath/KXKernal_PackCipher.h"

#include <algorithm>
#include <vector>

namespace {

// Inner names the harness looks for; in plain mode entry i is given the hash of name i % 4.
const char* const kNames[] = {"netchkroot.auf", "sys/IP.csv", "a", "Images/Btn.PNG"};

// Plain mode: the input holds the header and the index in plain form; scramble them as the writer
// does, so the fuzzer steers the fields instead of fighting the cipher.
void ScrambleAsWritten(std::string& strArchive) {
    if (strArchive.size() < KXKERNAL_PACK_HEADER_SIZE) return;
    uint8_t* const p = reinterpret_cast<uint8_t*>(&strArchive[0]);
    CKXKernal_PackIndexCipher cipher;
    const KXKernal_PackHeader header = KXKernal_DecodePackHeader(p);
    cipher.Scramble(p);
    if (header.nCount <= 0) return;
    const uint64_t uEnd = header.uIndexOffset + static_cast<uint64_t>(header.nCount) * KXKERNAL_PACK_ENTRY_SIZE;
    if (uEnd > strArchive.size() || header.uIndexOffset < KXKERNAL_PACK_HEADER_SIZE) return;
    for (int32_t i = 0; i < header.nCount; ++i) {
        uint8_t* const pEntry = p + header.uIndexOffset + static_cast<size_t>(i) * KXKERNAL_PACK_ENTRY_SIZE;
        KXKernal_PackEntry entry = KXKernal_DecodePackEntry(pEntry);
        entry.uHash = HashName(kNames[i % 4]);
        KXKernal_EncodePackEntry(entry, pEntry);
        cipher.Scramble(pEntry);
    }
}

void CheckFile(CKXKernal_File& file, const KXKernal_PackEntry& entry, const std::string& strArchive, bool bScrambled,
               uint32_t uStep) {
    NCFUZZ_CHECK(file.GetBeginTell() == static_cast<int32_t>(entry.uOffset));
    NCFUZZ_CHECK(file.GetSize() == static_cast<int32_t>(entry.uSize));
    std::string strExpected = strArchive.substr(entry.uOffset, entry.uSize);
    if (bScrambled)
        KXKernal_PackScrambleContents(reinterpret_cast<uint8_t*>(&strExpected[0]), entry.uSize,
                                      static_cast<int32_t>(entry.uOffset));

    std::string strWhole(entry.uSize, '\0');
    if (entry.uSize) NCFUZZ_CHECK(file.Read(&strWhole[0], 1, entry.uSize) == entry.uSize);
    NCFUZZ_CHECK(strWhole == strExpected);
    NCFUZZ_CHECK(file.Eof());
    char cPast = 0;
    NCFUZZ_CHECK(file.Read(&cPast, 1, 1) == 0);

    // In steps from the start (16-byte steps for scrambled contents, as they were scrambled).
    NCFUZZ_CHECK(file.Seek(0) == static_cast<int32_t>(entry.uSize));
    std::string strSteps(entry.uSize, '\0');
    for (uint32_t uPos = 0; uPos < entry.uSize; uPos += uStep) {
        const uint32_t uAsk = std::min(uStep, entry.uSize - uPos);
        NCFUZZ_CHECK(file.Read(&strSteps[uPos], 1, uAsk) == uAsk);
    }
    NCFUZZ_CHECK(strSteps == strWhole);
    NCFUZZ_CHECK(file.Read(&cPast, 1, 1) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
    ncfuzz::Init();
    ncfuzz::Reader reader(pData, uSize);
    const uint8_t uMode = reader.Byte();
    std::string strArchive = reader.Rest();
    if (uMode & 1) ScrambleAsWritten(strArchive);
    ncfuzz::WriteScratchFile("interface.wdf", strArchive);

    CKXKernal_File_Pack* pPack = CKXKernal_File_Pack::Open("interface.wdf");
    if (pPack) {
        NCFUZZ_CHECK(CKXKernal_File_Pack::Open("interface.wdf") == pPack);
        for (const auto& item : pPack->GetEntries()) {
            NCFUZZ_CHECK(item.first == item.second.uHash);
            NCFUZZ_CHECK(item.second.uOffset >= KXKERNAL_PACK_HEADER_SIZE);
            NCFUZZ_CHECK(uint64_t{item.second.uOffset} + item.second.uSize <= strArchive.size());
        }
        const uint32_t uStep = pPack->IsScrambled() ? 16 : 1 + (uMode >> 4);
        for (const char* szName : kNames) {
            const auto it = pPack->GetEntries().find(HashName(szName));
            std::unique_ptr<CKXKernal_Multithread_File> pFile = pPack->Find(szName);
            NCFUZZ_CHECK((it != pPack->GetEntries().end()) == (pFile != nullptr));
            if (pFile) CheckFile(*pFile, it->second, strArchive, pPack->IsScrambled(), uStep);
        }
        // The kernel's own lookup: "interface/x" is "x" inside interface.wdf.
        std::unique_ptr<CKXKernal_File> pOpened = OpenFile("interface/netchkroot.auf", true);
        const auto it = pPack->GetEntries().find(HashName(kNames[0]));
        NCFUZZ_CHECK((it != pPack->GetEntries().end()) == (pOpened != nullptr));
        if (pOpened) CheckFile(*pOpened, it->second, strArchive, pPack->IsScrambled(), uStep);
    }
    CKXKernal_File_Pack::ForgetOpenPacksForTests();
    return 0;
}
