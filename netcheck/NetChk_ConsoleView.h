// The check view of a terminal: every operation of a run becomes one line of UTF-8 text on a stream.
#pragma once

#include "netcheck/run/NetChk_CheckView.h"

#include <cstdio>
#include <string>

class CNetChk_UtilResMgr;

class CNetChk_ConsoleView : public INetChk_CheckView {
public:
    // Neither the stream nor the string table is owned; the table gives the verdict's texts.
    CNetChk_ConsoleView(std::FILE* pOut, const CNetChk_UtilResMgr* pResMgr);

    void SetProgress(uint32_t uPos, uint32_t uMax, int32_t nState) override;
    void SetStepText(const std::string& strText) override;
    void SetResults(const std::string strTexts[3], const std::string strTips[3]) override;
    void ShowVerdict(int32_t nIndex) override;
    void EnableUpload(bool bEnable) override;

    // The state of the last progress report (kProgressRunning before the first).
    int32_t GetProgressState() const { return m_nProgressState; }

private:
    void WriteLine(const std::string& strGbk);

    std::FILE* m_pOut;
    const CNetChk_UtilResMgr* m_pResMgr;
    int32_t m_nProgressState = kProgressRunning;
};
