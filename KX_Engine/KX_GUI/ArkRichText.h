// CArkRichText: turns a GBK byte string with '#' markup codes into positioned atoms laid out in lines.
//
// The markup: every byte that is not part of a code is text; a byte of 128 or more starts a double-byte
// character. Codes start with '#': colour letters (#R, #G, #G(1), ...), #c with hex digits, #c( links,
// #E/#e background, edge and hover colours, #F fonts, #I/#X/#Z clickable icons and buttons, #O/#p
// underlined text links, #L/#l line height and spacing, #U wrap width, #S+/#S- style stack, #P+/#P-
// blocks, #P flags, #b blink, #d strike-through, #u underline, #n style reset, #f finish the line,
// #r line break (as is LF), #Align... direction and vertical alignment, '#' digits for icons.
//
// Who measures: the rich text never touches a font. Its owner (IArkRichOwner) measures one character of
// a font when the font asks for measured advances, and tells the window font's height, the window's
// width and the size of an icon or button image by number. A window answers from its FreeType fonts and
// GUI images; nctool and tests use CArkRichFixedOwner, a fixed-advance font.
//
// Units: pixels relative to the top-left corner of the text (the window adds its own position and the
// scroll offset). Layout flags: flag d is bit (1 << d) of the flag word (flag 1 = 0x2, flag 9 = 0x200).
//
// Choices of ours where the markup leaves room:
// - A character is checked against the wrap width whenever something already stands on the line, so
//   text that follows an icon wraps as text after text does; the first character of a line is always
//   placed.
// - A text run with its own vertical alignment (#AlignYCenter, #AlignBottom) keeps the place it got when
//   it started; the flag-driven vertical placement of finished lines moves every other atom.
// - After #AlignRight the text inserted grows leftwards from the content width and keeps its reading
//   order: each character is placed at the right end and what came before it moves left; what would
//   reach the left edge is dropped. Line flags 1 and 2 are meant for left to right lines.
// - A text line is as high as its fonts' real line heights (the owner's metrics), whether it ends by
//   #r or by wrapping, and a run's box is its font's line box, so glyphs never hang below the line.
// - A closed #P- block does not make the line it returns to taller (its text keeps its place); the
//   next line starts below the block's deepest point.
// - A #c( whose fields do not read consumes everything up to its ")" (or only what was read when there
//   is none).
// - Under flag 5 the continuation of a wrapped line is indented like a new paragraph.
// - Under flag 9 small icons (numbered 900 or more) sit 3 pixels higher than the bottom of the line.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ArkGui {

// Layout flags (bit numbers; use ArkRichFlag(n) for the mask).
constexpr uint32_t ArkRichFlag(int nFlag) { return 1u << nFlag; }
enum ArkRichFlagBit : int {
    ARK_RICH_CENTRE = 1,
    ARK_RICH_RIGHT = 2,
    ARK_RICH_FROM_OWNER_RIGHT = 3,
    ARK_RICH_SELECTABLE = 4,
    ARK_RICH_WRAP_INDENT = 5,
    ARK_RICH_KEEP_TOP = 6,
    ARK_RICH_HOVER_BACK = 7,
    ARK_RICH_HOVER_TEXT = 8,
    ARK_RICH_BOTTOM = 9,
    ARK_RICH_TAKE_MOUSE = 10,
};

constexpr uint32_t ARK_RICH_DEFAULT_COLOUR = 0xFFFFFFFFu;
constexpr int64_t ARK_RICH_NO_LINK = -1;

// A font of the rich text: face name (GBK, "" for the owner's own face), pixel size and the full-width
// advance; measured: advances come from the owner's glyphs instead of half/whole the advance.
struct ArkRichFont {
    std::string strFace;
    int nSize = 12;
    int nAdvance = 12;
    bool bMeasured = false;

    bool operator==(const ArkRichFont& o) const {
        return strFace == o.strFace && nSize == o.nSize && nAdvance == o.nAdvance && bMeasured == o.bMeasured;
    }
};

enum class ArkAtomKind { Text, Icon, ClickedIcon, Btn };

class IArkRichOwner {
public:
    virtual ~IArkRichOwner() = default;
    // Advance in pixels of one character: one byte, or lead byte + trail byte * 256.
    virtual int MeasureChar(const ArkRichFont& font, uint32_t uChar) = 0;
    // Height of the owning window's own font (a #r line is at least this high).
    virtual int GetFontHeight() const = 0;
    // The line height of a font from its real metrics (ascent plus descent and gap); a line holding
    // text of that font is at least this high, so that its glyphs stay inside the line.
    virtual int GetLineHeight(const ArkRichFont& font) { return font.nAdvance; }
    // The owning window's width (lines placed under flag 3 count from its right edge).
    virtual int GetOwnerWidth() const = 0;
    // The image size of an icon (Icon, ClickedIcon) or a button (Btn) by number.
    virtual void GetImageSize(ArkAtomKind eKind, int nNumber, int& nWidth, int& nHeight) = 0;
    // Whether small icons (900 and up) taller than 12 pixels may make their line taller.
    virtual bool AllowsTallSmallIcons() const { return false; }
};

