// Message boxes on POSIX through SDL, which can show one before SDL_Init and without a window.
#include "../KXPlatform_Encoding.h"
#include "../KXPlatform_MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace KXPlatform {

namespace {
bool HasDisplay() {
    // SDL would try to reach a display server and fail slowly (or print noise) on a headless machine.
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && (std::string(driver) == "offscreen" || std::string(driver) == "dummy")) return false;
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}
}  // namespace

bool ShowNativeMessageBox(const MsgBoxRequest& request, MsgBoxAnswer& answer) {
    if (!HasDisplay()) return false;

    std::vector<SDL_MessageBoxButtonData> buttons;
    switch (request.eButtons) {
        case MsgBoxButtons::AbortRetryIgnore:
            buttons = {{0, static_cast<int>(MsgBoxAnswer::Abort), "Abort"},
                       {0, static_cast<int>(MsgBoxAnswer::Retry), "Retry"},
                       {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                        static_cast<int>(MsgBoxAnswer::Ignore), "Ignore"}};
            break;
        case MsgBoxButtons::YesNo:
            buttons = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, static_cast<int>(MsgBoxAnswer::Yes), "Yes"},
                       {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, static_cast<int>(MsgBoxAnswer::No), "No"}};
            break;
        case MsgBoxButtons::Ok:
            buttons = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                        static_cast<int>(MsgBoxAnswer::Ok), "OK"}};
            break;
    }
    const std::string title = GbkToUtf8(request.strCaption);
    const std::string text = GbkToUtf8(request.strText);
    SDL_MessageBoxData data{};
    // SDL always draws an icon; a box without one looks like the information box.
    switch (request.eIcon) {
        case MsgBoxIcon::Error: data.flags = SDL_MESSAGEBOX_ERROR; break;
        case MsgBoxIcon::Warning: data.flags = SDL_MESSAGEBOX_WARNING; break;
        case MsgBoxIcon::Information:
        case MsgBoxIcon::None: data.flags = SDL_MESSAGEBOX_INFORMATION; break;
    }
    // The window with the keyboard focus is the program's active window.
    data.window = request.bOwnedByActiveWindow ? SDL_GetKeyboardFocus() : nullptr;
    data.title = title.c_str();
    data.message = text.c_str();
    data.numbuttons = static_cast<int>(buttons.size());
    data.buttons = buttons.data();
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0 || pressed < 0) return false;
    answer = static_cast<MsgBoxAnswer>(pressed);
    return true;
}

void WriteUnshownMessageBox(const MsgBoxRequest& request) {
    std::fprintf(stderr, "[%s] %s\n", GbkToUtf8(request.strCaption).c_str(), GbkToUtf8(request.strText).c_str());
}

}  // namespace KXPlatform
