// nctool dump names a dump's frames from the binaries on disk (ELF symbols, matched by build id).
#include "kernel/crash/CrashTest_Child.h"

#include "common/NcTest_TempDir.h"
#include "common/NcTest_Tool.h"

#include <gtest/gtest.h>

TEST(CrashDump, FramesAreNamedFromTheBinary) {
    ScopedTempDir tmp;
    const CrashRun run = RunCrashingTool(tmp.Path(), {"crash", "fpe"});
    ASSERT_TRUE(run.bFinished) << run.strErr;
    const std::vector<std::string> vecDumps = ListFiles(tmp / "save");
    ASSERT_EQ(vecDumps.size(), 1u);
    const ToolResult dumped = RunNcTool({"dump", tmp / ("save/" + vecDumps[0])});
    EXPECT_EQ(dumped.nExitCode, 0) << dumped.strErr;
    const size_t uFrames = dumped.strOut.find("frames:");
    const size_t uStack = dumped.strOut.find("stack: ");
    ASSERT_LT(uFrames, uStack) << dumped.strOut;
    EXPECT_NE(dumped.strOut.substr(uFrames, uStack - uFrames).find("CrashByFpe"), std::string::npos) << dumped.strOut;
}
