// The display string table: lookups by key, skipped rows, a later duplicate, a missing table.
#include "common/NcTest_Logger.h"
#include "common/NcTest_MessageBox.h"
#include "common/NcTest_TempDir.h"

#include "netcheck/ui/NetChk_UtilResMgr.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(StringDef, LookupsByKey) {
    ScopedTempDir dir(true);
    WriteTestFile("config/sys/NetChk_string_def.csv",
                  "name,msg,note\n"
                  "Ntc_NQ_Good,网络良好,ignored\n"
                  ",orphan text\n"
                  "Ntc_Empty,\n"
                  "Ntc_Twice,first\n"
                  "\"Ntc_Quoted\",\"#c00ff00绿色,带逗号#n\"\n"
                  "Ntc_Twice,second\n");
    CNetChk_UtilResMgr resources;
    ASSERT_TRUE(resources.LoadStringDef());
    EXPECT_EQ(resources.GetNetChkString("Ntc_NQ_Good"), "网络良好");
    EXPECT_EQ(resources.GetNetChkString("ntc_nq_good"), "");
    EXPECT_EQ(resources.GetNetChkString(""), "");
    EXPECT_EQ(resources.GetNetChkString("Ntc_Empty"), "");
    EXPECT_EQ(resources.GetNetChkString("Ntc_Absent"), "");
    EXPECT_EQ(resources.GetNetChkString("Ntc_Twice"), "second");
    EXPECT_EQ(resources.GetNetChkString("Ntc_Quoted"), "#c00ff00绿色,带逗号#n");
}

TEST(StringDef, MissingTableIsLoggedAndLeavesLookupsEmpty) {
    ScopedTempDir dir(true);
    ScopedLogCapture log;
    log.ExpectError("[WL_ERROR] [M_Common]无法读取字符串信息配置文件./config/sys/NetChk_string_def.csv！");
    ScopedMessageBoxRecorder boxes;

    CNetChk_UtilResMgr resources;
    EXPECT_FALSE(resources.LoadStringDef());
    EXPECT_EQ(resources.GetNetChkString("Ntc_NQ_Good"), "");
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find("[WL_ERROR] [M_Common]无法读取字符串信息配置文件./config/sys/NetChk_string_def.csv！\n\r\n"),
              std::string::npos);
    EXPECT_EQ(boxes.Count(), 0u);

    // A header-only table loads and finds nothing.
    WriteTestFile("config/sys/NetChk_string_def.csv", "name,msg\n");
    EXPECT_TRUE(resources.LoadStringDef());
    EXPECT_EQ(resources.GetNetChkString("name"), "");
}

}  // namespace
