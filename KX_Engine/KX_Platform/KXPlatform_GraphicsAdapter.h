// The description of the primary graphics adapter, for the check report.
#pragma once

#include <string>

namespace KXPlatform {

// The renderer's own name for the adapter when the renderer has given one (SetGraphicsAdapterName),
// otherwise the first display controller the system lists, otherwise "".
std::string GetGraphicsAdapterName();

// Called by the renderer backend once it knows its device (for example the GL renderer string); an
// empty text clears it.
void SetGraphicsAdapterName(const std::string& strName);

// Whether a graphics device the OpenGL drivers could draw with is present at all. Without one any GL
// context rasterises on the CPU, which costs far more memory than the renderer's own software path,
// so the renderer does not even load GL. Setting LIBGL_ALWAYS_SOFTWARE also says no.
bool HasGraphicsDevice();

}  // namespace KXPlatform
