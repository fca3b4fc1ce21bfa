// Fakes for the check engine: a check view that records every call as a line, and a shell that records
// the run state, quit requests and window flashes.
#pragma once

#include "netcheck/run/NetChk_CheckView.h"
#include "netcheck/run/NetChk_RunHost.h"

#include <string>
#include <vector>

class RecordingCheckView : public INetChk_CheckView {
public:
    struct Progress {
        uint32_t uPos;
        uint32_t uMax;
        int32_t nState;
    };

    void SetProgress(uint32_t uPos, uint32_t uMax, int32_t nState) override {
        progress.push_back({uPos, uMax, nState});
        calls.push_back("progress " + std::to_string(uPos) + "/" + std::to_string(uMax) + " " + std::to_string(nState));
    }
    void SetStepText(const std::string& strText) override {
        stepTexts.push_back(strText);
        calls.push_back("step " + strText);
    }
    void SetResults(const std::string strTexts[3], const std::string strTips[3]) override {
        for (int i = 0; i < 3; ++i) {
            texts[i] = strTexts[i];
            tips[i] = strTips[i];
        }
        calls.push_back("results " + strTexts[0] + "|" + strTexts[1] + "|" + strTexts[2]);
    }
    void ShowVerdict(int32_t nIndex) override {
        verdicts.push_back(nIndex);
        calls.push_back("verdict " + std::to_string(nIndex));
    }
    void EnableUpload(bool bEnable) override {
        upload.push_back(bEnable);
        calls.push_back(bEnable ? "upload on" : "upload off");
    }

    // "pos/max state" of every progress report, in order.
    std::vector<std::string> ProgressLines() const {
        std::vector<std::string> out;
        for (const Progress& p : progress)
            out.push_back(std::to_string(p.uPos) + "/" + std::to_string(p.uMax) + " " + std::to_string(p.nState));
        return out;
    }

    std::vector<std::string> calls;
    std::vector<Progress> progress;
    std::vector<std::string> stepTexts;
    std::vector<int32_t> verdicts;
    std::vector<bool> upload;
    std::string texts[3];
    std::string tips[3];
};

class RecordingRunHost : public INetChk_RunHost {
public:
    void SetAppState(int32_t nState) override {
        nAppState = nState;
        states.push_back(nState);
    }
    void RequestQuit() override { ++nQuitRequests; }
    void FlashMainWindow() override { ++nFlashes; }

    int32_t nAppState = kAppIdle;
    std::vector<int32_t> states;
    int nQuitRequests = 0;
    int nFlashes = 0;
};
