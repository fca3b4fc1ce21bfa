// CArkRootWnd: the top of the window tree; creates and owns the GUI manager.
#pragma once

#include "KX_GUI/ArkWnd.h"

namespace ArkGui {

class CArkRootWnd : public CArkWnd {
public:
    CArkRootWnd();
    ~CArkRootWnd() override;

    const char* GetClassName() const override;
    // Makes the manager and covers the client rectangle (width x height at 0, 0). The screen size is
    // the client size, the height plus 18 pixels of caption, whatever host there is.
    int CreateRoot(int nWidth, int nHeight, KXPlatform::IHostWindow* pHost, KXRenderer::IKXRenderer* pRenderer);
    int Destroy() override;

    int GetScreenWidth() const override { return m_nScreenWidth; }
    int GetScreenHeight() const override { return m_nScreenHeight; }
    bool OnMouseWheel(int nKeys, int nDelta, int nX, int nY) override;
    void InitMouseHandlers() override;

    bool GetWheelSeen() const { return m_bWheelSeen; }
    void ClearWheelSeen() { m_bWheelSeen = false; }
    const KXRenderer::KXRectI& GetClientRect() const { return m_rcClient; }

private:
    KXRenderer::KXRectI m_rcClient;
    int m_nScreenWidth = 0;
    int m_nScreenHeight = 0;
    bool m_bWheelSeen = false;
};

}  // namespace ArkGui
