// CArkWnd: hit-testing of one window and of a subtree, and the shape mask of shaped windows.
#include "KX_GUI/ArkWnd.h"

#include <algorithm>
#include <cmath>

#include "KX_Kernal/logger/KXKernal_Logger.h"

namespace ArkGui {

bool CArkWnd::PtInWindow(int nX, int nY, bool bWheel) {
    if ((m_uStyle & ARK_STYLE_CLIP_PARENT) && m_pParent && !m_pParent->PtInWindow(nX, nY, false)) return false;
    int nLx = nX - m_nX;
    int nLy = nY - m_nY;
    if (m_bHasHitRect) {
        float fx = static_cast<float>(nLx), fy = static_cast<float>(nLy);
        if (!(fx >= m_fHitLeft && fx < m_fHitRight && fy >= m_fHitTop && fy < m_fHitBottom)) return false;
    }
    if ((m_uStyle & ARK_STYLE_SHAPED) && !bWheel) return !HitTestMask(nLx, nLy);
    if (m_nType == ARK_WND_ROOT && bWheel) return false;
    if (!(m_uStyle & ARK_STYLE_QUAD_HIT)) {
        // Both edges count: a window of width w answers for w + 1 columns.
        return nLx >= 0 && nLx <= m_nWidth && nLy >= 0 && nLy <= m_nHeight;
    }
    return m_layerBase.Contains(static_cast<float>(nLx), static_cast<float>(nLy));
}

CArkWnd* CArkWnd::HitTest(int nX, int nY, uint8_t uHitTestable, bool bWheel) {
    for (CArkWnd* pChild = m_pFirstChild; pChild; pChild = pChild->m_pNext) {
        if (pChild->m_pParent && !pChild->m_pParent->m_bVisible) continue;
        if (!pChild->m_bVisible) continue;
        CArkWnd* pHit = pChild->HitTest(nX, nY, uHitTestable, bWheel);
        if (!pHit) continue;
        if (pHit->m_nType == ARK_WND_CURSOR || pHit->m_nType == ARK_WND_NAMEBOARD) continue;
        if (pHit->m_uHitTestable != uHitTestable) continue;
        return pHit;
    }
    return PtInWindow(nX, nY, bWheel) ? this : nullptr;
}

bool CArkWnd::HitTestMask(int nX, int nY) const {
    if (m_vecMask.empty() || nX < 0 || nY < 0 || nX >= m_nWidth || nY >= m_nHeight) return true;
    size_t uRow = static_cast<size_t>(m_nWidth / 8 + 1);
    size_t uIndex = static_cast<size_t>(nY) * uRow + static_cast<size_t>(nX / 8);
    return (m_vecMask[uIndex] >> (nX % 8)) & 1;
}

void CArkWnd::BuildShapeMask() {
    m_vecMask.clear();
    if (!(m_uStyle & ARK_STYLE_SHAPED) || m_nWidth <= 0 || m_nHeight <= 0) return;
    size_t uRow = static_cast<size_t>(m_nWidth / 8 + 1);
    // Transparent until a texel of the background says otherwise.
    m_vecMask.assign(uRow * static_cast<size_t>(m_nHeight), 0xFF);
    for (const ArkQuad& quad : m_layerEnabled.vecQuads) {
        if (!quad.pTexture) continue;
        const uint32_t* pPixels = quad.pTexture->LockPixels();
        if (!pPixels) {
            ArkLog(WL_ERROR, M_UI, "LockRect failed.\n");
            return;
        }
        int nTexW = quad.pTexture->GetWidth();
        int nTexH = quad.pTexture->GetHeight();
        int nSrcX = static_cast<int>(quad.rcSource.fLeft);
        int nSrcY = static_cast<int>(quad.rcSource.fTop);
        int nDstX = static_cast<int>(std::lround(quad.rcDest.fLeft));
        int nDstY = static_cast<int>(std::lround(quad.rcDest.fTop));
        int nQuadW = static_cast<int>(quad.rcSource.Width());
        int nQuadH = static_cast<int>(quad.rcSource.Height());
        for (int j = 0; j < nQuadH; ++j) {
            int y = nDstY + j, ty = nSrcY + j;
            if (y < 0 || y >= m_nHeight || ty < 0 || ty >= nTexH) continue;
            for (int i = 0; i < nQuadW; ++i) {
                int x = nDstX + i, tx = nSrcX + i;
                if (x < 0 || x >= m_nWidth || tx < 0 || tx >= nTexW) continue;
                uint32_t uAlpha = pPixels[static_cast<size_t>(ty) * static_cast<size_t>(nTexW) + static_cast<size_t>(tx)] >> 24;
                uint8_t& uByte = m_vecMask[static_cast<size_t>(y) * uRow + static_cast<size_t>(x / 8)];
                uint8_t uBit = static_cast<uint8_t>(1u << (x % 8));
                if (uAlpha <= 63) uByte |= uBit; else uByte &= static_cast<uint8_t>(~uBit);
            }
        }
    }
}

}  // namespace ArkGui
