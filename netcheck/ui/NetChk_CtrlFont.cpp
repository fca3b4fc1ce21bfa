// CNetChk_UtilResMgr: the control-font table and applying it to a window's controls.
#include "netcheck/ui/NetChk_UtilResMgr.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkWnd.h"
#include "KX_Kernal/fileandpath/KXKernal_TableFile.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"

namespace {

const char kCtrlFontFile[] = "./config/gui/NTWndCtrlFont.csv";

// A colour cell in hexadecimal; a cell that does not parse leaves the value as the previous row had it.
void ReadColour(const char* szCell, uint32_t& uColour) {
    unsigned int u = 0;
    if (std::sscanf(szCell, "%x", &u) == 1) uColour = u;
}

}  // namespace

bool CNetChk_UtilResMgr::LoadTables() {
    bool bFonts = LoadCtrlFontTable();
    bool bBounds = LoadNetJudged();
    bool bStrings = LoadStringDef();
    return bFonts && bBounds && bStrings;
}

bool CNetChk_UtilResMgr::LoadCtrlFontTable() {
    CTabFile table;
    if (!table.Load(kCtrlFontFile, ',', true)) {
        ArkLog(WL_ERROR, M_Common, "无法读取界面字体配置文件%s！", kCtrlFontFile);
        return false;
    }
    m_vecCtrlFont.clear();
    // One record is filled row after row, so its colours carry over a cell that does not parse.
    NetChkCtrlFont record;
    for (uint32_t uRow = 1; uRow < table.GetRowCount(); ++uRow) {
        const char* szWnd = table.GetString(uRow, "WndName");
        const char* szCtrl = table.GetString(uRow, "CtrlName");
        if (!*szWnd || !*szCtrl) break;
        record.strWndName = szWnd;
        record.strCtrlName = szCtrl;
        record.strFontName = table.GetString(uRow, "FontName");
        record.uFontSize = static_cast<uint8_t>(std::atoi(table.GetString(uRow, "FontSize")));
        record.uEdgeMode = static_cast<uint8_t>(std::atoi(table.GetString(uRow, "EdgeMode")));
        record.bForceShowText = std::strcmp(table.GetString(uRow, "ForceShowText"), "1") == 0;
        ReadColour(table.GetString(uRow, "EnableColor"), record.uEnableColor);
        ReadColour(table.GetString(uRow, "MouseOverColor"), record.uMouseOverColor);
        ReadColour(table.GetString(uRow, "MouseDownColor"), record.uMouseDownColor);
        ReadColour(table.GetString(uRow, "EdgeColor"), record.uEdgeColor);
        m_vecCtrlFont.push_back(record);
    }
    return true;
}

void CNetChk_UtilResMgr::ApplyControlFonts(ArkGui::CArkWnd* pWnd, bool bRelayout) const {
    if (!pWnd || !pWnd->GetManager()) return;
    ArkGui::CArkGUIManager* pManager = pWnd->GetManager();
    for (const NetChkCtrlFont& font : m_vecCtrlFont) {
        if (font.strWndName != pWnd->GetName()) continue;
        ArkGui::CArkWnd* pCtrl = pWnd->FindChild(font.strCtrlName.c_str());
        if (!pCtrl) continue;
        pManager->SetFont(pCtrl, font.strFontName.c_str(), font.uFontSize);
        pCtrl->SetEdgeMode(font.uEdgeMode);
        const struct {
            uint32_t uState;
            uint32_t uColour;
        } states[] = {{ArkGui::ARK_ATTR_ENABLED, font.uEnableColor},
                      {ArkGui::ARK_ATTR_MOUSEOVER, font.uMouseOverColor},
                      {ArkGui::ARK_ATTR_MOUSEDOWN, font.uMouseDownColor}};
        for (const auto& state : states) {
            if (state.uColour) pCtrl->SetTextColour(ArkGui::ArkAttrKey(state.uState), state.uColour);
            if (font.uEdgeColor) pCtrl->SetEdgeColour(ArkGui::ArkAttrKey(state.uState), font.uEdgeColor);
        }
        pCtrl->SetForceShowText(font.bForceShowText);
        if (bRelayout) {
            const std::string strCaption = pCtrl->GetText();
            pCtrl->SetText(strCaption.c_str());
        }
    }
}
