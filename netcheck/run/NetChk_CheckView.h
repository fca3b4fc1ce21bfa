// What a check run shows: the five operations the run controller calls on the main window. The GUI's
// main window implements them, and so does the console view of the headless check.
#pragma once

#include <cstdint>
#include <string>

class INetChk_CheckView {
public:
    // Progress states: a run that failed or was stopped, one that is running, one that finished.
    enum ProgressState { kProgressStopped = 0, kProgressRunning = 1, kProgressFinished = 2 };

    virtual ~INetChk_CheckView() = default;

    // Position and maximum count steps. While running the stop button shows; otherwise re-check.
    virtual void SetProgress(uint32_t uPos, uint32_t uMax, int32_t nState) = 0;
    // The one status line under the progress bar (GBK).
    virtual void SetStepText(const std::string& strText) = 0;
    // Readings of quality, latency and loss, each with its tooltip text (GBK; tips may hold "#r").
    virtual void SetResults(const std::string strTexts[3], const std::string strTips[3]) = 0;
    // Shows the texts of "Ntc_Chk_CheckResult%d" and "Ntc_Chk_RepairSuggest%d" for the advice index.
    virtual void ShowVerdict(int32_t nIndex) = 0;
    virtual void EnableUpload(bool bEnable) = 0;
};
