// The renderer over SDL_Renderer: GPU or software into a window, or software into a memory surface.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Renderer/KXRenderer.h"
#include "KX_Renderer/KXRenderer_SDL.h"
#include "KX_Renderer/KXRenderer_Image.h"
#include "KX_Renderer/KXRenderer_ReadFile.h"

namespace KXRenderer {

namespace {

// Every renderer generation gets its own number so that a texture never uses a device object made by
// a renderer that is gone or was reset.
std::atomic<uint64_t> g_uNextSerial{1};

SDL_Rect ToSdlRect(const KXRectI& rc) { return SDL_Rect{rc.nLeft, rc.nTop, rc.Width(), rc.Height()}; }

KXRectI Intersect(const KXRectI& a, const KXRectI& b) {
    KXRectI rc{std::max(a.nLeft, b.nLeft), std::max(a.nTop, b.nTop), std::min(a.nRight, b.nRight),
               std::min(a.nBottom, b.nBottom)};
    if (rc.IsEmpty()) rc = KXRectI{rc.nLeft, rc.nTop, rc.nLeft, rc.nTop};
    return rc;
}

void SetModulation(SDL_Texture* pTexture, uint32_t uArgb) {
    SDL_SetTextureColorMod(pTexture, static_cast<Uint8>(ArgbRed(uArgb)), static_cast<Uint8>(ArgbGreen(uArgb)),
                           static_cast<Uint8>(ArgbBlue(uArgb)));
    SDL_SetTextureAlphaMod(pTexture, static_cast<Uint8>(ArgbAlpha(uArgb)));
}

class CKXRenderer_SDL : public IKXRenderer {
public:
    // Takes ownership of pRenderer and of pSurface (the memory target, null for a window).
    CKXRenderer_SDL(SDL_Renderer* pRenderer, SDL_Surface* pSurface);
    ~CKXRenderer_SDL() override;

    int GetWidth() const override { return m_nWidth; }
    int GetHeight() const override { return m_nHeight; }
    std::string GetDeviceName() const override { return m_strDeviceName; }
    std::shared_ptr<CKXTexture> LoadTexture(const char* szName) override;
    std::shared_ptr<CKXTexture> CreateTexture(int nWidth, int nHeight, const uint32_t* pArgb) override;
    bool BeginFrame(uint32_t uClearArgb) override;
    bool KeepsFrame() const override { return m_bKeepsFrame; }
    bool BeginPartialFrame(uint32_t uClearArgb, const KXRectI& rc) override;
    void EndFrame() override;
    void Present() override;
    void DrawTexturedQuad(const CKXTexture* pTexture, const KXRectF& rcSource, const KXRectF& rcDest,
                          uint32_t uArgb) override;
    void DrawSolidQuad(const KXRectF& rcDest, uint32_t uArgb) override;
    void DrawText(CKXFont* pFont, const char* szGbk, int nLen, float fX, float fY, uint32_t uTextArgb,
                  uint32_t uEdgeArgb) override;
    void PushClipRect(const KXRectI& rc) override;
    void PopClipRect() override;
    KXRectI GetClipRect() const override;
    bool BeginOffscreen() override;
    void EndOffscreen(uint32_t uArgb) override;
    bool IsOffscreen() const override { return m_bOffscreen; }
    bool ReadFrame(std::vector<uint32_t>& vecArgb) override;
    bool SaveFramePng(const char* szPath) override;
    void ReleaseDeviceObjects() override;
    const KXRenderStats& GetStats() const override { return m_stats; }
    void ResetStats() override { m_stats = KXRenderStats(); }

private:
    // The device texture of pTexture, made or refreshed from its pixels when needed; null on failure.
    SDL_Texture* Prepare(const CKXTexture* pTexture);
    // Draws the glyph quads of m_vecGlyphs shifted by (fDx, fDy) in one colour; returns how many.
    size_t DrawGlyphs(float fDx, float fDy, uint32_t uArgb);
    // Hands the top of the clip stack to SDL (again after a change of render target, which resets it).
    void ApplyClip();
    // Starts a frame whose drawing is limited to rcBase; fills it with the clear colour.
    bool StartFrame(uint32_t uClearArgb, const KXRectI& rcBase);
    // False when rc lies wholly outside the current clip.
    bool Visible(const KXRectF& rc) const;
    std::shared_ptr<CKXTexture> MakeTexture(std::string strName, int nWidth, int nHeight, std::vector<uint32_t> vecArgb);

