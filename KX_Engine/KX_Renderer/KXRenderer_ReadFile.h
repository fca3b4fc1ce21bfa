// Reading a whole resource file (image, font) by name for the renderer.
#pragma once

#include <vector>

namespace KXRenderer {

// The whole file szName into vecData; false (and one log line with szTag) when it cannot be read.
bool ReadResourceFile(const char* szTag, const char* szName, std::vector<unsigned char>& vecData);

}  // namespace KXRenderer
