// Decoding image files into 0xAARRGGBB pixels and writing pixels to PNG files (SDL2_image).
#include "KX_Renderer/KXRenderer_Image.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstring>

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Renderer/KXRenderer.h"
#include "KX_Renderer/KXRenderer_Png.h"

namespace KXRenderer {

bool DecodeImage(const std::vector<unsigned char>& vecData, int& nWidth, int& nHeight, std::vector<uint32_t>& vecArgb,
                 const char*& szError) {
    szError = "";
    // The tool's own art takes the quick way; SDL2_image reads everything else, by way of a surface
    // in its own layout and a conversion.
    if (DecodePngRgba8(vecData.data(), vecData.size(), nWidth, nHeight, vecArgb)) return true;
    return DecodeImageGeneral(vecData, nWidth, nHeight, vecArgb, szError);
}

bool DecodeImageGeneral(const std::vector<unsigned char>& vecData, int& nWidth, int& nHeight,
                        std::vector<uint32_t>& vecArgb, const char*& szError) {
    szError = "";
    SDL_RWops* pStream = SDL_RWFromConstMem(vecData.data(), static_cast<int>(vecData.size()));
    SDL_Surface* pLoaded = pStream ? IMG_Load_RW(pStream, 1) : nullptr;
    if (!pLoaded) {
        szError = SDL_GetError();
        return false;
    }
    SDL_Surface* pArgb = SDL_ConvertSurfaceFormat(pLoaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(pLoaded);
    if (!pArgb) {
        szError = SDL_GetError();
        return false;
    }
    nWidth = pArgb->w;
    nHeight = pArgb->h;
    vecArgb.resize(static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight));
    SDL_LockSurface(pArgb);
    for (int y = 0; y < nHeight; ++y) {
        std::memcpy(&vecArgb[static_cast<size_t>(y) * static_cast<size_t>(nWidth)],
                    static_cast<const unsigned char*>(pArgb->pixels) + static_cast<size_t>(y) * pArgb->pitch,
                    static_cast<size_t>(nWidth) * 4);
    }
    SDL_UnlockSurface(pArgb);
    SDL_FreeSurface(pArgb);
    return true;
}

bool SavePixelsPng(const char* szPath, int nWidth, int nHeight, const std::vector<uint32_t>& vecArgb) {
    if (!szPath || nWidth <= 0 || nHeight <= 0 ||
        vecArgb.size() < static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight)) {
        ArkLog(WL_ERROR, M_Engine, "%s bad arguments", "KXRenderer::SavePixelsPng");
        return false;
    }
    // The surface only borrows the pixels; IMG_SavePNG does not write through it.
    SDL_Surface* pSurface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(vecArgb.data()), nWidth, nHeight,
                                                               32, nWidth * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!pSurface) {
        ArkLog(WL_ERROR, M_Engine, "%s %s", "KXRenderer::SavePixelsPng", SDL_GetError());
        return false;
    }
    bool bOk = IMG_SavePNG(pSurface, szPath) == 0;
    if (!bOk) ArkLog(WL_ERROR, M_Engine, "%s %s: %s", "KXRenderer::SavePixelsPng", szPath, SDL_GetError());
    SDL_FreeSurface(pSurface);
    return bOk;
}

}  // namespace KXRenderer
