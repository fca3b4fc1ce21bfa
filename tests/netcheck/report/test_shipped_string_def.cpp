// The display string table the program ships with: every text key the program looks up has a text, and
// the texts used as formats carry exactly the conversion their caller passes.
#include "common/NcTest_MessageBox.h"
#include "common/NcTest_Paths.h"
#include "common/NcTest_TempDir.h"

#include "KX_Platform/KXPlatform_Encoding.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The conversions of a printf format, e.g. "%d" for "共 %d 条，100%%"; "%%" is not one.
std::vector<std::string> Conversions(const std::string& strFormat) {
    std::vector<std::string> vecFound;
    for (size_t i = 0; i < strFormat.size(); ++i) {
        if (strFormat[i] != '%') continue;
        if (i + 1 < strFormat.size() && strFormat[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < strFormat.size() && std::string("-+ #0123456789.lh").find(strFormat[j]) != std::string::npos) ++j;
        vecFound.push_back(strFormat.substr(i, j < strFormat.size() ? j - i + 1 : j - i));
        i = j;
    }
    return vecFound;
}

class ShippedStringDef : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string strSource = ReadTestFile(NcTestSourceDir() + "/data/config/sys/NetChk_string_def.csv");
        ASSERT_FALSE(strSource.empty());
        WriteTestFile("config/sys/NetChk_string_def.csv", KXPlatform::Utf8ToGbk(strSource));
        ASSERT_TRUE(m_resources.LoadStringDef());
    }

    ScopedTempDir m_dir{true};
    ScopedMessageBoxRecorder m_boxes;
    CNetChk_UtilResMgr m_resources;
};

TEST_F(ShippedStringDef, EveryTextKeyHasAText) {
    std::vector<std::string> vecKeys = {
        "Ntc_NQ_Checking",       "Ntc_NQ_Good",           "Ntc_NQ_Common",          "Ntc_NQ_Bad",
        "Ntc_LagLoss_Good",      "Ntc_LagLoss_Common",    "Ntc_LagLoss_Bad",        "Ntc_LagLoss_Overflow",
        "Ntc_Chk_Excption_OpenTargetFileFailed",           "Ntc_Chk_Ing0",           "Ntc_Chk_Finish",
        "Ntc_Chk_Stop",          "Ntc_Chk_Stop_PrgsInfo", "Ntc_Chk_Finish_PrgsInfo", "Ntc_Uploade_Uploading",
        "Ntc_Uploade_Success",   "Ntc_Uploade_UnameWrong", "Ntc_Uploade_IN10MIN",   "Ntc_Uploade_Failed"};
    for (int nIndex = 0; nIndex <= 3; ++nIndex) {
        vecKeys.push_back("Ntc_Chk_CheckResult" + std::to_string(nIndex));
        vecKeys.push_back("Ntc_Chk_RepairSuggest" + std::to_string(nIndex));
    }
    for (const std::string& strKey : vecKeys) EXPECT_FALSE(m_resources.GetNetChkString(strKey).empty()) << strKey;
    EXPECT_EQ(m_boxes.Count(), 0u) << "the table parses without complaint";
    // A command whose output cannot be read costs one result; the run goes on, so the line that says
    // so must not tell the player that the check was aborted.
    const std::string strReadFailed = m_resources.GetNetChkString("Ntc_Chk_Excption_OpenTargetFileFailed");
    for (const char* szAborted : {"中止", "终止", "停止", "取消"})
        EXPECT_EQ(std::string::npos, strReadFailed.find(szAborted)) << KXPlatform::GbkToUtf8(strReadFailed);
}

TEST_F(ShippedStringDef, UploadResultFormatsTakeWhatTheUploadPasses) {
    // The reply number for success and for a repeat within ten minutes, the output file name on failure.
    EXPECT_EQ(Conversions(m_resources.GetNetChkString("Ntc_Uploade_Success")), std::vector<std::string>{"%d"});
    EXPECT_EQ(Conversions(m_resources.GetNetChkString("Ntc_Uploade_IN10MIN")), std::vector<std::string>{"%d"});
    EXPECT_EQ(Conversions(m_resources.GetNetChkString("Ntc_Uploade_Failed")), std::vector<std::string>{"%s"});
}

}  // namespace
