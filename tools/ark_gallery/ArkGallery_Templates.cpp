// The gallery's template view: the package's windows by name, and what the program puts into them.
#include "ArkGallery_Templates.h"

#include <cstdio>
#include <string>

#include "KX_GUI/ArkButton.h"
#include "KX_GUI/ArkDecorateWnd.h"
#include "KX_GUI/ArkEdit.h"
#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkProgress.h"
#include "KX_GUI/ArkRichWnd.h"
#include "KX_Renderer/KXRenderer.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

using namespace ArkGui;

namespace ArkGallery {

namespace {

// The program's window stacking: the main window and the report window at 200, the tooltip at 251,
// the message box at 252.
int LayerOf(const std::string& strName) {
    if (strName == "ItemPopoWnd") return 251;
    if (strName == "test6") return 252;
    return 200;
}

class CSample {
public:
    CSample(CArkRootWnd& root, CNetChk_UtilResMgr& resources, bool bChecking)
        : m_root(root), m_res(resources), m_bChecking(bChecking) {}

    void Fill(CArkWnd& wnd) {
        const std::string& strName = wnd.GetName();
        if (strName == "NetChkMainWnd") MainWindow(wnd);
        if (strName == "UploadReportWnd") ReportWindow(wnd);
        if (strName == "test6") MessageBox(wnd);
        if (strName == "ItemPopoWnd") Tooltip(wnd);
    }

private:
    std::string Text(const char* szKey) const { return m_res.GetNetChkString(szKey); }

    // The table's text with its one "%d" replaced by the number (no printf with a table's text).
    std::string TextWith(const char* szKey, int nValue) const {
        std::string str = Text(szKey);
        size_t nAt = str.find("%d");
        if (nAt != std::string::npos) str.replace(nAt, 2, std::to_string(nValue));
        return str;
    }

    static void SetCaption(CArkWnd& parent, const char* szChild, const std::string& strText) {
        if (CArkWnd* p = parent.FindChild(szChild)) p->SetText(strText.c_str());
    }

    static void ShowChild(CArkWnd& parent, const char* szChild, bool bShow) {
        if (CArkWnd* p = parent.FindChild(szChild)) p->Show(bShow);
    }

    std::shared_ptr<KXRenderer::CKXTexture> Image(const std::string& strName) const {
        KXRenderer::IKXRenderer* pRenderer = m_root.GetManager()->GetRenderer();
        return pRenderer && !strName.empty() ? pRenderer->LoadTexture(strName.c_str()) : nullptr;
    }

    void Centre(CArkWnd& wnd) const {
        int nX = (m_root.GetWidth() - wnd.GetWidth()) / 2, nY = (m_root.GetHeight() - wnd.GetHeight()) / 2;
        wnd.SetRect({nX, nY, nX + wnd.GetWidth(), nY + wnd.GetHeight()});
    }

    // The shield covers the main window with the picture the string table names.
    void Shield(CArkWnd& wnd) const {
        CArkWnd* pShield = wnd.FindChild("SheildWnd");
        if (!pShield) return;
        pShield->SetRect({0, 0, m_root.GetWidth(), m_root.GetHeight()});
        ArkImageLayer* pLayer = pShield->GetLayer(ArkAttrKey(ARK_ATTR_ENABLED));
        pLayer->Clear();
        if (auto pTexture = Image(Text("PIC_STR_TIP_SHEILD"))) {
            pLayer->AddStretched(pTexture, {0, 0, static_cast<float>(pShield->GetWidth()),
                                            static_cast<float>(pShield->GetHeight())});
        }
    }

    // The nine frame pieces named by the string table under szPrefix + LT, T, ... RB, over the window.
    void Frame(CArkWnd& wnd, const char* szPrefix) const {
        static const char* const kPieces[9] = {"LT", "T", "RT", "L", "M", "R", "LB", "B", "RB"};
        ArkTextureList vecPieces;
        for (const char* szPiece : kPieces) vecPieces.push_back(Image(Text((std::string(szPrefix) + szPiece).c_str())));
        CDecorateWndNine nine;
        nine.SetSize(wnd.GetWidth(), wnd.GetHeight());
        ArkImageLayer* pLayer = wnd.GetLayer(ArkAttrKey(ARK_ATTR_ENABLED));
        pLayer->Clear();
        nine.Build(*pLayer, vecPieces);
    }

