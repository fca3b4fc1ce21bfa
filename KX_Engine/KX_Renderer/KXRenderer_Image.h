// Decoding image files into 0xAARRGGBB pixels (SDL2_image).
#pragma once

#include <cstdint>
#include <vector>

namespace KXRenderer {

// Decodes an image file's bytes; false (SDL's reason in strError) when they are not an image.
bool DecodeImage(const std::vector<unsigned char>& vecData, int& nWidth, int& nHeight, std::vector<uint32_t>& vecArgb,
                 const char*& szError);
// The same through SDL2_image alone (every format it reads), without the quick PNG path.
bool DecodeImageGeneral(const std::vector<unsigned char>& vecData, int& nWidth, int& nHeight,
                        std::vector<uint32_t>& vecArgb, const char*& szError);

}  // namespace KXRenderer
