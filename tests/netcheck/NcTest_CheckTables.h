// The tables a check needs, written into the current directory with short texts that tests can spot:
// the display strings with every key the engine looks up, and the grading bounds.
#pragma once

#include "common/NcTest_TempDir.h"

#include <string>

namespace checktables {

inline void WriteStringTable() {
    WriteTestFile("config/sys/NetChk_string_def.csv",
                  "name,msg\n"
                  "Ntc_NQ_Checking,checking\n"
                  "Ntc_NQ_Good,nq-good\nNtc_NQ_Common,nq-common\nNtc_NQ_Bad,nq-bad\n"
                  "Ntc_LagLoss_Good,ll-good\nNtc_LagLoss_Common,ll-common\nNtc_LagLoss_Bad,ll-bad\n"
                  "Ntc_LagLoss_Overflow,ll-overflow\n"
                  "Ntc_Chk_Excption_OpenTargetFileFailed,read-failed\n"
                  "Ntc_Chk_Finish_PrgsInfo,finished\n"
                  "Ntc_Chk_CheckResult0,result0\nNtc_Chk_CheckResult1,result1\n"
                  "Ntc_Chk_CheckResult2,result2\nNtc_Chk_CheckResult3,result3\n"
                  "Ntc_Chk_RepairSuggest0,advice0\nNtc_Chk_RepairSuggest1,advice1\n"
                  "Ntc_Chk_RepairSuggest2,advice2\nNtc_Chk_RepairSuggest3,advice3\n");
}

// Rows: good, common, overflow bounds.
inline void WriteBounds(const std::string& strLag, const std::string& strLoss) {
    auto cell = [](const std::string& s, int i) {
        size_t a = 0;
        for (int k = 0; k < i; ++k) a = s.find('/', a) + 1;
        size_t b = s.find('/', a);
        return s.substr(a, b == std::string::npos ? std::string::npos : b - a);
    };
    std::string csv = "等级,网络延迟(ms),丢包率(%)\n";
    for (int i = 0; i < 3; ++i) csv += "r" + std::to_string(i) + "," + cell(strLag, i) + "," + cell(strLoss, i) + "\n";
    WriteTestFile("config/sys/NetJudged.csv", csv);
}

}  // namespace checktables
