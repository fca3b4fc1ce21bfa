// The GUI font table and the size/entry rule of SetFont.
#include "KX_Renderer/KXFontTable.h"

#include <cstring>

namespace KXRenderer {

namespace {

struct EntrySource {
    int nId;
    const char* szFileFace;  // null: no file face
    int nFilePixelSize;
};

const EntrySource kEntries[CKXGuiFontTable::kEntryCount] = {
    {12, "resource/simkai.ttf", 13}, {13, "resource/simkai.ttf", 15}, {14, "resource/simhei.ttf", 14},
    {15, "resource/simhei.ttf", 15}, {16, "resource/simkai.ttf", 17}, {17, "resource/simhei.ttf", 17},
    {18, "resource/simkai.ttf", 19}, {13, nullptr, 0},                {15, nullptr, 0},
};

// The face that stands in for the system face, which this platform does not have.
const char* const kSystemStandIn = "resource/simhei.ttf";

// The size/entry rule, sizes 12..19: entry with file faces, entry without, effective size with them.
struct SizeRule {
    int nFileEntry;
    int nPlainEntry;
    int nFileSize;
};
const SizeRule kSizeRules[8] = {
    {1, 1, 14}, {2, 8, 15}, {3, 3, 14}, {4, 9, 15}, {5, 5, 17}, {6, 6, 17}, {7, 7, 19}, {7, 7, 19},
};

}  // namespace

CKXGuiFontTable::CKXGuiFontTable() {
    for (int i = 0; i < kEntryCount; ++i) {
        KXGuiFontEntry& entry = m_entries[i];
        entry.nId = kEntries[i].nId;
        entry.nSystemHeight = (entry.nId == 13 || entry.nId == 15) ? entry.nId - 1 : entry.nId;
        if (kEntries[i].szFileFace) {
            entry.strFileFace = kEntries[i].szFileFace;
            entry.nFilePixelSize = kEntries[i].nFilePixelSize;
        }
    }
}

bool CKXGuiFontTable::Init() {
    m_bSetUp = true;
    for (KXGuiFontEntry& entry : m_entries) {
        if (!entry.strFileFace.empty() && !entry.pFileFont)
            entry.pFileFont = CKXFont::Open(entry.strFileFace.c_str(), entry.nFilePixelSize);
        if (!entry.pSystemFont) entry.pSystemFont = CKXFont::Open(kSystemStandIn, entry.nSystemHeight);
    }
    return true;
}

const KXGuiFontEntry& CKXGuiFontTable::GetEntry(int nEntry) const {
    if (nEntry < 1 || nEntry > kEntryCount) nEntry = 1;
    return m_entries[nEntry - 1];
}

CKXFont* CKXGuiFontTable::GetFont(int nEntry, bool bFileFace) const {
    const KXGuiFontEntry& entry = GetEntry(nEntry);
    if (bFileFace && entry.pFileFont) return entry.pFileFont.get();
    return entry.pSystemFont.get();
}

bool CKXGuiFontTable::IsFileFaceName(const char* szFace) {
    return szFace && (std::strcmp(szFace, "黑体") == 0 || std::strcmp(szFace, "楷体") == 0);
}

bool CKXGuiFontTable::SelectEntry(int nSize, bool bFileFace, int& nEntry, int& nEffectiveSize) {
    if (nSize < 12 || nSize > 19) return false;
    const SizeRule& rule = kSizeRules[nSize - 12];
    nEntry = bFileFace ? rule.nFileEntry : rule.nPlainEntry;
    nEffectiveSize = bFileFace ? rule.nFileSize : nSize;
    return true;
}

}  // namespace KXRenderer
