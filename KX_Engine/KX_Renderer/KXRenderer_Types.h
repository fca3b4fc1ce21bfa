// Rectangles and colours shared by the renderer's operations.
//
// Coordinates are render-target pixels (GUI pixels): origin at the top-left corner of the target,
// x to the right, y downwards. A rectangle covers [left, right) x [top, bottom).
#pragma once

#include <cstdint>

namespace KXRenderer {

struct KXRectF {
    float fLeft = 0.0f;
    float fTop = 0.0f;
    float fRight = 0.0f;
    float fBottom = 0.0f;

    float Width() const { return fRight - fLeft; }
    float Height() const { return fBottom - fTop; }
};

struct KXRectI {
    int nLeft = 0;
    int nTop = 0;
    int nRight = 0;
    int nBottom = 0;

    int Width() const { return nRight - nLeft; }
    int Height() const { return nBottom - nTop; }
    bool IsEmpty() const { return nRight <= nLeft || nBottom <= nTop; }
};

// Colours are 32-bit 0xAARRGGBB.
constexpr uint32_t ArgbAlpha(uint32_t c) { return c >> 24; }
constexpr uint32_t ArgbRed(uint32_t c) { return (c >> 16) & 0xFF; }
constexpr uint32_t ArgbGreen(uint32_t c) { return (c >> 8) & 0xFF; }
constexpr uint32_t ArgbBlue(uint32_t c) { return c & 0xFF; }
constexpr uint32_t MakeArgb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return ((a & 0xFF) << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
}

}  // namespace KXRenderer