// A fixed-advance font: half the advance for a single-byte character, the whole for a double-byte one
// (whatever the face); fixed icon and button sizes (square icons, small ones for 900 and up).
class CArkRichFixedOwner : public IArkRichOwner {
public:
    int MeasureChar(const ArkRichFont& font, uint32_t uChar) override;
    int GetFontHeight() const override { return nFontHeight; }
    int GetOwnerWidth() const override { return nOwnerWidth; }
    void GetImageSize(ArkAtomKind eKind, int nNumber, int& nWidth, int& nHeight) override;

    int nFontHeight = 12;
    int nOwnerWidth = 300;
    int nIconSize = 16;
    int nSmallIconSize = 12;  // icons numbered 900 and up
    int nButtonWidth = 48;
    int nButtonHeight = 20;
};

// One positioned piece of the flow.
class CAtom {
public:
    explicit CAtom(ArkAtomKind e) : eKind(e) {}
    virtual ~CAtom() = default;

    ArkAtomKind eKind;
    int nX = 0, nY = 0;          // top-left corner
    int nWidth = 0, nHeight = 0;
    int nBottom = 0;             // the bottom of its line box
    int nLine = 0;
    bool bAfterWrap = false;     // the first atom after a wrap
    int64_t nLinkId = ARK_RICH_NO_LINK;
    int32_t nLinkParam1 = 1;     // the link kind
    int32_t nLinkParam2 = 0;
    bool bHoverBack = false;     // layout flag 7 was on
    bool bHoverText = false;     // layout flag 8 was on
    uint32_t uHoverBack = 0;
    uint32_t uHoverText = 0;
    bool bHovered = false;       // set by the window while the mouse is over it
    std::string strText;         // a run's characters; "#N" for icons below 900

    // Where the line put it before alignment: pen position when it was made.
    int nBaseX = 0;
    int nLineY = 0;
    int nAlignDy = 0;            // the run's own vertical alignment

    bool Contains(int x, int y) const { return x >= nX && x < nX + nWidth && y >= nY && y < nY + nHeight; }
};

class CText : public CAtom {
public:
    CText() : CAtom(ArkAtomKind::Text) {}
    uint32_t uColour = ARK_RICH_DEFAULT_COLOUR;
    uint32_t uBack = 0;
    uint32_t uEdge = 0;
    bool bBlink = false;
    bool bUnderline = false;
    bool bStrike = false;
    int nVAlign = 0;             // 0 top, 1 centre, 2 bottom
    ArkRichFont font;
};

class CIcon : public CAtom {
public:
    explicit CIcon(int nNumber, ArkAtomKind e = ArkAtomKind::Icon) : CAtom(e), nIcon(nNumber) {}
    int nIcon;
};

// An icon made by #I: its link is the one registered for it.
class CClickedIcon : public CIcon {
public:
    explicit CClickedIcon(int nNumber) : CIcon(nNumber, ArkAtomKind::ClickedIcon) {}
};

// An in-text button made by #X or #Z.
class CBtn : public CAtom {
public:
    explicit CBtn(int nNumber) : CAtom(ArkAtomKind::Btn), nButton(nNumber) {}
    int nButton;
};

// What a new run copies; #S+ saves all of it but strike-through and vertical alignment.
struct ArkRichStyle {
    uint32_t uColour = ARK_RICH_DEFAULT_COLOUR;
    uint32_t uBack = 0;
    uint32_t uHoverBack = 0;
    uint32_t uEdge = 0;
    uint32_t uHoverText = 0;
    bool bBlink = false;
    bool bUnderline = false;
    bool bStrike = false;
    int nVAlign = 0;
    ArkRichFont font;
    uint32_t uFlags = 0;
};

class CArkRichText {
public:
    CArkRichText();
    ~CArkRichText();
    CArkRichText(const CArkRichText&) = delete;
    CArkRichText& operator=(const CArkRichText&) = delete;

    // Appends the atoms of the string at the pen; returns the bytes consumed (a code or a lead byte cut
    // off by the end of the string is left unconsumed).
    int ParseText(IArkRichOwner* pOwner, const char* szText);
    // One code; p points at the byte after '#'. Bytes consumed after the '#', 0 for an unknown code,
    // -1 at the end of the string.
    int ParseCode(IArkRichOwner* pOwner, const char* p);
    void AddChar(IArkRichOwner* pOwner, uint32_t uChar);
    void NewLine(IArkRichOwner* pOwner, bool bWrap);
    void FinishLine(IArkRichOwner* pOwner, bool bWrap);
    void ModifyPosByLineYAlign();
    void SetFont(const char* szFace, int nSize, int nAdvance, bool bMeasured);
    int64_t RegisterLink(int nType, const std::string& strData);
    // Empties atoms and links and resets pen and style; bKeepEdge keeps the edge colour.
    void Clear(bool bKeepEdge = false);

