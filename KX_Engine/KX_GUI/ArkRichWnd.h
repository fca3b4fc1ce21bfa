// CArkRichWnd: a window that shows a marked-up text (CArkRichText) with a vertical scroll bar, link
// clicks routed to its owner, hover colours, blinking, underline and strike-through.
//
// Style bits read here (the low bits of the window style word):
//   0x1    after every text change the height follows the content (at least the font height, plus 10
//          when any of 0xF0 is set);
//   0x2    with a bit of 0xF0 and one of 0xF00 also set, a frame of 0xFFF8C830 is drawn 2 pixels inside;
//   0xF0   the mouse is taken 5 pixels higher;
//   0xF00  the window has a scroll bar 10 pixels wide on its right; the text wraps 10 pixels short of
//          the right edge and the mouse is taken 5 pixels further left.
//
// Links: a button press on an atom with a link stores (id, kind, parameter) in the link record and, by
// the kind (the first link parameter), tells the parent: kind 1 sends 1537 (left) or 1539 (right) with
// the record's address and (y << 16) | x of the press; kind 2 sends 1540 or 1541 with the record and the
// second parameter; kind 4 calls the callback registered for the link id with the second parameter
// (left only); kind 8 sends 1542 with the record and the second parameter (left only). The owner finds
// the link's type and data with GetRichText().FindLink(id, ...).
//
// Images by number: icon N (#N, #I) is the texture given with SetIconImage(N, ...) or else the GUI
// image file "interface/richtext/icon%03d.png"; button N (#X, #Z) is SetButtonImage(N, ...) or
// "interface/richtext/btn%03d.png", a strip of three equal frames side by side: normal, hovered,
// pressed. An image that cannot be loaded is tried once; its atom keeps a 16 x 16 (button 48 x 20) box
// and is drawn as a grey placeholder.
//
// Layout flags 4 and 10 make the whole window take the mouse (elsewhere only links do). Selecting text
// with the mouse under flag 4 is not done here: no window of the program turns it on.
//
// Bounded mode (SetBounded): the text buffer keeps at most the capacity (plus 200 bytes of slack, as
// reserved room). An append that would pass the capacity first drops the old text up to the first "#r"
// at or after (new total length - three quarters of the capacity).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "KX_GUI/ArkRichText.h"
#include "KX_GUI/ArkScrollBar.h"
#include "KX_GUI/ArkWnd.h"

namespace KXRenderer {
class CKXTexture;
}

namespace ArkGui {

constexpr uint32_t ARK_RICH_AUTO_HEIGHT = 0x1;
constexpr uint32_t ARK_RICH_FRAME = 0x2;
constexpr uint32_t ARK_RICH_MOUSE_UP = 0xF0;
constexpr uint32_t ARK_RICH_SCROLLBAR = 0xF00;

// Messages to the owner for link presses.
constexpr uint32_t ARK_NOTIFY_LINK_LEFT = 1537;
constexpr uint32_t ARK_NOTIFY_LINK_RIGHT = 1539;
constexpr uint32_t ARK_NOTIFY_LINK_PARAM_LEFT = 1540;
constexpr uint32_t ARK_NOTIFY_LINK_PARAM_RIGHT = 1541;
constexpr uint32_t ARK_NOTIFY_LINK_KIND8 = 1542;

// What the last link press hit; 1537..1542 carry its address.
struct ArkLinkRecord {
    int64_t nLinkId = ARK_RICH_NO_LINK;
    int32_t nParam1 = 1;
    int32_t nParam2 = 0;
};

class CArkRichWnd : public CArkWnd, private IArkRichOwner {
public:
    static constexpr int kScrollBarWidth = 10;
    static constexpr size_t kBoundedSlack = 200;

    CArkRichWnd();
    ~CArkRichWnd() override;

    const char* GetClassName() const override;
    int Create(const char* szCaption, uint32_t uStyle, int nX, int nY, int nWidth, int nHeight, CArkWnd* pParent,
               const char* szFontName = nullptr, int nFontSize = 12, intptr_t nUserData = 0) override;
    int Destroy() override;

    // ---- text ----
    const std::string& GetText() const override { return m_strText; }
    void SetText(const char* szText) override;
    // Lays out szText after the existing atoms. bScrollToEnd shows the end; else with bKeepPos the
    // scroll position becomes nPrevPos.
    void AppendText(const char* szText, bool bScrollToEnd, bool bKeepPos = false, int nPrevPos = 0);
    // 0 turns bounded mode off.
    void SetBounded(size_t uCapacity);
    CArkRichText& GetRichText() { return m_rich; }
    const CArkRichText& GetRichText() const { return m_rich; }
    // Layout flags a new text starts with.
    void SetDefaultFlags(uint32_t uFlags);
    void SetTallSmallIcons(bool b) { m_bTallSmallIcons = b; }

