// The process-wide record of the start-up configuration, the report form's fields and the report text
// of the current run. Built by start-up before the window exists; read by the check engine, the report
// window and the upload. All strings are GBK bytes.
#pragma once

#include <cstdint>
#include <string>

struct NetChk_DetailInfo {
    uint32_t uPlatformAddress = 0xFFFFFFFFu;  // IPv4 of Domain, network byte order
    std::string strDomain;                    // host of the report server
    std::string strPage;                      // path of the report page; must not be empty
    std::string strIpPage;                    // the public-address page; empty: the report server's own
    int32_t nPort = 80;
    int32_t nUploadLimitMs = 180000;          // one upload's time limit, on the frame limiter's clock
    uint32_t bUploadSuccess = 0;              // set by the upload worker
    std::string strReceived;                  // the server's reply to the last upload
    std::string strUserName = "请输入游戏账号";
    std::string strQuestionType = "网络检测";
    std::string strServerName;
    std::string strServerIP;                  // dotted IPv4 text
    std::string strGroupName;
    std::string strNetType;                   // the player's carrier
    std::string strDescription;
    std::string strReportText;                // the accumulated output of one check run
};

extern NetChk_DetailInfo g_DetailInfo;
