// Gallery images: gradients with rounded corners, and a frame cut into nine pieces.
#include "ArkGallery_Textures.h"

#include <algorithm>
#include <vector>

namespace ArkGallery {

namespace {

uint32_t Mix(uint32_t a, uint32_t b, float t) {
    auto ch = [&](int s) {
        float x = static_cast<float>((a >> s) & 0xFF), y = static_cast<float>((b >> s) & 0xFF);
        return static_cast<uint32_t>(x + (y - x) * t + 0.5f) << s;
    };
    return ch(24) | ch(16) | ch(8) | ch(0);
}

bool OutsideCorner(int x, int y, int w, int h, int r) {
    int cx = x < r ? r : (x >= w - r ? w - r - 1 : x);
    int cy = y < r ? r : (y >= h - r ? h - r - 1 : y);
    int dx = x - cx, dy = y - cy;
    return dx * dx + dy * dy > r * r;
}

}  // namespace

std::shared_ptr<KXRenderer::CKXTexture> MakePanel(KXRenderer::IKXRenderer& renderer, int nW, int nH, uint32_t uTop,
                                                  uint32_t uBottom, int nRadius) {
    std::vector<uint32_t> px(static_cast<size_t>(nW) * static_cast<size_t>(nH));
    for (int y = 0; y < nH; ++y) {
        uint32_t c = Mix(uTop, uBottom, nH > 1 ? static_cast<float>(y) / static_cast<float>(nH - 1) : 0.0f);
        for (int x = 0; x < nW; ++x) {
            px[static_cast<size_t>(y) * nW + x] = OutsideCorner(x, y, nW, nH, nRadius) ? 0u : c;
        }
    }
    return renderer.CreateTexture(nW, nH, px.data());
}

ArkGui::ArkTextureList MakeFramePieces(KXRenderer::IKXRenderer& renderer) {
    // A 24 x 24 bevelled square, cut at 8 and 16.
    constexpr int kSize = 24, kCut = 8;
    std::vector<uint32_t> full(kSize * kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            int nEdge = std::min(std::min(x, y), std::min(kSize - 1 - x, kSize - 1 - y));
            uint32_t c = nEdge < 2 ? 0xFFC8A050u : (nEdge < kCut ? 0xFF6B5530u : 0xE0303848u);
            full[static_cast<size_t>(y) * kSize + x] = c;
        }
    }
    ArkGui::ArkTextureList pieces;
    const int cuts[4] = {0, kCut, kSize - kCut, kSize};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            int w = cuts[col + 1] - cuts[col], h = cuts[row + 1] - cuts[row];
            std::vector<uint32_t> px(static_cast<size_t>(w * h));
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) px[static_cast<size_t>(y * w + x)] = full[static_cast<size_t>((cuts[row] + y) * kSize + cuts[col] + x)];
            }
            pieces.push_back(renderer.CreateTexture(w, h, px.data()));
        }
    }
    return pieces;
}

}  // namespace ArkGallery
