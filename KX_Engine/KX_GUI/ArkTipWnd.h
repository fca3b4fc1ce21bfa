// CArkTipWnd: what the toolkit asks of the window that shows tooltips, and where a tip goes.
//
// The GUI manager holds one tip window (and one bind window, anchored to the tip) given by the program.
// When the cursor comes to rest on a window with a tooltip text, the manager hands the text to the tip,
// lets it lay the text out, and places it beside the cursor with ArkPlaceTip.
#pragma once

#include "KX_GUI/ArkWnd.h"

namespace ArkGui {

class CArkTipWnd : public CArkWnd {
public:
    // Takes the text (rich-text markup allowed) and lays it out; the window's size is then the tip's.
    virtual void ShowTip(const char* szText) = 0;
    virtual void ClearTip() = 0;

    // The window the tip belongs to: while the anchor is hidden the tip hides too. Null for none.
    void SetAnchor(CArkWnd* pAnchor, int nMode);
    CArkWnd* GetAnchor() const;
    int GetAnchorMode() const { return m_nAnchorMode; }
    // Moves the tip to rc (absolute), shows it and puts it in front of the other top-level windows.
    void ShowAt(const KXRenderer::KXRectI& rc);

protected:
    CArkWnd* m_pAnchor = nullptr;  // compared with the live set before use: it may be freed any time
    int m_nAnchorMode = 0;
};

// The rectangle of a tip of nWidth x nHeight for the cursor at (nCursorX, nCursorY), all in GUI pixels.
// Below the cursor (cursor y + 26) when the hovered window's top lies in the upper half of the root (less
// than half its height minus 10) or bBelow asks for it, else above (cursor y - height - 16); centred on the
// cursor's x; then kept inside the root: left in [0, root width - width], top in [0, root height - height].
KXRenderer::KXRectI ArkPlaceTip(int nCursorX, int nCursorY, int nWidth, int nHeight, int nHoveredTop, bool bBelow,
                                int nRootWidth, int nRootHeight);

}  // namespace ArkGui
