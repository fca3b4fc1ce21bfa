// The primary graphics adapter on Windows, from the display device list.
#include "KX_Platform/KXPlatform_GraphicsAdapter.h"

#include "KXPlatform_Win32.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace KXPlatform {

namespace {
std::mutex g_nameMutex;
std::string g_strRendererName;

std::string FindPrimaryAdapter() {
    DISPLAY_DEVICEA device{};
    device.cb = sizeof(device);
    std::string strFirst;
    for (DWORD i = 0; ::EnumDisplayDevicesA(nullptr, i, &device, 0); ++i) {
        if (device.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) return device.DeviceString;
        if (strFirst.empty()) strFirst = device.DeviceString;
        device.cb = sizeof(device);
    }
    return strFirst;
}
}  // namespace

std::string GetGraphicsAdapterName() {
    {
        std::lock_guard<std::mutex> lock(g_nameMutex);
        if (!g_strRendererName.empty()) return g_strRendererName;
    }
    return FindPrimaryAdapter();
}

void SetGraphicsAdapterName(const std::string& strName) {
    std::lock_guard<std::mutex> lock(g_nameMutex);
    g_strRendererName = strName;
}

// Every Windows display driver renders for programs; LIBGL_ALWAYS_SOFTWARE still asks for drawing in
// software (a machine without a graphics card, or a test run).
bool HasGraphicsDevice() {
    const char* szSoftware = std::getenv("LIBGL_ALWAYS_SOFTWARE");
    return !(szSoftware && *szSoftware && std::strcmp(szSoftware, "0") != 0);
}

}  // namespace KXPlatform
