// CNetChkTooltipWnd: a framed pop-up that shows a rich text beside a window; CNetChkGuiTipWnd and
// CNetChkGuiBindWnd are the two the GUI manager uses as its tip window and its bind window.
#pragma once

#include <string>

#include "KX_GUI/ArkTipWnd.h"
#include "netcheck/ui/NetChk_WndCommon.h"

namespace ArkGui {
class CArkRichWnd;
}

class CNetChkTooltipWnd : public ArkGui::CArkTipWnd {
public:
    static constexpr int kLayer = 251;
    // A tip starts this tall; after the text is laid out it is the text's height plus kPadding.
    static constexpr int kInitialHeight = 242;
    static constexpr int kPadding = 8;
    // The rich child is placed over the tip with its bottom this much lower.
    static constexpr int kRichExtra = 10;
    // Added to the rich child: its scroll bar and mouse offsets (not the shaped bit, which would leave a
    // picture-less text window without any hit).
    static constexpr uint32_t kRichStyleIncrement = 0x00000FF0u;

    CNetChkTooltipWnd();
    ~CNetChkTooltipWnd() override;

    void ShowTip(const char* szText) override;
    void ClearTip() override;
    // Looks up the rich child "Item_RichWnd" and prepares it; clears the anchor.
    virtual void InitRichChild();
    // Places the rich child over rc (absolute) and lets its height follow its text, at most rc's.
    virtual void PlaceRich(const KXRenderer::KXRectI& rc);

    void DrawLayer(const ArkGui::ArkImageLayer& layer, const KXRenderer::KXRectI* pClip) override;
    // The rich child moves with the tip.
    void SetRect(const KXRenderer::KXRectI& rc, bool bFlag = true) override;
    void AfterChildren() override;
    void Show(bool bShow) override;
    void Update() override;
    int OnRButtonDown(int nKeys, int nX, int nY) override;

    ArkGui::CArkRichWnd* GetRichWnd() const { return m_pRich; }
    const std::string& GetTipString() const { return m_strTip; }

    // After the window and its children exist: rich child, hidden, layer, frame.
    void Setup();

protected:
    // Creates this tip from its template under the root and sets it up; false without a tree.
    bool CreateTip(const char* szTemplate);

private:
    NetChkWnd::CNineFrame m_frame;
    ArkGui::CArkRichWnd* m_pRich = nullptr;
    std::string m_strTip;
};

class CNetChkGuiTipWnd : public CNetChkTooltipWnd {
public:
    ~CNetChkGuiTipWnd() override;
    friend CNetChkGuiTipWnd* GetNetChkGuiTipWnd();
};

class CNetChkGuiBindWnd : public CNetChkTooltipWnd {
public:
    ~CNetChkGuiBindWnd() override;
    friend CNetChkGuiBindWnd* GetNetChkGuiBindWnd();
};

// The tip and bind windows, created from the template "ItemPopoWnd" on the first call; null without a
// window tree.
CNetChkGuiTipWnd* GetNetChkGuiTipWnd();
CNetChkGuiBindWnd* GetNetChkGuiBindWnd();
