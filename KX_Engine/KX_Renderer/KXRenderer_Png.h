// The quick way in for the PNGs the tool's art is written as: 8-bit RGBA, not interlaced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace KXRenderer {

// Decodes a PNG of 8-bit RGBA pixels without interlacing into width x height values 0xAARRGGBB (rows
// top to bottom), with the whole image data inflated in one call and the row filters undone in the same
// buffer. The pixels are exactly those SDL2_image gives for the same file.
//
// False (and the outputs unspecified) for any file it does not take: another colour type or depth,
// interlacing, a chunk that could change the colours (gamma, colour profile, transparency), a damaged
// checksum, truncated or surplus image data, a size beyond 16384 on a side. The caller then hands the
// bytes to SDL2_image, which decodes the other kinds and names the fault of a broken file.
bool DecodePngRgba8(const unsigned char* pData, size_t nSize, int& nWidth, int& nHeight,
                    std::vector<uint32_t>& vecArgb);

}  // namespace KXRenderer
