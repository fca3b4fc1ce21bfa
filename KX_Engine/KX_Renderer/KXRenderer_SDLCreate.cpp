// Making the SDL renderer: into the host window (GPU when present) or into a memory surface.
#include <cstring>
#include <string>

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_GraphicsAdapter.h"
#include "KX_Platform/KXPlatform_HostWindow.h"
#include "KX_Renderer/KXRenderer_SDL.h"

namespace KXRenderer {

namespace {

// With an OpenGL device the driver's renderer string ("Mesa Intel(R) UHD Graphics 620 ...") names the
// adapter; the other devices give nothing better than their SDL name. Empty when there is none.
std::string GlRendererString(SDL_Renderer* pRenderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(pRenderer, &info) != 0 || !info.name || std::strncmp(info.name, "opengl", 6) != 0) return "";
    if (!SDL_GL_GetCurrentContext()) return "";
    using GetStringFn = const unsigned char* (*)(unsigned int);
    auto pfnGetString = reinterpret_cast<GetStringFn>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned int kGlRenderer = 0x1F01;
    const unsigned char* szName = pfnGetString ? pfnGetString(kGlRenderer) : nullptr;
    return szName ? reinterpret_cast<const char*>(szName) : "";
}

// An OpenGL stack that rasterises on the CPU (Mesa's llvmpipe and softpipe, the swrast fallbacks) costs
// tens of megabytes and a thread per core, and draws no faster than SDL's own software renderer.
bool IsSoftwareGl(const std::string& strGlRenderer) {
    static const char* const kSoftware[] = {"llvmpipe", "softpipe", "swrast", "Software Rasterizer", "SWR"};
    for (const char* sz : kSoftware) {
        if (strGlRenderer.find(sz) != std::string::npos) return true;
    }
    return false;
}

}  // namespace

std::unique_ptr<IKXRenderer> CreateWindowRenderer(KXPlatform::IHostWindow& host, bool bSoftware) {
    SDL_Window* pWindow = static_cast<SDL_Window*>(host.GetNativeWindow());
    if (!pWindow) {
        ArkLog(WL_ERROR, M_Engine, "%s the host has no window", "KXRenderer::CreateWindowRenderer");
        return nullptr;
    }
    // Headless runs have no display to show a GPU's work on: the software rasteriser serves them.
    const char* szDriver = SDL_GetCurrentVideoDriver();
    if (szDriver && (std::strcmp(szDriver, "offscreen") == 0 || std::strcmp(szDriver, "dummy") == 0)) bSoftware = true;
    if (!bSoftware && !KXPlatform::HasGraphicsDevice()) bSoftware = true;
    SDL_Renderer* pRenderer = nullptr;
    if (!bSoftware) pRenderer = SDL_CreateRenderer(pWindow, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
    if (pRenderer) {
        const std::string strGl = GlRendererString(pRenderer);
        if (IsSoftwareGl(strGl)) {
            // No graphics hardware behind it: give the GL stack back and rasterise ourselves.
            ArkLog(WL_INFO, M_Engine, "%s %s is not hardware, drawing in software", "KXRenderer::CreateWindowRenderer",
                   strGl.c_str());
            SDL_DestroyRenderer(pRenderer);
            SDL_GL_UnloadLibrary();
            pRenderer = nullptr;
            bSoftware = true;
        } else if (!strGl.empty()) {
            KXPlatform::SetGraphicsAdapterName(strGl);
        }
    }
    if (!pRenderer) {
        // Software means software all the way: otherwise SDL presents the window surface through an
        // OpenGL texture and loads the GL driver for it.
        if (bSoftware) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        pRenderer = SDL_CreateRenderer(pWindow, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
    }
    if (!pRenderer) {
        ArkLog(WL_ERROR, M_Engine, "%s %s", "KXRenderer::CreateWindowRenderer", SDL_GetError());
        return nullptr;
    }
    return MakeSdlRenderer(pRenderer, nullptr);
}

std::unique_ptr<IKXRenderer> CreateSoftwareRenderer(int nWidth, int nHeight) {
    static const char* const kTag = "KXRenderer::CreateSoftwareRenderer";
    if (nWidth <= 0 || nHeight <= 0) {
        ArkLog(WL_ERROR, M_Engine, "%s bad size %d x %d", kTag, nWidth, nHeight);
        return nullptr;
    }
    SDL_Surface* pSurface = SDL_CreateRGBSurfaceWithFormat(0, nWidth, nHeight, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!pSurface) {
        ArkLog(WL_ERROR, M_Engine, "%s %s", kTag, SDL_GetError());
        return nullptr;
    }
    SDL_Renderer* pRenderer = SDL_CreateSoftwareRenderer(pSurface);
    if (!pRenderer) {
        ArkLog(WL_ERROR, M_Engine, "%s %s", kTag, SDL_GetError());
        SDL_FreeSurface(pSurface);
        return nullptr;
    }
    return MakeSdlRenderer(pRenderer, pSurface);
}

}  // namespace KXRenderer