    SDL_Renderer* m_pRenderer;
    SDL_Surface* m_pSurface;
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::string m_strDeviceName;
    uint64_t m_uSerial;
    // Lives exactly as long as the SDL renderer: device-object deleters check it before freeing.
    std::shared_ptr<int> m_pAlive = std::make_shared<int>(0);
    std::map<std::string, std::weak_ptr<CKXTexture>> m_mapTextures;
    std::vector<KXRectI> m_vecClip;
    KXRectI m_rcBase;  // the frame's own clip: the whole target, or the part a partial frame redraws
    bool m_bKeepsFrame = false;
    bool m_bClipEmpty = false;
    SDL_Texture* m_pOffscreen = nullptr;
    bool m_bOffscreen = false;
    KXRenderStats m_stats;
    std::vector<KXGlyphQuad> m_vecGlyphs;
};

CKXRenderer_SDL::CKXRenderer_SDL(SDL_Renderer* pRenderer, SDL_Surface* pSurface)
    : m_pRenderer(pRenderer), m_pSurface(pSurface), m_uSerial(g_uNextSerial++) {
    SDL_GetRendererOutputSize(m_pRenderer, &m_nWidth, &m_nHeight);
    m_rcBase = KXRectI{0, 0, m_nWidth, m_nHeight};
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(m_pRenderer, &info) == 0) {
        if (info.name) m_strDeviceName = info.name;
        // The software rasteriser draws into a surface that outlives the frame; a GPU's back buffer
        // is undefined after a present.
        m_bKeepsFrame = m_pSurface != nullptr || (info.flags & SDL_RENDERER_SOFTWARE) != 0;
    }
}

CKXRenderer_SDL::~CKXRenderer_SDL() {
    // Textures that outlive us must not free their device objects: SDL frees them with the renderer.
    m_pAlive.reset();
    SDL_DestroyRenderer(m_pRenderer);
    if (m_pSurface) SDL_FreeSurface(m_pSurface);
}

std::shared_ptr<CKXTexture> CKXRenderer_SDL::MakeTexture(std::string strName, int nWidth, int nHeight,
                                                         std::vector<uint32_t> vecArgb) {
    return std::make_shared<CKXTexture>(std::move(strName), nWidth, nHeight, std::move(vecArgb));
}

std::shared_ptr<CKXTexture> CKXRenderer_SDL::LoadTexture(const char* szName) {
    static const char* const kTag = "KXRenderer::LoadTexture";
    if (!szName || !*szName) {
        ArkLog(WL_ERROR, M_Engine, "%s empty texture name", kTag);
        return nullptr;
    }
    auto it = m_mapTextures.find(szName);
    if (it != m_mapTextures.end()) {
        if (std::shared_ptr<CKXTexture> pKept = it->second.lock()) return pKept;
    }
    std::vector<unsigned char> vecData;
    if (!ReadResourceFile(kTag, szName, vecData)) return nullptr;
    int nWidth = 0, nHeight = 0;
    std::vector<uint32_t> vecArgb;
    const char* szError = "";
    if (!DecodeImage(vecData, nWidth, nHeight, vecArgb, szError)) {
        ArkLog(WL_ERROR, M_Engine, "%s %s is not an image: %s", kTag, szName, szError);
        return nullptr;
    }
    std::shared_ptr<CKXTexture> pTexture = MakeTexture(szName, nWidth, nHeight, std::move(vecArgb));
    m_mapTextures[szName] = pTexture;
    return pTexture;
}

std::shared_ptr<CKXTexture> CKXRenderer_SDL::CreateTexture(int nWidth, int nHeight, const uint32_t* pArgb) {
    if (nWidth <= 0 || nHeight <= 0) {
        ArkLog(WL_ERROR, M_Engine, "%s bad size %d x %d", "KXRenderer::CreateTexture", nWidth, nHeight);
        return nullptr;
    }
    std::vector<uint32_t> vecArgb(static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight), 0u);
    if (pArgb) std::copy(pArgb, pArgb + vecArgb.size(), vecArgb.begin());
    return MakeTexture(std::string(), nWidth, nHeight, std::move(vecArgb));
}

