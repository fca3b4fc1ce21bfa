// CArkTipWnd and the tip placement rule.
#include "KX_GUI/ArkTipWnd.h"

#include <algorithm>

#include "KX_GUI/ArkGUIManager.h"

namespace ArkGui {

void CArkTipWnd::SetAnchor(CArkWnd* pAnchor, int nMode) {
    m_pAnchor = pAnchor;
    m_nAnchorMode = nMode;
}

CArkWnd* CArkTipWnd::GetAnchor() const {
    return m_pManager && m_pManager->IsLive(m_pAnchor) ? m_pAnchor : nullptr;
}

void CArkTipWnd::ShowAt(const KXRenderer::KXRectI& rc) {
    SetRect(rc);
    Show(true);
    BringToFront();
}

KXRenderer::KXRectI ArkPlaceTip(int nCursorX, int nCursorY, int nWidth, int nHeight, int nHoveredTop, bool bBelow,
                                int nRootWidth, int nRootHeight) {
    int nTop = (bBelow || nHoveredTop < nRootHeight / 2 - 10) ? nCursorY + 26 : nCursorY - nHeight - 16;
    int nLeft = nCursorX - nWidth / 2;
    nLeft = std::max(0, std::min(nLeft, nRootWidth - nWidth));
    nTop = std::max(0, std::min(nTop, nRootHeight - nHeight));
    return {nLeft, nTop, nLeft + nWidth, nTop + nHeight};
}

}  // namespace ArkGui
