// Making a window object from a class name, for the child templates of a layout: every toolkit class
// is known, and the application registers its own classes before creating windows from templates.
#pragma once

#include <memory>

namespace ArkGui {

class CArkWnd;

using ArkWndMaker = std::unique_ptr<CArkWnd> (*)();

// Adds or replaces the maker of a class name.
void RegisterWndClass(const char* szClass, ArkWndMaker pfnMake);
// A new window of that class, not yet created; null for an unknown class.
std::unique_ptr<CArkWnd> MakeWndOfClass(const char* szClass);

}  // namespace ArkGui