SDL_Texture* CKXRenderer_SDL::Prepare(const CKXTexture* pTexture) {
    const uint32_t* pPixels = pTexture->LockPixels();
    if (!pPixels) return nullptr;
    SDL_Texture* pDevice = static_cast<SDL_Texture*>(pTexture->GetDeviceHandle());
    if (pDevice && pTexture->GetDeviceSerial() == m_uSerial) {
        if (pTexture->GetDeviceVersion() != pTexture->GetVersion()) {
            SDL_UpdateTexture(pDevice, nullptr, pPixels, pTexture->GetWidth() * 4);
            pTexture->SetDeviceVersion(pTexture->GetVersion());
            ++m_stats.uTextureUploads;
        }
        return pDevice;
    }
    pDevice = SDL_CreateTexture(m_pRenderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                pTexture->GetWidth(), pTexture->GetHeight());
    if (!pDevice) {
        ArkLog(WL_ERROR, M_Engine, "%s %s: %s", "KXRenderer::Prepare", pTexture->GetName().c_str(), SDL_GetError());
        return nullptr;
    }
    SDL_SetTextureBlendMode(pDevice, SDL_BLENDMODE_BLEND);
    SDL_UpdateTexture(pDevice, nullptr, pPixels, pTexture->GetWidth() * 4);
    std::weak_ptr<int> pAlive = m_pAlive;
    pTexture->SetDeviceObject(std::shared_ptr<void>(pDevice,
                                                    [pAlive](void* p) {
                                                        if (!pAlive.expired()) SDL_DestroyTexture(static_cast<SDL_Texture*>(p));
                                                    }),
                              m_uSerial);
    pTexture->SetDeviceVersion(pTexture->GetVersion());
    ++m_stats.uTextureUploads;
    return pDevice;
}

bool CKXRenderer_SDL::BeginFrame(uint32_t uClearArgb) { return StartFrame(uClearArgb, KXRectI{0, 0, m_nWidth, m_nHeight}); }

bool CKXRenderer_SDL::BeginPartialFrame(uint32_t uClearArgb, const KXRectI& rc) {
    if (!m_bKeepsFrame) return BeginFrame(uClearArgb);
    return StartFrame(uClearArgb, Intersect(rc, KXRectI{0, 0, m_nWidth, m_nHeight}));
}

