// The GUI font table: nine entries of the GUI manager, and the size/entry rule that SetFont applies.
//
// Each entry has an id, a system face ("SimSun" at height id, id - 1 for 13 and 15, in normal, italic
// and bold weight 800) and optionally a TrueType file face:
//   entry 1 id 12 "resource/simkai.ttf" 13 px    entry 6 id 17 "resource/simhei.ttf" 17 px
//   entry 2 id 13 "resource/simkai.ttf" 15 px    entry 7 id 18 "resource/simkai.ttf" 19 px
//   entry 3 id 14 "resource/simhei.ttf" 14 px    entry 8 id 13 no file face
//   entry 4 id 15 "resource/simhei.ttf" 15 px    entry 9 id 15 no file face
//   entry 5 id 16 "resource/simkai.ttf" 17 px
// There is no SimSun here: the system face of an entry is drawn with "resource/simhei.ttf" at the
// system height (normal weight; italic and bold are not drawn differently).
#pragma once

#include <memory>
#include <string>

#include "KX_Renderer/KXFont.h"

namespace KXRenderer {

struct KXGuiFontEntry {
    int nId = 0;
    std::string strSystemFace = "SimSun";
    int nSystemCharset = 134;
    int nSystemHeight = 0;              // pixels
    std::string strFileFace;            // "" when the entry has no file face
    int nFilePixelSize = 0;
    std::shared_ptr<CKXFont> pFileFont;    // null when there is no file face or it failed to open
    std::shared_ptr<CKXFont> pSystemFont;  // the stand-in of the system face; null when it failed to open
};

class CKXGuiFontTable {
public:
    static constexpr int kEntryCount = 9;

    CKXGuiFontTable();

    // Marks the table set up and opens the faces (relative to the current directory, through the file
    // layer). A face that fails to open leaves its entry without it; still returns true.
    bool Init();
    bool IsSetUp() const { return m_bSetUp; }

    // nEntry is 1..9; any other value gives entry 1.
    const KXGuiFontEntry& GetEntry(int nEntry) const;
    // The font to draw an entry with: its file face when bFileFace and the entry has one, else the
    // system stand-in; null when neither opened.
    CKXFont* GetFont(int nEntry, bool bFileFace) const;

    // True for the face names that mark a window as using the file faces: "黑体" and "楷体" (GBK).
    static bool IsFileFaceName(const char* szFace);
    // The size/entry rule: sizes 12..19 choose an entry and the effective size (with file faces 12
    // gives 14, 13 gives 15, 16 gives 17, 18 and 19 give 19; without them the effective size is the
    // requested one). Any other size returns false and leaves nEntry and nEffectiveSize unchanged.
    static bool SelectEntry(int nSize, bool bFileFace, int& nEntry, int& nEffectiveSize);

private:
    KXGuiFontEntry m_entries[kEntryCount];
    bool m_bSetUp = false;
};

}  // namespace KXRenderer
