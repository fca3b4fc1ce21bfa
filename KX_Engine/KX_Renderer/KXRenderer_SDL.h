// The SDL renderer's constructor for the two factories (window and memory target).
#pragma once

#include <SDL.h>

#include <memory>

#include "KX_Renderer/KXRenderer.h"

namespace KXRenderer {

// Takes ownership of pRenderer and of pSurface (the memory target; null when drawing into a window).
std::unique_ptr<IKXRenderer> MakeSdlRenderer(SDL_Renderer* pRenderer, SDL_Surface* pSurface);

}  // namespace KXRenderer
