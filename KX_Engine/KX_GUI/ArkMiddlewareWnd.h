// CArkMiddlewareWnd: a plain window that groups controls; the only template class with children of its
// own in a layout component.
#pragma once

#include "KX_GUI/ArkWnd.h"

namespace ArkGui {

class CArkMiddlewareWnd : public CArkWnd {
public:
    CArkMiddlewareWnd() { m_nType = ARK_WND_MIDDLEWARE; }
    const char* GetClassName() const override { return "CArkMiddlewareWnd"; }
};

}  // namespace ArkGui
