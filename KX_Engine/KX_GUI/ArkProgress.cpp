// CArkProgress: the bar's visible rectangle and its drawing order.
#include "KX_GUI/ArkProgress.h"

#include <cmath>

namespace ArkGui {

CArkProgress::CArkProgress() { m_nType = ARK_WND_PROGRESS; }

const char* CArkProgress::GetClassName() const { return "CArkProgress"; }

int CArkProgress::Create(const char* szCaption, uint32_t uStyle, int nX, int nY, int nWidth, int nHeight,
                         CArkWnd* pParent, const char* szFontName, int nFontSize, intptr_t nUserData) {
    int nResult = CArkWnd::Create(szCaption, uStyle | ARK_STYLE_ATTACHED | ARK_STYLE_CONTROL, nX, nY, nWidth, nHeight,
                                  pParent, szFontName, nFontSize, nUserData);
    m_dValue = 100.0;
    m_dMax = 100.0;
    return nResult;
}

void CArkProgress::SetValue(double dValue) {
    m_dValue = dValue;
    Invalidate();
}

void CArkProgress::SetMax(double dMax) {
    m_dMax = dMax;
    Invalidate();
}

void CArkProgress::SetVertical(bool b) {
    m_bVertical = b;
    Invalidate();
}

void CArkProgress::SetMinOnePixel(bool b) {
    m_bMinOnePixel = b;
    Invalidate();
}

ArkImageLayer* CArkProgress::GetLayer(uint32_t uKey) {
    if (ArkAttrKind(uKey) == 1 && ArkAttrStateOf(uKey) == ARK_ATTR_BAR) {
        Invalidate();  // handed out to be changed
        return &m_layerBar;
    }
    return CArkWnd::GetLayer(uKey);
}

bool CArkProgress::ComputeBarRect(KXRenderer::KXRectF& rc) const {
    if (!IsEnabled() || m_layerBar.IsEmpty() || m_dMax <= 0.0) return false;
    rc = m_layerBar.Bounds();
    double dFraction = m_dValue / m_dMax;
    double dLength = dFraction * (m_bVertical ? rc.Height() : rc.Width());
    // A small but non-zero value still shows one pixel.
    if (m_bMinOnePixel && dLength > 0.0 && dLength < 1.0) dLength = 1.0;
    // Whole pixels only: a bar shorter than one pixel draws nothing.
    float fLength = std::floor(static_cast<float>(dLength));
    if (fLength < 1.0f) return false;
    if (m_bVertical) {
        rc.fTop = rc.fBottom - fLength;
    } else {
        rc.fRight = rc.fLeft + fLength;
    }
    return true;
}

void CArkProgress::Render() {
    bool bOnTop = (m_uStyle & ARK_PROGRESS_BACKGROUND_ON_TOP) != 0;
    if (!bOnTop) DrawLayer(CurrentBackground(), nullptr);
    KXRenderer::KXRectF rc;
    if (ComputeBarRect(rc)) {
        KXRenderer::KXRectI rcClip{m_nX + static_cast<int>(std::lround(rc.fLeft)), m_nY + static_cast<int>(std::lround(rc.fTop)),
                                   m_nX + static_cast<int>(std::lround(rc.fRight)), m_nY + static_cast<int>(std::lround(rc.fBottom))};
        DrawLayer(m_layerBar, &rcClip);
    }
    if (bOnTop) DrawLayer(CurrentBackground(), nullptr);
}

}  // namespace ArkGui
