// CArkButton: drawing the state backgrounds, the caption colours and the flash.
#include "KX_GUI/ArkButton.h"
#include "KX_GUI/ArkGUIManager.h"
#include "KX_Renderer/KXRenderer.h"

namespace ArkGui {

namespace {

constexpr uint32_t kUnset = 0xFFFFFFFFu;
constexpr uint32_t kFlashColour = 0x60FFFFFFu;

}  // namespace

const ArkImageLayer& CArkButton::StateBackground() const {
    if (IsPressed() && !m_layerDown.IsEmpty()) return m_layerDown;
    if (!IsPressed() && IsHovered() && !m_layerOver.IsEmpty()) return m_layerOver;
    return CurrentBackground();
}

void CArkButton::Render() {
    if (!m_pManager) return;
    KXRenderer::KXRectI rcClip = ClipRect();
    const KXRenderer::KXRectI* pClip = (m_uStyle & ARK_STYLE_CLIP_PARENT) ? &rcClip : nullptr;
    if (!m_decoration.IsEmpty()) DrawLayer(m_decoration, pClip); else DrawLayer(StateBackground(), pClip);
    // The flash blinks a highlight over the button, on for one period and off for the next.
    KXRenderer::IKXRenderer* pRenderer = m_pManager->GetRenderer();
    if (m_bFlashLit && pRenderer) {
        pRenderer->DrawSolidQuad({static_cast<float>(m_nX), static_cast<float>(m_nY), static_cast<float>(m_nX + m_nWidth),
                                  static_cast<float>(m_nY + m_nHeight)}, kFlashColour);
    }
}

void CArkButton::DrawCaption() {
    if (m_strCaption.empty()) return;
    bool bEnabled = IsEnabled() || m_bForceShowText;
    uint32_t uText = bEnabled ? m_uTextColour : m_uTextColourDisabled;
    uint32_t uEdge = bEnabled ? m_uEdgeColour : m_uEdgeColourDisabled;
    if (IsPressed()) {
        if (m_uDownText != kUnset) uText = m_uDownText;
        if (m_uDownEdge != kUnset) uEdge = m_uDownEdge;
    } else if (IsHovered()) {
        if (m_uOverText != kUnset) uText = m_uOverText;
        if (m_uOverEdge != kUnset) uEdge = m_uOverEdge;
    }
    DrawText(m_strCaption.c_str(), uText, uEdge);
}

void CArkButton::GetCaptionOrigin(int nTextWidth, float& fX, float& fY) const {
    CArkWnd::GetCaptionOrigin(nTextWidth, fX, fY);
    fX = static_cast<float>(m_nX + (m_nWidth - nTextWidth) / 2);
}

}  // namespace ArkGui
