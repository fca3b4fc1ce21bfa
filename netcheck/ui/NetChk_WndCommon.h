// What the net-check windows share: the application's services, texts by key, control fonts, centring,
// the nine-piece frames and the shield over the main window.
#pragma once

#include <memory>
#include <string>

#include "KX_GUI/ArkImageLayer.h"
#include "KX_GUI/ArkWnd.h"

class INetChkAppServices;

namespace NetChkWnd {

// The root the windows are created under; null before the application made it.
ArkGui::CArkWnd* GetRoot();
// The text of a display string key; "" for an unknown key or before the table exists.
std::string GetString(const std::string& strKey);
// The application clock (ms); the GUI manager's clock when no application is registered.
uint32_t GetTick(const ArkGui::CArkWnd* pWnd);

// Creates pWnd from the layout template under the root. When the template cannot be used the window is
// still created, empty and zero-sized, so that it lives in the tree and every later call is harmless.
// False when there is no root to create under (pWnd then stays outside any tree).
bool CreateFromTemplate(ArkGui::CArkWnd* pWnd, const char* szTemplate);
// Fonts and colours of the window's controls from the control-font table.
void ApplyControlFonts(ArkGui::CArkWnd* pWnd);

// Centres pWnd in the root's client rectangle (integer halves), keeping its size.
void CentreInRoot(ArkGui::CArkWnd* pWnd);

// A direct child by name, of the class asked for; null when absent or of another class.
template <class T = ArkGui::CArkWnd>
T* FindTyped(ArkGui::CArkWnd* pParent, const char* szName) {
    return pParent ? dynamic_cast<T*>(pParent->FindChild(szName)) : nullptr;
}

// Nine pieces (top-left, top, top-right, left, middle, right, bottom-left, bottom, bottom-right) whose
// picture names come from the string table, laid out over the window's size again whenever it changes.
class CNineFrame {
public:
    // Loads the pictures named by the nine keys through the window's renderer; false when any is missing.
    bool Load(ArkGui::CArkWnd* pWnd, const char* const szKeys[9]);
    // The pieces over nWidth x nHeight (relative to the window's corner); empty without pictures.
    const ArkGui::ArkImageLayer& Layout(int nWidth, int nHeight);
    bool IsLoaded() const { return m_bLoaded; }

private:
    std::vector<std::shared_ptr<KXRenderer::CKXTexture>> m_vecPieces;
    ArkGui::ArkImageLayer m_layer;
    int m_nWidth = -1;
    int m_nHeight = -1;
    bool m_bLoaded = false;
};

// The shield's picture: "PIC_STR_TIP_SHEILD" stretched over it, white, painted again only when the
// shield's size or the picture's name changed, so that an idle frame stays unchanged.
class CShieldPainter {
public:
    // While the shield is visible.
    void Paint(ArkGui::CArkWnd* pShield);

private:
    std::string m_strPainted;
    int m_nWidth = -1;
    int m_nHeight = -1;
};
// Sizes the shield to the main window's rectangle and shows it.
void RaiseShield(ArkGui::CArkWnd* pShield);

}  // namespace NetChkWnd
