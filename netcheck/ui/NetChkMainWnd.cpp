// CNetChkMainWnd: construction, the operations the check run calls, the state line.
#include "netcheck/ui/NetChkMainWnd.h"

#include <algorithm>
#include <cstdio>

#include "KX_GUI/ArkButton.h"
#include "KX_GUI/ArkProgress.h"
#include "KX_GUI/ArkRichText.h"
#include "KX_GUI/ArkRichWnd.h"
#include "netcheck/ui/NetChk_WndCommon.h"

using namespace ArkGui;

namespace {
CNetChkMainWnd* g_pMainWnd = nullptr;

void SetCaption(CArkWnd* pWnd, const std::string& strText) {
    if (pWnd) pWnd->SetText(strText.c_str());
}

// The readings take the mouse over their whole rectangle, so that their tooltips show anywhere on them.
void TakeMouse(CArkWnd* pWnd) {
    if (auto* pRich = dynamic_cast<CArkRichWnd*>(pWnd)) {
        pRich->GetRichText().SetDefaultFlags(pRich->GetRichText().GetDefaultFlags() | ArkRichFlag(ARK_RICH_TAKE_MOUSE));
        pRich->SetText(pRich->GetText().c_str());
    }
}
}  // namespace

CNetChkMainWnd* GetNetChkMainWnd() {
    if (g_pMainWnd) return g_pMainWnd;
    auto* pWnd = new CNetChkMainWnd();
    if (!NetChkWnd::CreateFromTemplate(pWnd, "NetChkMainWnd")) {
        delete pWnd;
        return nullptr;
    }
    pWnd->Show(false);  // start-up sizes and shows it
    pWnd->Setup();
    return pWnd;
}

CNetChkMainWnd* FindNetChkMainWnd() { return g_pMainWnd; }

CNetChkMainWnd::CNetChkMainWnd() = default;

CNetChkMainWnd::~CNetChkMainWnd() {
    if (g_pMainWnd == this) g_pMainWnd = nullptr;
}

void CNetChkMainWnd::Setup() {
    if (!g_pMainWnd) g_pMainWnd = this;
    NetChkWnd::ApplyControlFonts(this);
    SetLayerOrder(kLayer);
    SetStyle(GetStyle() | kShapedStyle);

    m_pProgress = NetChkWnd::FindTyped<CArkProgress>(this, "CheckingProgress");
    m_pPrgsInfo = FindChild("PrgsInfoWnd");
    m_pStopBtn = NetChkWnd::FindTyped<CArkButton>(this, "StopchkBtn");
    m_pRechkBtn = NetChkWnd::FindTyped<CArkButton>(this, "RechkBtn");
    m_pUploadBtn = NetChkWnd::FindTyped<CArkButton>(this, "UploadRptBtn");
    m_pResult = FindChild("ResultContWnd");
    m_pLag = FindChild("LagContWnd");
    m_pLoss = FindChild("LossContWnd");
    m_pChkingInfo = FindChild("ChkingInfoWnd");
    m_pCheckResult = FindChild("CheckResultWnd");
    m_pRepair = NetChkWnd::FindTyped<CArkRichWnd>(this, "RepairSuggestWnd");

    m_nState = kProgressRunning;
    m_uLastDotTick = 0;
    m_nDotCount = 0;

    TakeMouse(m_pResult);
    TakeMouse(m_pLag);
    TakeMouse(m_pLoss);
}

void CNetChkMainWnd::SetProgress(uint32_t uPos, uint32_t uMax, int32_t nState) {
    if (m_pProgress) {
        const double dValue = std::min(static_cast<double>(uPos), m_pProgress->GetMax());
        m_pProgress->SetMax(static_cast<double>(uMax));
        m_pProgress->SetValue(std::min(dValue, m_pProgress->GetMax()));
    }
    const bool bRunning = nState == kProgressRunning;
    if (m_pStopBtn && m_pStopBtn->GetVisibleFlag() != bRunning) m_pStopBtn->Show(bRunning);
    if (m_pRechkBtn && m_pRechkBtn->GetVisibleFlag() == bRunning) m_pRechkBtn->Show(!bRunning);
    m_nState = nState;
}

void CNetChkMainWnd::SetStepText(const std::string& strText) { SetCaption(m_pChkingInfo, strText); }

void CNetChkMainWnd::SetResults(const std::string strTexts[3], const std::string strTips[3]) {
    CArkWnd* apWnd[3] = {m_pResult, m_pLag, m_pLoss};
    for (int i = 0; i < 3; ++i) SetCaption(apWnd[i], strTexts[i]);
    for (int i = 0; i < 3; ++i) {
        if (apWnd[i]) apWnd[i]->SetTipText(strTips[i].c_str());
    }
}

void CNetChkMainWnd::ShowVerdict(int32_t nIndex) {
    char szKey[64];
    std::snprintf(szKey, sizeof(szKey), "Ntc_Chk_CheckResult%d", static_cast<int>(nIndex));
    SetCaption(m_pCheckResult, NetChkWnd::GetString(szKey));
    std::snprintf(szKey, sizeof(szKey), "Ntc_Chk_RepairSuggest%d", static_cast<int>(nIndex));
    SetCaption(m_pRepair, NetChkWnd::GetString(szKey));
}

void CNetChkMainWnd::EnableUpload(bool bEnable) {
    if (m_pUploadBtn) m_pUploadBtn->SetEnabled(bEnable);
}

void CNetChkMainWnd::Show(bool bShow) {
    if (bShow) {
        m_nState = kProgressRunning;
        m_uLastDotTick = NetChkWnd::GetTick(this);
        SetCaption(m_pCheckResult, "");
        SetCaption(m_pRepair, "");
    }
    CArkWnd::Show(bShow);
}

void CNetChkMainWnd::Update() {
    std::string strLine;
    switch (m_nState) {
        case kProgressRunning: {
            const uint32_t uNow = NetChkWnd::GetTick(this);
            if (uNow - m_uLastDotTick >= kDotStepMs) {
                m_nDotCount = (m_nDotCount + 1) % kDotCycle;
                m_uLastDotTick = uNow;
            }
            strLine = NetChkWnd::GetString("Ntc_Chk_Ing0") + std::string(static_cast<size_t>(m_nDotCount), '.');
            break;
        }
        case kProgressFinished: strLine = NetChkWnd::GetString("Ntc_Chk_Finish"); break;
        case kProgressStopped: strLine = NetChkWnd::GetString("Ntc_Chk_Stop"); break;
        default: break;
    }
    // Only a real change touches the caption, so an idle frame stays unchanged.
    if (m_pPrgsInfo && m_pPrgsInfo->GetText() != strLine) m_pPrgsInfo->SetText(strLine.c_str());
    CArkWnd::Update();
}
