// Where ark_gallery puts each control (GUI pixels of the 640 x 520 window); the screenshot test reads
// the same table to check that every control was drawn.
#pragma once

namespace ArkGallery {

struct ControlRect {
    const char* szName;
    int nX, nY, nW, nH;
};

constexpr int kWidth = 640;
constexpr int kHeight = 520;
constexpr unsigned kClearColour = 0xFF1C2028u;

constexpr ControlRect kControls[] = {
    {"title", 24, 16, 592, 28},
    {"StartBtn", 24, 60, 150, 34},
    {"StopBtn", 190, 60, 150, 34},
    {"CoolBtn", 356, 60, 150, 34},
    {"AutoUpload", 24, 112, 200, 24},
    {"RadioTelecom", 240, 112, 170, 24},
    {"RadioUnicom", 420, 112, 170, 24},
    {"ProgressH", 24, 156, 440, 20},
    {"ProgressV", 590, 156, 20, 180},
    {"AccountEdit", 24, 196, 300, 26},
    {"NumberEdit", 340, 196, 124, 26},
    {"NotesEdit", 24, 236, 440, 100},
    {"ScrollH", 24, 350, 440, 16},
    {"ScrollV", 490, 156, 16, 180},
    {"Frame", 24, 384, 592, 112},
    {"RichText", 36, 394, 568, 92},
};

}  // namespace ArkGallery
