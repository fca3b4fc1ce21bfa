// CArkWnd: drawing a window, its caption and its subtree through the manager's renderer.
#include <algorithm>

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkWnd.h"
#include "KX_Renderer/KXRenderer.h"

namespace ArkGui {

void CArkWnd::DrawLayer(const ArkImageLayer& layer, const KXRenderer::KXRectI* pClip) {
    KXRenderer::IKXRenderer* pRenderer = m_pManager ? m_pManager->GetRenderer() : nullptr;
    if (!pRenderer || layer.IsEmpty()) return;
    if (pClip) pRenderer->PushClipRect(*pClip);
    float fX = static_cast<float>(m_nX), fY = static_cast<float>(m_nY);
    for (const ArkQuad& q : layer.vecQuads) {
        KXRenderer::KXRectF rc{q.rcDest.fLeft + fX, q.rcDest.fTop + fY, q.rcDest.fRight + fX, q.rcDest.fBottom + fY};
        if (q.pTexture) {
            pRenderer->DrawTexturedQuad(q.pTexture.get(), q.rcSource, rc, q.uColour);
        } else {
            pRenderer->DrawSolidQuad(rc, q.uColour);
        }
    }
    if (pClip) pRenderer->PopClipRect();
}

void CArkWnd::GetCaptionOrigin(int, float& fX, float& fY) const {
    KXRenderer::CKXFont* pFont = GetFont();
    int nLine = pFont ? pFont->GetLineHeight() : 0;
    fX = static_cast<float>(m_nX + 2);
    fY = static_cast<float>(m_nY + (m_nHeight - nLine) / 2);
}

void CArkWnd::DrawText(const char* szText, uint32_t uTextColour, uint32_t uEdgeColour) {
    KXRenderer::IKXRenderer* pRenderer = m_pManager ? m_pManager->GetRenderer() : nullptr;
    KXRenderer::CKXFont* pFont = GetFont();
    if (!pRenderer || !pFont || !szText || !*szText) return;
    float fX = 0, fY = 0;
    GetCaptionOrigin(pFont->MeasureText(szText), fX, fY);
    bool bClip = (m_uStyle & ARK_STYLE_CLIP_PARENT) != 0;
    if (bClip) pRenderer->PushClipRect(ClipRect());
    if (m_nEdgeMode == 1 && (uEdgeColour >> 24) != 0) {
        pRenderer->DrawText(pFont, szText, -1, fX + 1.0f, fY + 1.0f, uEdgeColour, 0);
        pRenderer->DrawText(pFont, szText, -1, fX, fY, uTextColour, 0);
    } else {
        pRenderer->DrawText(pFont, szText, -1, fX, fY, uTextColour, m_nEdgeMode == 2 ? 0 : uEdgeColour);
    }
    if (bClip) pRenderer->PopClipRect();
}

int CArkWnd::MeasureText(const char* szText, int nLen) const {
    KXRenderer::CKXFont* pFont = GetFont();
    return (pFont && szText) ? pFont->MeasureText(szText, nLen) : 0;
}

KXRenderer::KXRectI CArkWnd::ClipRect() const {
    KXRenderer::KXRectI rc = GetRect();
    if ((m_uStyle & ARK_STYLE_CLIP_PARENT) && m_pParent) {
        KXRenderer::KXRectI rp = m_pParent->GetRect();
        rc.nLeft = std::max(rc.nLeft, rp.nLeft);
        rc.nTop = std::max(rc.nTop, rp.nTop);
        rc.nRight = std::min(rc.nRight, rp.nRight);
        rc.nBottom = std::min(rc.nBottom, rp.nBottom);
    }
    return rc;
}

const ArkImageLayer& CArkWnd::CurrentBackground() const { return IsEnabled() ? m_layerEnabled : m_layerDisabled; }

void CArkWnd::Render() {
    KXRenderer::KXRectI rcClip = ClipRect();
    const KXRenderer::KXRectI* pClip = (m_uStyle & ARK_STYLE_CLIP_PARENT) ? &rcClip : nullptr;
    if (!m_decoration.IsEmpty()) {
        DrawLayer(m_decoration, pClip);
        return;
    }
    DrawLayer(CurrentBackground(), pClip);
}

void CArkWnd::DrawCaption() {
    if (m_strCaption.empty()) return;
    const bool bEnabled = IsEnabled();
    const bool bNormal = bEnabled || m_bForceShowText;
    uint32_t uText = bNormal ? m_uTextColour : m_uTextColourDisabled;
    uint32_t uEdge = bNormal ? m_uEdgeColour : m_uEdgeColourDisabled;
    // The mouse-down colours while the window holds the mouse focus, the mouse-over ones while it is the
    // window under the cursor; a colour never set keeps the enabled one.
    constexpr uint32_t kUnset = 0xFFFFFFFFu;
    if (bEnabled && m_bFocus) {
        if (m_uTextColourDown != kUnset) uText = m_uTextColourDown;
        if (m_uEdgeColourDown != kUnset) uEdge = m_uEdgeColourDown;
    } else if (bEnabled && m_pManager && m_pManager->GetHoveredWnd() == this) {
        if (m_uTextColourOver != kUnset) uText = m_uTextColourOver;
        if (m_uEdgeColourOver != kUnset) uEdge = m_uEdgeColourOver;
    }
    DrawText(m_strCaption.c_str(), uText, uEdge);
}

void CArkWnd::BeforeChildren() {}

void CArkWnd::AfterChildren() {
    if (m_dGroupOpacity > 0.0 && m_pManager) m_pManager->EndGroup(m_dGroupOpacity);
}

void CArkWnd::Update() {}

void CArkWnd::RenderTree() {
    if (!m_bVisible) return;
    // A window with group opacity draws itself and its children off-screen; AfterChildren composites.
    if (m_dGroupOpacity > 0.0 && m_pManager) m_pManager->BeginGroup();
    if (m_pParent) {
        Render();
        DrawCaption();
    }
    BeforeChildren();
    // The first child is the front-most, so it is drawn last.
    for (CArkWnd* pChild = m_pLastChild; pChild;) {
        CArkWnd* pPrev = pChild->m_pPrev;
        if (!(pChild->m_uStyle & ARK_STYLE_MODAL) && !pChild->m_uExcludeFromDrawing) pChild->RenderTree();
        pChild = pPrev;
    }
    AfterChildren();
}

}  // namespace ArkGui
