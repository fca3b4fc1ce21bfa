// CNetChkMainWnd: the tool's one permanent window. It shows what the check run reports (progress, the
// animated state line, the readings with their tooltips, the verdict and the advice) and turns the
// clicks on its stop, re-check, upload and close buttons into calls to the application.
#pragma once

#include <cstdint>
#include <string>

#include "KX_GUI/ArkWnd.h"
#include "netcheck/run/NetChk_CheckView.h"

namespace ArkGui {
class CArkButton;
class CArkProgress;
class CArkRichWnd;
}  // namespace ArkGui

class CNetChkMainWnd : public ArkGui::CArkWnd, public INetChk_CheckView {
public:
    static constexpr int kLayer = 200;
    // Clicks hit only where the background picture is opaque.
    static constexpr uint32_t kShapedStyle = 0x20000000u;
    // One more "." on the state line every half second, 0 to 6 of them.
    static constexpr uint32_t kDotStepMs = 500;
    static constexpr int32_t kDotCycle = 7;

    CNetChkMainWnd();
    ~CNetChkMainWnd() override;

    // ---- what the check run calls ----
    void SetProgress(uint32_t uPos, uint32_t uMax, int32_t nState) override;
    void SetStepText(const std::string& strText) override;
    void SetResults(const std::string strTexts[3], const std::string strTips[3]) override;
    void ShowVerdict(int32_t nIndex) override;
    void EnableUpload(bool bEnable) override;

    // ---- CArkWnd ----
    void Show(bool bShow) override;
    void Update() override;
    int OnNotify(ArkGui::CArkWnd* pChild, uint32_t uCode, intptr_t a, intptr_t b) override;

    // After the window and its children exist: fonts, layer, shape, child look-ups, initial state.
    // The first window set up is the instance its accessor returns.
    void Setup();

    int32_t GetState() const { return m_nState; }
    int32_t GetDotCount() const { return m_nDotCount; }

private:
    void OnStop();
    void OnRecheck();
    void OnClose();
    // The stop's log line, which names the command the run had come to.
    void LogStop() const;

    int32_t m_nState = kProgressRunning;
    int32_t m_nDotCount = 0;
    uint32_t m_uLastDotTick = 0;

    ArkGui::CArkProgress* m_pProgress = nullptr;
    ArkGui::CArkWnd* m_pPrgsInfo = nullptr;
    ArkGui::CArkButton* m_pStopBtn = nullptr;
    ArkGui::CArkButton* m_pRechkBtn = nullptr;
    ArkGui::CArkButton* m_pUploadBtn = nullptr;
    ArkGui::CArkWnd* m_pResult = nullptr;
    ArkGui::CArkWnd* m_pLag = nullptr;
    ArkGui::CArkWnd* m_pLoss = nullptr;
    ArkGui::CArkWnd* m_pChkingInfo = nullptr;
    ArkGui::CArkWnd* m_pCheckResult = nullptr;
    ArkGui::CArkRichWnd* m_pRepair = nullptr;
};

// The main window, created from the template "NetChkMainWnd" (hidden) on the first call; null when
// there is no window tree yet.
CNetChkMainWnd* GetNetChkMainWnd();
// The main window if it exists, without creating it.
CNetChkMainWnd* FindNetChkMainWnd();
