// CArkRichWnd: drawing the atoms (backgrounds, text, blink, lines, icons, button states) and the frame.
#include "KX_GUI/ArkRichWnd.h"

#include <algorithm>
#include <cmath>

#include "KX_GUI/ArkGUIManager.h"
#include "KX_Renderer/KXFont.h"
#include "KX_Renderer/KXRenderer.h"

namespace ArkGui {

namespace {

constexpr uint32_t kFrameColour = 0xFFF8C830u;
constexpr int kFrameInset = 2;
constexpr uint32_t kPlaceholderColour = 0xFF808080u;
constexpr uint32_t kBlinkPeriodMs = 1000;
constexpr int kBlinkSteps = 8;
// Glyph outlines reach a pixel past their run.
constexpr int kBlinkMargin = 2;

// The pulse f = |((now - start) mod 1000) - 500| / 500 + 0.5, capped at 1, in eighths: a blinking
// text then changes eight times a second instead of every frame, and idles half the period.
int BlinkStep(uint32_t uElapsed) {
    const double dPhase = static_cast<double>(uElapsed % kBlinkPeriodMs);
    const double f = std::min(1.0, std::fabs(dPhase - 500.0) / 500.0 + 0.5);
    return static_cast<int>(std::lround(f * kBlinkSteps));
}

// Each of the four bytes times f (at most 1).
uint32_t ScaleColour(uint32_t uArgb, double f) {
    uint32_t uOut = 0;
    for (int nShift = 0; nShift <= 24; nShift += 8) {
        double d = static_cast<double>((uArgb >> nShift) & 0xFFu) * f;
        uOut |= (static_cast<uint32_t>(std::min(255.0, d)) & 0xFFu) << nShift;
    }
    return uOut;
}

}  // namespace

void CArkRichWnd::Render() {
    CArkWnd::Render();
    KXRenderer::IKXRenderer* pRenderer = m_pManager ? m_pManager->GetRenderer() : nullptr;
    if (!pRenderer) return;
    pRenderer->PushClipRect(ClipRect());
    if (m_nBlinkStep < 0) m_nBlinkStep = BlinkStep(m_pManager->GetTick() - m_uBlinkStart);
    const int nTop = m_nY - m_nScrollY;
    for (const auto& p : m_rich.GetAtoms()) {
        const CAtom& atom = *p;
        // Atoms wholly above or below the window are skipped without drawing.
        if (nTop + atom.nY + atom.nHeight < m_nY || nTop + atom.nY > m_nY + m_nHeight) continue;
        const float fX = static_cast<float>(m_nX + atom.nX);
        const float fY = static_cast<float>(nTop + atom.nY);
        if (atom.eKind == ArkAtomKind::Text) {
            DrawTextAtom(static_cast<const CText&>(atom), fX, fY);
        } else {
            DrawImageAtom(atom, fX, fY);
        }
    }
    pRenderer->PopClipRect();
    DrawFrame();
}

void CArkRichWnd::UpdateBlink() {
    if (!m_pManager) return;
    const int nStep = BlinkStep(m_pManager->GetTick() - m_uBlinkStart);
    if (nStep == m_nBlinkStep) return;
    m_nBlinkStep = nStep;
    const int nTop = m_nY - m_nScrollY;
    for (const auto& p : m_rich.GetAtoms()) {
        if (p->eKind != ArkAtomKind::Text || !static_cast<const CText&>(*p).bBlink) continue;
        KXRenderer::KXRectI rc{m_nX + p->nX - kBlinkMargin, nTop + p->nY - kBlinkMargin,
                               m_nX + p->nX + p->nWidth + kBlinkMargin, nTop + p->nY + p->nHeight + kBlinkMargin};
        // Only what shows in the window is drawn again.
        rc.nLeft = std::max(rc.nLeft, m_nX);
        rc.nTop = std::max(rc.nTop, m_nY);
        rc.nRight = std::min(rc.nRight, m_nX + m_nWidth);
        rc.nBottom = std::min(rc.nBottom, m_nY + m_nHeight);
        m_pManager->InvalidateRect(rc);
    }
}

void CArkRichWnd::DrawTextAtom(const CText& run, float fX, float fY) {
    KXRenderer::IKXRenderer* pRenderer = m_pManager->GetRenderer();
    const KXRenderer::KXRectF rcRun{fX, fY, fX + static_cast<float>(run.nWidth), fY + static_cast<float>(run.nHeight)};
    uint32_t uBack = run.uBack;
    if (run.bHovered && run.bHoverBack && run.uHoverBack) uBack = run.uHoverBack;
    if (uBack) pRenderer->DrawSolidQuad(rcRun, uBack);

    uint32_t uColour = run.uColour;
    if (run.bHovered && run.bHoverText && run.uHoverText) uColour = run.uHoverText;
    if (run.bBlink) uColour = ScaleColour(uColour, static_cast<double>(m_nBlinkStep) / kBlinkSteps);
    KXRenderer::CKXFont* pFont = ResolveFont(run.font);
    if (pFont) {
        pRenderer->DrawText(pFont, run.strText.data(), static_cast<int>(run.strText.size()), fX, fY, uColour, run.uEdge);
    }
    const float fSize = static_cast<float>(run.font.nSize);
    if (run.bUnderline) {
        const float fLine = fY + fSize + 1.0f;
        pRenderer->DrawSolidQuad({rcRun.fLeft, fLine, rcRun.fRight, fLine + 1.0f}, uColour);
    }
    if (run.bStrike) {
        const float fLine = fY + std::floor(fSize / 2.0f) + 1.0f;
        pRenderer->DrawSolidQuad({rcRun.fLeft, fLine, rcRun.fRight, fLine + 1.0f}, uColour);
    }
}

void CArkRichWnd::DrawImageAtom(const CAtom& atom, float fX, float fY) {
    KXRenderer::IKXRenderer* pRenderer = m_pManager->GetRenderer();
    const KXRenderer::KXRectF rcDest{fX, fY, fX + static_cast<float>(atom.nWidth), fY + static_cast<float>(atom.nHeight)};
    if (atom.bHovered && atom.bHoverBack && atom.uHoverBack) pRenderer->DrawSolidQuad(rcDest, atom.uHoverBack);
    const bool bButton = atom.eKind == ArkAtomKind::Btn;
    const int nNumber = bButton ? static_cast<const CBtn&>(atom).nButton : static_cast<const CIcon&>(atom).nIcon;
    std::shared_ptr<KXRenderer::CKXTexture> pTexture = ResolveImage(atom.eKind, nNumber);
    if (!pTexture) {
        pRenderer->DrawSolidQuad(rcDest, kPlaceholderColour);
        return;
    }
    KXRenderer::KXRectF rcSource{0, 0, static_cast<float>(pTexture->GetWidth()), static_cast<float>(pTexture->GetHeight())};
    if (bButton) {
        // Frames side by side: normal, hovered, pressed.
        const int nFrame = m_pPressed == &atom ? 2 : atom.bHovered ? 1 : 0;
        const float fFrameW = static_cast<float>(pTexture->GetWidth() / 3);
        rcSource.fLeft = fFrameW * static_cast<float>(nFrame);
        rcSource.fRight = rcSource.fLeft + fFrameW;
    }
    pRenderer->DrawTexturedQuad(pTexture.get(), rcSource, rcDest, 0xFFFFFFFFu);
}

void CArkRichWnd::DrawFrame() {
    if (!(m_uStyle & ARK_RICH_FRAME) || !(m_uStyle & ARK_RICH_MOUSE_UP) || !(m_uStyle & ARK_RICH_SCROLLBAR)) return;
    KXRenderer::IKXRenderer* pRenderer = m_pManager->GetRenderer();
    const float l = static_cast<float>(m_nX + kFrameInset), t = static_cast<float>(m_nY + kFrameInset);
    const float r = static_cast<float>(m_nX + m_nWidth - kFrameInset), b = static_cast<float>(m_nY + m_nHeight - kFrameInset);
    if (r - l < 2.0f || b - t < 2.0f) return;
    pRenderer->DrawSolidQuad({l, t, r, t + 1.0f}, kFrameColour);
    pRenderer->DrawSolidQuad({l, b - 1.0f, r, b}, kFrameColour);
    pRenderer->DrawSolidQuad({l, t + 1.0f, l + 1.0f, b - 1.0f}, kFrameColour);
    pRenderer->DrawSolidQuad({r - 1.0f, t + 1.0f, r, b - 1.0f}, kFrameColour);
}

}  // namespace ArkGui
