// CArkRootWnd: the tree's top, owner of the GUI manager.
#include "KX_GUI/ArkRootWnd.h"

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkMouseHandlers.h"

namespace ArkGui {

CArkRootWnd::CArkRootWnd() { m_nType = ARK_WND_ROOT; }

CArkRootWnd::~CArkRootWnd() { Destroy(); }

const char* CArkRootWnd::GetClassName() const { return "CArkRootWnd"; }

int CArkRootWnd::CreateRoot(int nWidth, int nHeight, KXPlatform::IHostWindow* pHost, KXRenderer::IKXRenderer* pRenderer) {
    if (m_pManager) return -1;
    m_pManager = new CArkGUIManager(this);
    m_pManager->SetHostWindow(pHost);
    m_pManager->SetRenderer(pRenderer);
    m_pManager->RegisterWnd(this);
    m_nX = 0;
    m_nY = 0;
    m_nWidth = nWidth < 0 ? 0 : nWidth;
    m_nHeight = nHeight < 0 ? 0 : nHeight;
    m_rcClient = {0, 0, m_nWidth, m_nHeight};
    // The system's screen metrics stand in as the client size; the height keeps the caption's 18 pixels.
    m_nScreenWidth = m_nWidth;
    m_nScreenHeight = m_nHeight + 18;
    m_strName = "root";
    InitMouseHandlers();
    return 0;
}

int CArkRootWnd::Destroy() {
    CArkGUIManager* pManager = m_pManager;
    if (!pManager) return 0;
    CArkWnd::Destroy();
    delete pManager;
    return 0;
}

bool CArkRootWnd::OnMouseWheel(int, int, int, int) {
    m_bWheelSeen = true;
    return true;
}

void CArkRootWnd::InitMouseHandlers() {
    m_apHandlers[ARK_MOUSE_NORMAL] = std::make_unique<CNormalHandler>(this);
    m_apHandlers[ARK_MOUSE_DRAG] = std::make_unique<CDestoryItemDragHandler>(this);
    m_apHandlers[ARK_MOUSE_CARRY] = std::make_unique<CDestoryItemCarryHandler>(this);
}

}  // namespace ArkGui
