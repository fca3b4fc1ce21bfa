// Images for the gallery, made in code: rounded gradient panels and the nine frame pieces.
#pragma once

#include <cstdint>
#include <memory>

#include "KX_GUI/ArkDecorateWnd.h"
#include "KX_Renderer/KXRenderer.h"

namespace ArkGallery {

// A vertical gradient from uTop to uBottom with corners of radius nRadius cut out (alpha 0).
std::shared_ptr<KXRenderer::CKXTexture> MakePanel(KXRenderer::IKXRenderer& renderer, int nW, int nH, uint32_t uTop,
                                                  uint32_t uBottom, int nRadius);
// Nine pieces of a bevelled frame with 8-pixel borders.
ArkGui::ArkTextureList MakeFramePieces(KXRenderer::IKXRenderer& renderer);

}  // namespace ArkGallery
