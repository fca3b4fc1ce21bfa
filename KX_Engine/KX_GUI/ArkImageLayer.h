// An image layer of a window: the textured quads it draws, placed relative to the window's corner.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "KX_Renderer/KXRenderer_Types.h"
#include "KX_Renderer/KXTexture.h"

namespace ArkGui {

struct ArkQuad {
    std::string strImage;                                // the name the texture was loaded by
    std::shared_ptr<KXRenderer::CKXTexture> pTexture;    // null: a solid quad of uColour
    KXRenderer::KXRectF rcSource;                        // texels
    KXRenderer::KXRectF rcDest;                          // GUI pixels, relative to the window's top-left corner
    uint32_t uColour = 0xFFFFFFFFu;                      // ARGB modulation
};

struct ArkImageLayer {
    std::vector<ArkQuad> vecQuads;

    bool IsEmpty() const { return vecQuads.empty(); }
    void Clear() { vecQuads.clear(); }
    // A quad showing the whole texture at its own size with its corner at (fX, fY).
    void AddImage(std::shared_ptr<KXRenderer::CKXTexture> pTexture, float fX, float fY, uint32_t uColour = 0xFFFFFFFFu);
    // A quad showing the whole texture stretched over rcDest.
    void AddStretched(std::shared_ptr<KXRenderer::CKXTexture> pTexture, const KXRenderer::KXRectF& rcDest,
                      uint32_t uColour = 0xFFFFFFFFu);
    void AddSolid(const KXRenderer::KXRectF& rcDest, uint32_t uColour);
    // The union of the quads' destinations; an empty rectangle when the layer has none.
    KXRenderer::KXRectF Bounds() const;
    // True when the window-relative point lies in one of the quads (left/top inclusive, right/bottom not).
    bool Contains(float fX, float fY) const;
};

}  // namespace ArkGui
