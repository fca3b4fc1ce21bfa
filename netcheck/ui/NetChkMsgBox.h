// CNetChkMsgBox: the in-window message box. It shows a rich text (the upload's outcome, with links that
// open web pages), covers the main window with a shield while it is up, and offers "exit" and "close".
#pragma once

#include <string>

#include "KX_GUI/ArkWnd.h"
#include "netcheck/ui/NetChk_WndCommon.h"

namespace ArkGui {
class CArkRichWnd;
}

class CNetChkMsgBox : public ArkGui::CArkWnd {
public:
    static constexpr int kLayer = 252;
    // Added to the message's rich window: its scroll bar and its mouse offsets. (Not the shaped bit:
    // a text window has no picture to be shaped by, and shaped it would take no click on its links.)
    static constexpr uint32_t kRichStyleIncrement = 0x00000FF0u;

    CNetChkMsgBox();
    ~CNetChkMsgBox() override;

    // Shows the text (rich-text markup allowed) in the middle of the screen. In a scripted run the box
    // is written out and closed at once, as its close button would.
    virtual void ShowMessage(const char* szText);

    void Show(bool bShow) override;
    void Update() override;
    int OnNotify(ArkGui::CArkWnd* pChild, uint32_t uCode, intptr_t a, intptr_t b) override;
    void DrawLayer(const ArkGui::ArkImageLayer& layer, const KXRenderer::KXRectI* pClip) override;

    // After the window and its children exist: fonts, layer, frame, child look-ups.
    // The first window set up is the instance its accessor returns.
    void Setup();

private:
    // What "testbt2" and "testbt3" do: the report window back to editing, then the box hides.
    void CloseBox();
    void OpenLink(intptr_t pLinkRecord);

    NetChkWnd::CNineFrame m_frame;
    NetChkWnd::CShieldPainter m_shieldPainter;
    ArkGui::CArkRichWnd* m_pText = nullptr;
    ArkGui::CArkWnd* m_pShield = nullptr;
    ArkGui::CArkWnd* m_pExitBtn = nullptr;
    ArkGui::CArkWnd* m_pCloseBtn = nullptr;
    ArkGui::CArkWnd* m_pCloseBtn2 = nullptr;
};

// The message box, created hidden from the template "test6" on the first call; null without a tree.
CNetChkMsgBox* GetNetChkMsgBox();