    // A finished check with a common verdict, or a check on its way (the upload button waits for the end).
    void MainWindow(CArkWnd& wnd) {
        auto* pProgress = dynamic_cast<CArkProgress*>(wnd.FindChild("CheckingProgress"));
        if (pProgress) pProgress->SetMax(12.0);
        if (m_bChecking) {
            SetCaption(wnd, "PrgsInfoWnd", Text("Ntc_Chk_Ing0") + "...");
            SetCaption(wnd, "ChkingInfoWnd", "ping 游戏服务器 (第 7 步，共 12 步)");
            if (pProgress) pProgress->SetValue(7.0);
            ShowChild(wnd, "StopchkBtn", true);
            ShowChild(wnd, "RechkBtn", false);
            if (CArkWnd* pUpload = wnd.FindChild("UploadRptBtn")) pUpload->SetEnabled(false);
            for (const char* szReading : {"ResultContWnd", "LagContWnd", "LossContWnd"}) {
                SetCaption(wnd, szReading, Text("Ntc_NQ_Checking"));
            }
            return;
        }
        SetCaption(wnd, "PrgsInfoWnd", Text("Ntc_Chk_Finish"));
        SetCaption(wnd, "ChkingInfoWnd", Text("Ntc_Chk_Finish_PrgsInfo"));
        if (pProgress) pProgress->SetValue(12.0);
        ShowChild(wnd, "StopchkBtn", false);
        ShowChild(wnd, "RechkBtn", true);
        SetCaption(wnd, "ResultContWnd", Text("Ntc_NQ_Common"));
        SetCaption(wnd, "LagContWnd", Text("Ntc_LagLoss_Common"));
        SetCaption(wnd, "LossContWnd", Text("Ntc_LagLoss_Good"));
        SetCaption(wnd, "CheckResultWnd", Text("Ntc_Chk_CheckResult2"));
        SetCaption(wnd, "RepairSuggestWnd", Text("Ntc_Chk_RepairSuggest2"));
    }

    // The report form as the player fills it in.
    void ReportWindow(CArkWnd& wnd) {
        Centre(wnd);
        SetCaption(wnd, "GroupServerWnd", "电信一区-晨曦之城");
        // The name box takes clipboard keys, the description box several lines as well.
        if (CArkWnd* pName = wnd.FindChild("NameEditWnd")) pName->SetStyle(pName->GetStyle() | ARK_EDIT_CLIPBOARD);
        if (CArkWnd* pDesc = wnd.FindChild("DescripEditWnd")) {
            pDesc->SetStyle(pDesc->GetStyle() | ARK_EDIT_MULTILINE | ARK_EDIT_CLIPBOARD);
        }
        SetCaption(wnd, "NameEditWnd", "player2046");
        SetCaption(wnd, "DescripEditWnd", "晚上八点以后进游戏经常卡顿，\n团队副本里延迟很高。");
        ShowChild(wnd, "CommittingWnd", false);
        Shield(wnd);
    }

    // The upload's success message.
    void MessageBox(CArkWnd& wnd) {
        Frame(wnd, "PIC_STR_MsgBox_");
        if (CArkWnd* pRich = wnd.FindChild("test_rh2")) {
            pRich->SetStyle(pRich->GetStyle() + 0x20000FF0u);
            pRich->SetText(TextWith("Ntc_Uploade_Success", 10086).c_str());
        }
        Centre(wnd);
        ShowChild(wnd, "testbt", true);
        ShowChild(wnd, "testbt2", true);
        ShowChild(wnd, "testbt3", false);
        Shield(wnd);
    }

    // The overall reading's tip (loss, then latency), where the cursor over the reading opens it.
    void Tooltip(CArkWnd& wnd) {
        auto* pRich = dynamic_cast<CArkRichWnd*>(wnd.FindChild("Item_RichWnd"));
        if (!pRich) return;
        pRich->SetText("丢包率:0%#r平均延时:86毫秒");
        int nInset = pRich->GetY() - wnd.GetY();
        int nW = wnd.GetWidth(), nH = pRich->GetRichText().GetContentHeight() + 2 * nInset;
        // Below the cursor (the reading sits in the upper half of the window), centred on it.
        int nCursorX = 110, nCursorY = 244;
        int nX = nCursorX - nW / 2, nY = nCursorY + 26;
        int nDx = nX - wnd.GetX(), nDy = nY - wnd.GetY();
        wnd.SetRect({nX, nY, nX + nW, nY + nH});
        pRich->SetRect({pRich->GetX() + nDx, pRich->GetY() + nDy, pRich->GetX() + nDx + pRich->GetWidth(),
                        pRich->GetY() + nDy + pRich->GetHeight()});
        Frame(wnd, "PIC_STR_TIP_");
    }

    CArkRootWnd& m_root;
    CNetChk_UtilResMgr& m_res;
    bool m_bChecking;
};

}  // namespace

bool BuildTemplates(CArkRootWnd& root, CNetChk_UtilResMgr& resources, const std::vector<std::string>& vecNames,
                    SampleState eSample) {
    CArkGUIManager* pManager = root.GetManager();
    if (!pManager || !pManager->LoadLayout(kLayoutRoot)) {
        std::fprintf(stderr, "ark_gallery: cannot load the layout package %s\n", kLayoutRoot);
        return false;
    }
    CSample sample(root, resources, eSample == SampleState::Checking);
    for (const std::string& strName : vecNames) {
        auto* pWnd = new CArkWnd();
        pWnd->SetDeleteWithParent(true);
        if (pWnd->CreateFromTemplate(strName.c_str(), &root) != 0) {
            delete pWnd;
            std::fprintf(stderr, "ark_gallery: no template %s in %s\n", strName.c_str(), kLayoutRoot);
            return false;
        }
        resources.ApplyControlFonts(pWnd, true);
        pWnd->SetLayerOrder(LayerOf(strName));
        pWnd->BringToFront();
        if (eSample != SampleState::None) sample.Fill(*pWnd);
    }
    return true;
}

}  // namespace ArkGallery
