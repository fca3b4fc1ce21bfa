// The renderer the toolkit draws through: textures, textured and solid quads, a clip stack, an
// off-screen target for group opacity, text, frames and read-back.
//
// Coordinate space of every operation: render-target pixels (GUI pixels), origin at the top-left
// corner, x right, y down; the target is the window's client area or the memory surface, and the
// off-screen target has the same size. Colours are 0xAARRGGBB; "modulation" multiplies each channel of
// the source by the colour's channel / 255 (white 0xFFFFFFFF draws the texture as it is). Everything
// is alpha-blended (source over).
//
// Lifetimes: the renderer must outlive the frames drawn with it; textures and fonts are shared and may
// outlive it (they then draw nothing). One thread only: the one that runs the frame loop.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "KX_Renderer/KXFont.h"
#include "KX_Renderer/KXRenderer_Types.h"
#include "KX_Renderer/KXTexture.h"

namespace KXPlatform {
class IHostWindow;
}

namespace KXRenderer {

// Counters of the calls since ResetStats; tests use them to prove that work was (not) done.
struct KXRenderStats {
    uint64_t uTexturedQuads = 0;
    uint64_t uSolidQuads = 0;
    uint64_t uGlyphs = 0;          // glyph quads drawn by DrawText (edges not counted)
    uint64_t uTextureUploads = 0;  // texture (re)uploads to the device
    uint64_t uFrames = 0;
};

class IKXRenderer {
public:
    virtual ~IKXRenderer() = default;

    // Size of the target in pixels.
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    // A short description for the report ("software", or the device's driver name).
    virtual std::string GetDeviceName() const = 0;

    // ---- textures ----
    // Loads an image file (PNG, or anything SDL2_image reads) by name through the file layer (pack
    // first when allowed), keeping its pixels for LockPixels. The same name gives the same texture
    // while any holder keeps it. Null and one log line when the file is missing or not an image.
    virtual std::shared_ptr<CKXTexture> LoadTexture(const char* szName) = 0;
    // A texture from width x height pixels 0xAARRGGBB (rows top to bottom); null for a non-positive size.
    virtual std::shared_ptr<CKXTexture> CreateTexture(int nWidth, int nHeight, const uint32_t* pArgb) = 0;

    // ---- frame ----
    // Starts a frame: resets the clip stack and clears the target to uClearArgb.
    virtual bool BeginFrame(uint32_t uClearArgb) = 0;
    // True when the target keeps the last frame's pixels until the next one draws over them (memory
    // surfaces and the software rasteriser's window surface), so a frame may redraw only a part.
    virtual bool KeepsFrame() const = 0;
    // Starts a frame that redraws only rc (target pixels): rc is cleared to uClearArgb and becomes the
    // clip under every pushed one, the rest keeps the last frame. Only when KeepsFrame.
    virtual bool BeginPartialFrame(uint32_t uClearArgb, const KXRectI& rc) = 0;
    // Ends the drawing of a frame; the frame can be read back until Present.
    virtual void EndFrame() = 0;
    // Shows the frame in the window (nothing for a memory target).
    virtual void Present() = 0;

    // ---- drawing ----
    // Draws the rcSource part of the texture (texels) stretched over rcDest (target pixels), modulated
    // by uArgb. A null texture draws nothing.
    virtual void DrawTexturedQuad(const CKXTexture* pTexture, const KXRectF& rcSource, const KXRectF& rcDest,
                                  uint32_t uArgb) = 0;
    // Fills rcDest (target pixels) with uArgb, blended by its alpha.
    virtual void DrawSolidQuad(const KXRectF& rcDest, uint32_t uArgb) = 0;
    // Draws GBK text with its line box's top-left corner at (fX, fY) in target pixels, in uTextArgb; when
    // uEdgeArgb has a non-zero alpha the glyphs are first drawn one pixel around in that colour, which
    // gives a one-pixel outline. nLen < 0: up to the NUL.
    virtual void DrawText(CKXFont* pFont, const char* szGbk, int nLen, float fX, float fY, uint32_t uTextArgb,
                          uint32_t uEdgeArgb) = 0;

    // ---- clipping ----
    // Pushes rc (target pixels) intersected with the current clip; drawing outside it is discarded,
    // and quads wholly outside it are not even handed to the device.
    virtual void PushClipRect(const KXRectI& rc) = 0;
    // Restores the clip that was current before the matching push; an unmatched pop does nothing.
    virtual void PopClipRect() = 0;
    // The current clip: the whole target when the stack is empty.
    virtual KXRectI GetClipRect() const = 0;

    // ---- off-screen target ----
    // Creates the screen-sized off-screen target on first use, clears it to transparent and redirects
    // drawing into it. False when already redirected or the device cannot make one.
    virtual bool BeginOffscreen() = 0;
    // Redirects drawing back to the frame and draws the off-screen target over the whole frame as one
    // quad modulated by uArgb (white with alpha = opacity x 255 for group opacity). The half-pixel
    // shift of Direct3D does not exist here, so the quad is placed at (0, 0).
    virtual void EndOffscreen(uint32_t uArgb) = 0;
    virtual bool IsOffscreen() const = 0;

    // ---- read-back ----
    // The target's pixels as 0xAARRGGBB, width x height, rows top to bottom; call after EndFrame and
    // before Present.
    virtual bool ReadFrame(std::vector<uint32_t>& vecArgb) = 0;
    // ReadFrame written to a PNG file (path on disk).
    virtual bool SaveFramePng(const char* szPath) = 0;

    // ---- device objects ----
    // Forgets every device texture (they are recreated from the kept pixels on their next draw): for a
    // lost device, and for tests of that path.
    virtual void ReleaseDeviceObjects() = 0;

    virtual const KXRenderStats& GetStats() const = 0;
    virtual void ResetStats() = 0;
};

// Draws into the host window (SDL backend) with the GPU when there is one and bSoftware is false (a GL
// driver that rasterises on the CPU, such as llvmpipe, does not count: SDL's software renderer serves),
// else with the software rasteriser (always under the headless "offscreen" and "dummy" video drivers).
// Null and one log line when the host has no native window. The
// renderer must be destroyed before the host window. With an OpenGL device it also hands the driver's
// renderer string to KXPlatform::SetGraphicsAdapterName for the check report.
std::unique_ptr<IKXRenderer> CreateWindowRenderer(KXPlatform::IHostWindow& host, bool bSoftware);

// Draws into a memory surface of nWidth x nHeight with the software rasteriser: no display needed.
std::unique_ptr<IKXRenderer> CreateSoftwareRenderer(int nWidth, int nHeight);

// Writes pixels 0xAARRGGBB (rows top to bottom) to a PNG file.
bool SavePixelsPng(const char* szPath, int nWidth, int nHeight, const std::vector<uint32_t>& vecArgb);

}  // namespace KXRenderer