    // ---- owner settings ----
    void SetDefaultFlags(uint32_t u) { m_uDefaultFlags = u; }
    uint32_t GetDefaultFlags() const { return m_uDefaultFlags; }
    void SetDefaultColour(uint32_t u) { m_uDefaultColour = u; }
    void SetWrapWidth(int n) { m_nWrapWidth = n; }
    int GetWrapWidth() const { return m_nWrapWidth; }
    void SetParagraphIndent(int nHalfChars) { m_nParaIndent = nHalfChars; }
    void SetEdgeColour(uint32_t u) { m_style.uEdge = u; }

    // ---- results ----
    const std::vector<std::unique_ptr<CAtom>>& GetAtoms() const { return m_vecAtoms; }
    // The first atom in list order whose box holds the point (text coordinates), or null.
    CAtom* HitTest(int nX, int nY) const;
    int GetContentWidth() const { return m_nContentWidth; }
    int GetContentHeight() const { return std::max(m_nPenY + m_nLineHeight, m_nNextLineFloor); }
    int GetPenX() const { return m_nPenX; }
    int GetPenY() const { return m_nPenY; }
    int GetLineHeight() const { return m_nLineHeight; }
    int GetLineCount() const { return m_nLine + 1; }
    const ArkRichStyle& GetStyle() const { return m_style; }
    uint32_t GetFlags() const { return m_style.uFlags; }
    int64_t GetLinkId() const { return m_nLinkId; }
    // The (type, data) of a registered link; false for an unknown id.
    bool FindLink(int64_t nId, int& nType, std::string& strData) const;
    size_t GetLinkCount() const { return m_mapLinks.size(); }

private:
    struct Block {
        int nX, nY, nMaxX;
        int nLineHeight;  // of the line the block opened on, before the block
    };

    bool HasFlag(int nFlag) const { return (m_style.uFlags & ArkRichFlag(nFlag)) != 0; }
    int LineStartX() const { return m_vecBlocks.empty() ? 0 : m_vecBlocks.back().nX; }
    // Setters that mark the style changed only when the value changes.
    template <class T>
    void Change(T& field, const T& value) {
        if (field == value) return;
        field = value;
        m_bStyleChanged = true;
    }
    void SetLink(int64_t nId, int32_t nP1, int32_t nP2);
    void SetFlag(int nFlag, bool bOn);
    void ResetStyle();
    void StartRun(IArkRichOwner* pOwner, uint32_t uChar, int nAdvance, bool bAfterWrap);
    // The height of a line holding text of the current font.
    int TextLineHeight(IArkRichOwner* pOwner) const;
    void AddCharRightToLeft(IArkRichOwner* pOwner, uint32_t uChar, int nAdvance);
    void AppendChar(std::string& str, uint32_t uChar, bool bFront) const;
    void AddIconAtom(IArkRichOwner* pOwner, std::unique_ptr<CAtom> pAtom, int nNumber);
    void OpenBlock();
    void CloseBlock(IArkRichOwner* pOwner);
    // Code handlers (ParseCode's table); each returns the bytes consumed after the '#'.
    int ParseAlign(const char* p);
    int ParseHexColour(const char* p, bool bUpper);
    int ParseTextColour(const char* p);
    int ParseLinkCode(const char* p);
    int ParseFontCode(const char* p);
    int ParseRegexCode(IArkRichOwner* pOwner, const char* p);
    int ParseFlagCode(IArkRichOwner* pOwner, const char* p);

    std::vector<std::unique_ptr<CAtom>> m_vecAtoms;
    ArkRichStyle m_style;
    std::vector<ArkRichStyle> m_vecStyleStack;
    int64_t m_nLinkId = ARK_RICH_NO_LINK;
    int32_t m_nLinkParam1 = 1;
    int32_t m_nLinkParam2 = 0;
    uint32_t m_uDefaultFlags = 0;
    uint32_t m_uDefaultColour = ARK_RICH_DEFAULT_COLOUR;

    int m_nPenX = 0;
    int m_nPenY = 0;
    int m_nWrapWidth = 300;
    int m_nLineHeight = 0;
    int m_nContentWidth = 0;
    int m_nLineSpacing = 0;
    int m_nPendingIndent = 0;
    int m_nParaIndent = 0;
    int m_nLine = 0;
    bool m_bRightToLeft = false;
    size_t m_uRtlFirstAtom = 0;   // the first atom inserted since #AlignRight
    int m_nRtlRight = 0;          // the right edge the inserted text keeps
    int m_nNextLineFloor = 0;     // a closed block's bottom: the next line starts no higher
    CText* m_pRun = nullptr;
    bool m_bStyleChanged = true;
    std::vector<Block> m_vecBlocks;

    // Where the terminators of the link codes were last looked for and found (null: none to the end),
    // so that a text full of unterminated codes is scanned once, not once per code.
    struct TerminatorSeen {
        const char* pFrom = nullptr;
        const char* pFound = nullptr;
    };
    const char* FindTerminator(int nSlot, const char* pFrom, const char* szNeedle);
    TerminatorSeen m_aSeen[6];

    std::map<int64_t, std::pair<int, std::string>> m_mapLinks;
    int64_t m_nNextLinkId = 1;
    const char* m_pEnd = nullptr;  // the end of the string ParseText is working on
};

}  // namespace ArkGui