bool CKXRenderer_SDL::StartFrame(uint32_t uClearArgb, const KXRectI& rcBase) {
    if (m_bOffscreen) {
        SDL_SetRenderTarget(m_pRenderer, nullptr);
        m_bOffscreen = false;
    }
    m_vecClip.clear();
    m_rcBase = rcBase;
    ApplyClip();
    SDL_SetRenderDrawBlendMode(m_pRenderer, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(m_pRenderer, static_cast<Uint8>(ArgbRed(uClearArgb)), static_cast<Uint8>(ArgbGreen(uClearArgb)),
                           static_cast<Uint8>(ArgbBlue(uClearArgb)), static_cast<Uint8>(ArgbAlpha(uClearArgb)));
    // SDL_RenderClear ignores the clip, so a partial frame fills its rectangle instead.
    const bool bWhole = rcBase.nLeft == 0 && rcBase.nTop == 0 && rcBase.nRight == m_nWidth && rcBase.nBottom == m_nHeight;
    SDL_Rect rcFill = ToSdlRect(rcBase);
    const int nResult = bWhole ? SDL_RenderClear(m_pRenderer) : m_bClipEmpty ? 0 : SDL_RenderFillRect(m_pRenderer, &rcFill);
    if (nResult != 0) {
        ArkLog(WL_ERROR, M_Engine, "%s %s", "KXRenderer::BeginFrame", SDL_GetError());
        return false;
    }
    ++m_stats.uFrames;
    return true;
}

bool CKXRenderer_SDL::Visible(const KXRectF& rc) const {
    const KXRectI rcClip = GetClipRect();
    return rc.fRight > static_cast<float>(rcClip.nLeft) && rc.fLeft < static_cast<float>(rcClip.nRight) &&
           rc.fBottom > static_cast<float>(rcClip.nTop) && rc.fTop < static_cast<float>(rcClip.nBottom);
}

void CKXRenderer_SDL::EndFrame() {
    if (m_bOffscreen) {
        // An unbalanced BeginOffscreen: drop the group rather than leave the frame redirected.
        SDL_SetRenderTarget(m_pRenderer, nullptr);
        m_bOffscreen = false;
        ApplyClip();
    }
    SDL_RenderFlush(m_pRenderer);
}

void CKXRenderer_SDL::Present() {
    if (!m_pSurface) SDL_RenderPresent(m_pRenderer);
}

void CKXRenderer_SDL::DrawTexturedQuad(const CKXTexture* pTexture, const KXRectF& rcSource, const KXRectF& rcDest,
                                       uint32_t uArgb) {
    if (!pTexture || m_bClipEmpty || rcDest.Width() <= 0.0f || rcDest.Height() <= 0.0f || !Visible(rcDest)) return;
    SDL_Texture* pDevice = Prepare(pTexture);
    if (!pDevice) return;
    const int nLeft = static_cast<int>(std::lround(rcSource.fLeft));
    const int nTop = static_cast<int>(std::lround(rcSource.fTop));
    SDL_Rect rcSrc{nLeft, nTop, static_cast<int>(std::lround(rcSource.fRight)) - nLeft,
                   static_cast<int>(std::lround(rcSource.fBottom)) - nTop};
    if (rcSrc.w <= 0 || rcSrc.h <= 0) return;
    SDL_FRect rcDst{rcDest.fLeft, rcDest.fTop, rcDest.Width(), rcDest.Height()};
    SetModulation(pDevice, uArgb);
    SDL_RenderCopyF(m_pRenderer, pDevice, &rcSrc, &rcDst);
    ++m_stats.uTexturedQuads;
}

void CKXRenderer_SDL::DrawSolidQuad(const KXRectF& rcDest, uint32_t uArgb) {
    if (m_bClipEmpty || rcDest.Width() <= 0.0f || rcDest.Height() <= 0.0f || !Visible(rcDest)) return;
    SDL_SetRenderDrawBlendMode(m_pRenderer, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(m_pRenderer, static_cast<Uint8>(ArgbRed(uArgb)), static_cast<Uint8>(ArgbGreen(uArgb)),
                           static_cast<Uint8>(ArgbBlue(uArgb)), static_cast<Uint8>(ArgbAlpha(uArgb)));
    SDL_FRect rcDst{rcDest.fLeft, rcDest.fTop, rcDest.Width(), rcDest.Height()};
    SDL_RenderFillRectF(m_pRenderer, &rcDst);
    ++m_stats.uSolidQuads;
}

void CKXRenderer_SDL::DrawText(CKXFont* pFont, const char* szGbk, int nLen, float fX, float fY, uint32_t uTextArgb,
                               uint32_t uEdgeArgb) {
    if (!pFont || !szGbk || m_bClipEmpty) return;
    m_vecGlyphs.clear();
    pFont->LayoutText(szGbk, nLen, fX, fY, m_vecGlyphs);
    if (ArgbAlpha(uEdgeArgb) != 0) {
        // The outline: the glyphs drawn one pixel off in the eight directions, under the text.
        static const int kOffsets[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
        for (const auto& offset : kOffsets)
            DrawGlyphs(static_cast<float>(offset[0]), static_cast<float>(offset[1]), uEdgeArgb);
    }
    m_stats.uGlyphs += DrawGlyphs(0.0f, 0.0f, uTextArgb);
}

size_t CKXRenderer_SDL::DrawGlyphs(float fDx, float fDy, uint32_t uArgb) {
    size_t nDrawn = 0;
    for (const KXGlyphQuad& glyph : m_vecGlyphs) {
        const KXRectF rcShifted{glyph.rcDest.fLeft + fDx, glyph.rcDest.fTop + fDy, glyph.rcDest.fRight + fDx,
                                glyph.rcDest.fBottom + fDy};
        if (!Visible(rcShifted)) continue;
        SDL_Texture* pDevice = Prepare(glyph.pPage);
        if (!pDevice) continue;
        SDL_Rect rcSrc{static_cast<int>(glyph.rcSource.fLeft), static_cast<int>(glyph.rcSource.fTop),
                       static_cast<int>(glyph.rcSource.Width()), static_cast<int>(glyph.rcSource.Height())};
        SDL_FRect rcDst{glyph.rcDest.fLeft + fDx, glyph.rcDest.fTop + fDy, glyph.rcDest.Width(), glyph.rcDest.Height()};
        SetModulation(pDevice, uArgb);
        SDL_RenderCopyF(m_pRenderer, pDevice, &rcSrc, &rcDst);
        ++nDrawn;
    }
    return nDrawn;
}

void CKXRenderer_SDL::PushClipRect(const KXRectI& rc) {
    m_vecClip.push_back(Intersect(GetClipRect(), rc));
    ApplyClip();
}

void CKXRenderer_SDL::PopClipRect() {
    if (m_vecClip.empty()) return;
    m_vecClip.pop_back();
    ApplyClip();
}

KXRectI CKXRenderer_SDL::GetClipRect() const {
    if (m_vecClip.empty()) return m_rcBase;
    return m_vecClip.back();
}

void CKXRenderer_SDL::ApplyClip() {
    const KXRectI rcClip = GetClipRect();
    if (rcClip.nLeft == 0 && rcClip.nTop == 0 && rcClip.nRight == m_nWidth && rcClip.nBottom == m_nHeight) {
        m_bClipEmpty = false;
        SDL_RenderSetClipRect(m_pRenderer, nullptr);
        return;
    }
    // SDL takes an empty rectangle as "no clipping", so an empty clip is kept here and drawing skipped.
    m_bClipEmpty = rcClip.IsEmpty();
    if (m_bClipEmpty) return;
    SDL_Rect rc = ToSdlRect(rcClip);
    SDL_RenderSetClipRect(m_pRenderer, &rc);
}

bool CKXRenderer_SDL::BeginOffscreen() {
    if (m_bOffscreen) {
        ArkLog(WL_ERROR, M_Engine, "%s already drawing off-screen", "KXRenderer::BeginOffscreen");
        return false;
    }
    if (!m_pOffscreen) {
        m_pOffscreen = SDL_CreateTexture(m_pRenderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, m_nWidth,
                                         m_nHeight);
        if (!m_pOffscreen) {
            ArkLog(WL_ERROR, M_Engine, "%s %s", "KXRenderer::BeginOffscreen", SDL_GetError());
            return false;
        }
        SDL_SetTextureBlendMode(m_pOffscreen, SDL_BLENDMODE_BLEND);
    }
    if (SDL_SetRenderTarget(m_pRenderer, m_pOffscreen) != 0) {
        ArkLog(WL_ERROR, M_Engine, "%s %s", "KXRenderer::BeginOffscreen", SDL_GetError());
        return false;
    }
    m_bOffscreen = true;
    SDL_RenderSetClipRect(m_pRenderer, nullptr);
    SDL_SetRenderDrawBlendMode(m_pRenderer, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(m_pRenderer, 0, 0, 0, 0);
    SDL_RenderClear(m_pRenderer);
    ApplyClip();
    return true;
}

void CKXRenderer_SDL::EndOffscreen(uint32_t uArgb) {
    if (!m_bOffscreen) return;
    SDL_SetRenderTarget(m_pRenderer, nullptr);
    m_bOffscreen = false;
    ApplyClip();
    if (m_bClipEmpty) return;
    SetModulation(m_pOffscreen, uArgb);
    SDL_RenderCopy(m_pRenderer, m_pOffscreen, nullptr, nullptr);
    ++m_stats.uTexturedQuads;
}

bool CKXRenderer_SDL::ReadFrame(std::vector<uint32_t>& vecArgb) {
    vecArgb.assign(static_cast<size_t>(m_nWidth) * static_cast<size_t>(m_nHeight), 0u);
    if (SDL_RenderReadPixels(m_pRenderer, nullptr, SDL_PIXELFORMAT_ARGB8888, vecArgb.data(), m_nWidth * 4) != 0) {
        ArkLog(WL_ERROR, M_Engine, "%s %s", "KXRenderer::ReadFrame", SDL_GetError());
        vecArgb.clear();
        return false;
    }
    return true;
}

bool CKXRenderer_SDL::SaveFramePng(const char* szPath) {
    std::vector<uint32_t> vecArgb;
    return ReadFrame(vecArgb) && SavePixelsPng(szPath, m_nWidth, m_nHeight, vecArgb);
}

void CKXRenderer_SDL::ReleaseDeviceObjects() {
    // A new generation: every texture makes its device object again on its next draw, and the old
    // one is freed when it is replaced.
    m_uSerial = g_uNextSerial++;
    if (m_bOffscreen) {
        SDL_SetRenderTarget(m_pRenderer, nullptr);
        m_bOffscreen = false;
        ApplyClip();
    }
    if (m_pOffscreen) SDL_DestroyTexture(m_pOffscreen);
    m_pOffscreen = nullptr;
}

}  // namespace

std::unique_ptr<IKXRenderer> MakeSdlRenderer(SDL_Renderer* pRenderer, SDL_Surface* pSurface) {
    return std::make_unique<CKXRenderer_SDL>(pRenderer, pSurface);
}

}  // namespace KXRenderer