    // ---- images ----
    void SetIconImage(int nNumber, std::shared_ptr<KXRenderer::CKXTexture> pTexture);
    void SetButtonImage(int nNumber, std::shared_ptr<KXRenderer::CKXTexture> pTexture);

    // ---- links ----
    void SetLinkCallback(int64_t nLinkId, std::function<void(int32_t)> fn);
    const ArkLinkRecord& GetLinkRecord() const { return m_link; }

    // ---- scrolling ----
    CArkScrollBar* GetVScrollBar() { return m_pVScroll.get(); }
    int GetScrollPos() const { return m_nScrollY; }
    void SetScrollPos(int nPos);

    // ---- window ----
    // The scroll bar comes and goes with the 0xF00 bits, also when they are changed after Create.
    void SetStyle(uint32_t uStyle) override;
    void SetRect(const KXRenderer::KXRectI& rc, bool bFlag = true) override;
    void Update() override;
    void Render() override;
    void DrawCaption() override {}
    bool PtInWindow(int nX, int nY, bool bWheel) override;
    int OnLButtonDown(int nKeys, int nX, int nY) override;
    int OnLButtonUp(int nKeys, int nX, int nY) override;
    int OnRButtonDown(int nKeys, int nX, int nY) override;
    int OnMouseMove(int nKeys, int nX, int nY) override;
    bool OnMouseWheel(int nKeys, int nDelta, int nX, int nY) override;
    int OnNotify(CArkWnd* pChild, uint32_t uCode, intptr_t a, intptr_t b) override;

    // The atom under a window-relative point (after the mouse offsets and the scroll), or null.
    CAtom* AtomAtWindowPoint(int nX, int nY) const;
    // The font a run is measured and drawn with: the window's own for its own face, else the GUI font
    // table's entry for the face and size. Null without fonts.
    KXRenderer::CKXFont* ResolveFont(const ArkRichFont& font) const;

private:
    // IArkRichOwner
    int MeasureChar(const ArkRichFont& font, uint32_t uChar) override;
    int GetFontHeight() const override;
    int GetLineHeight(const ArkRichFont& font) override;
    int GetOwnerWidth() const override { return m_nWidth; }
    void GetImageSize(ArkAtomKind eKind, int nNumber, int& nWidth, int& nHeight) override;
    bool AllowsTallSmallIcons() const override { return m_bTallSmallIcons; }

    void Relayout();
    void AfterTextChange();
    void CreateScrollBar();
    void PlaceScrollBar();
    int WrapWidth() const;
    std::shared_ptr<KXRenderer::CKXTexture> ResolveImage(ArkAtomKind eKind, int nNumber);
    int OnLinkButton(bool bRight, int nX, int nY);
    void SetHovered(const CAtom* pAtom);
    // Drawing, one atom kind each (ArkRichWnd_Render.cpp).
    void DrawTextAtom(const CText& run, float fX, float fY);
    // The blink's brightness step now; when it changed, marks the blinking runs in view.
    void UpdateBlink();
    void DrawImageAtom(const CAtom& atom, float fX, float fY);
    void DrawFrame();

    CArkRichText m_rich;
    std::string m_strText;
    // The edge colour the text was set with: laying the same text out again starts from it, not from
    // the edge colour its last #e left behind.
    uint32_t m_uTextEdge = 0;
    std::unique_ptr<CArkScrollBar> m_pVScroll;
    int m_nScrollY = 0;
    size_t m_uCapacity = 0;
    bool m_bTallSmallIcons = false;
    uint32_t m_uBlinkStart = 0;
    int m_nBlinkStep = -1;  // the brightness of blinking runs in eighths (4..8); -1 before the first Update
    ArkLinkRecord m_link;
    std::map<int64_t, std::function<void(int32_t)>> m_mapCallbacks;
    std::map<int, std::shared_ptr<KXRenderer::CKXTexture>> m_mapIcons;    // null: tried, not loadable
    std::map<int, std::shared_ptr<KXRenderer::CKXTexture>> m_mapButtons;
    const CAtom* m_pPressed = nullptr;  // the button atom under a held left button
};

}  // namespace ArkGui
