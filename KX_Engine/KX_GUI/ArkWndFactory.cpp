// The class-name registry behind MakeWndOfClass.
#include "KX_GUI/ArkWndFactory.h"

#include <map>
#include <string>

#include "KX_GUI/ArkButton.h"
#include "KX_GUI/ArkCheckButton.h"
#include "KX_GUI/ArkDecorateWnd.h"
#include "KX_GUI/ArkEdit.h"
#include "KX_GUI/ArkMiddlewareWnd.h"
#include "KX_GUI/ArkProgress.h"
#include "KX_GUI/ArkRichWnd.h"
#include "KX_GUI/ArkScrollBar.h"

namespace ArkGui {

namespace {

template <class T>
std::unique_ptr<CArkWnd> Make() {
    return std::make_unique<T>();
}

std::map<std::string, ArkWndMaker>& Registry() {
    static std::map<std::string, ArkWndMaker> registry = {
        {"CArkWnd", &Make<CArkWnd>},
        {"CArkButton", &Make<CArkButton>},
        {"CArkCheckButton", &Make<CArkCheckButton>},
        {"CArkEdit", &Make<CArkEdit>},
        {"CArkProgress", &Make<CArkProgress>},
        {"CArkScrollBar", &Make<CArkScrollBar>},
        {"CArkRichWnd", &Make<CArkRichWnd>},
        {"CDecorateWnd", &Make<CDecorateWnd>},
        {"CArkMiddlewareWnd", &Make<CArkMiddlewareWnd>},
    };
    return registry;
}

}  // namespace

void RegisterWndClass(const char* szClass, ArkWndMaker pfnMake) {
    if (szClass && pfnMake) Registry()[szClass] = pfnMake;
}

std::unique_ptr<CArkWnd> MakeWndOfClass(const char* szClass) {
    if (!szClass) return nullptr;
    auto it = Registry().find(szClass);
    return it == Registry().end() ? nullptr : it->second();
}

}  // namespace ArkGui
