// The graphics adapter on POSIX: the renderer's name, else the first PCI display controller in sysfs,
// named through the system's pci.ids list when it is installed.
#include "KX_Platform/KXPlatform_GraphicsAdapter.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <vector>

namespace KXPlatform {

namespace {

std::mutex g_nameMutex;
std::string g_strRendererName;

std::string ReadFirstLine(const std::string& strPath) {
    std::ifstream in(strPath);
    std::string line;
    std::getline(in, line);
    return line;
}

// "0x10de" -> "10de"
std::string HexId(const std::string& strText) {
    std::string s = strText.compare(0, 2, "0x") == 0 ? strText.substr(2) : strText;
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// pci.ids: a vendor line "vvvv  Name", its devices below as "\tdddd  Name".
std::string LookUpPciName(const std::string& strVendor, const std::string& strDevice) {
    static const char* const kLists[] = {"/usr/share/misc/pci.ids", "/usr/share/hwdata/pci.ids"};
    for (const char* szList : kLists) {
        std::ifstream in(szList);
        if (!in) continue;
        std::string line, vendorName;
        bool inVendor = false;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            if (line[0] != '\t') {
                if (inVendor) break;
                if (line.compare(0, 4, strVendor) == 0 && line.size() > 6) {
                    inVendor = true;
                    vendorName = line.substr(6);
                }
            } else if (inVendor && line.size() > 7 && line[1] != '\t' && line.compare(1, 4, strDevice) == 0) {
                return vendorName + " " + line.substr(7);
            }
        }
        if (inVendor) return vendorName;
    }
    return std::string();
}

std::string FindDisplayController() {
    const std::string root = "/sys/bus/pci/devices/";
    DIR* dir = ::opendir(root.c_str());
    if (!dir) return std::string();
    std::vector<std::string> names;
    while (dirent* e = ::readdir(dir)) {
        if (e->d_name[0] != '.') names.push_back(e->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& n : names) {
        // Class 0x03xxxx is a display controller.
        if (ReadFirstLine(root + n + "/class").compare(0, 4, "0x03") != 0) continue;
        std::string vendor = HexId(ReadFirstLine(root + n + "/vendor"));
        std::string device = HexId(ReadFirstLine(root + n + "/device"));
        std::string name = LookUpPciName(vendor, device);
        return name.empty() ? "PCI " + vendor + ":" + device : name;
    }
    return std::string();
}

}  // namespace

std::string GetGraphicsAdapterName() {
    {
        std::lock_guard<std::mutex> lock(g_nameMutex);
        if (!g_strRendererName.empty()) return g_strRendererName;
    }
    return FindDisplayController();
}

void SetGraphicsAdapterName(const std::string& strName) {
    std::lock_guard<std::mutex> lock(g_nameMutex);
    g_strRendererName = strName;
}

bool HasGraphicsDevice() {
    const char* szSoftware = std::getenv("LIBGL_ALWAYS_SOFTWARE");
    if (szSoftware && *szSoftware && std::strcmp(szSoftware, "0") != 0) return false;
    // DRM render nodes (Mesa's hardware drivers) and the NVIDIA driver's own device.
    if (DIR* pDir = opendir("/dev/dri")) {
        bool bFound = false;
        while (dirent* pEntry = readdir(pDir)) {
            if (std::strncmp(pEntry->d_name, "renderD", 7) == 0 || std::strncmp(pEntry->d_name, "card", 4) == 0) bFound = true;
        }
        closedir(pDir);
        if (bFound) return true;
    }
    return access("/dev/nvidia0", F_OK) == 0;
}

}  // namespace KXPlatform
