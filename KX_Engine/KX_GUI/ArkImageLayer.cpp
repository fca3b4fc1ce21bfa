// Building and measuring image layers.
#include "KX_GUI/ArkImageLayer.h"

#include <algorithm>

namespace ArkGui {

void ArkImageLayer::AddImage(std::shared_ptr<KXRenderer::CKXTexture> pTexture, float fX, float fY, uint32_t uColour) {
    if (!pTexture) return;
    KXRenderer::KXRectF rc{fX, fY, fX + static_cast<float>(pTexture->GetWidth()),
                           fY + static_cast<float>(pTexture->GetHeight())};
    AddStretched(std::move(pTexture), rc, uColour);
}

void ArkImageLayer::AddStretched(std::shared_ptr<KXRenderer::CKXTexture> pTexture, const KXRenderer::KXRectF& rcDest,
                                 uint32_t uColour) {
    if (!pTexture) return;
    ArkQuad quad;
    quad.strImage = pTexture->GetName();
    quad.rcSource = {0.0f, 0.0f, static_cast<float>(pTexture->GetWidth()), static_cast<float>(pTexture->GetHeight())};
    quad.rcDest = rcDest;
    quad.uColour = uColour;
    quad.pTexture = std::move(pTexture);
    vecQuads.push_back(std::move(quad));
}

void ArkImageLayer::AddSolid(const KXRenderer::KXRectF& rcDest, uint32_t uColour) {
    ArkQuad quad;
    quad.rcDest = rcDest;
    quad.uColour = uColour;
    vecQuads.push_back(std::move(quad));
}

KXRenderer::KXRectF ArkImageLayer::Bounds() const {
    KXRenderer::KXRectF rc;
    bool bFirst = true;
    for (const ArkQuad& q : vecQuads) {
        if (bFirst) {
            rc = q.rcDest;
            bFirst = false;
            continue;
        }
        rc.fLeft = std::min(rc.fLeft, q.rcDest.fLeft);
        rc.fTop = std::min(rc.fTop, q.rcDest.fTop);
        rc.fRight = std::max(rc.fRight, q.rcDest.fRight);
        rc.fBottom = std::max(rc.fBottom, q.rcDest.fBottom);
    }
    return rc;
}

bool ArkImageLayer::Contains(float fX, float fY) const {
    for (const ArkQuad& q : vecQuads) {
        if (fX >= q.rcDest.fLeft && fX < q.rcDest.fRight && fY >= q.rcDest.fTop && fY < q.rcDest.fBottom) return true;
    }
    return false;
}

}  // namespace ArkGui
