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

// Whether this machine has a graphics device that renders for programs (a DRM render node or the
// NVIDIA device on POSIX). Without one a GPU renderer would run on the CPU's GL rasteriser, which costs
// far more memory and time than drawing in software directly. LIBGL_ALWAYS_SOFTWARE also says no.
bool HasGraphicsDevice();

}  // namespace KXPlatform
