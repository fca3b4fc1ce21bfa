// The streams the kernel keeps open for the whole run (the log file, the pack archives) are not inherited
// by the check's commands.
#include "FilePackTestSupport.h"

#include "KX_Platform/KXPlatform_ChildProcess.h"
#include "KX_Platform/KXPlatform_Clock.h"

namespace {

// What the shell running a script has open, one target per line.
std::string OpenFilesOfAChild() {
    WriteTestFile("fds.sh", "for f in /proc/$$/fd/*; do readlink \"$f\"; done\n");
    KXPlatform::CChildProcess child;
    if (!child.OpenPipe() || !child.StartScript("fds.sh")) return "<no child>";
    for (int i = 0; i < 500 && !child.PollEnded(); ++i) KXPlatform::Sleep(10);
    std::string strOut;
    child.ReadOutput(KXPlatform::CChildProcess::kGatherLimit, strOut);
    return strOut;
}

class InheritanceTest : public FilePackTest {};

TEST_F(InheritanceTest, LogFileArchivesAndDiskFilesStayOutOfChildren) {
    // The log capture of the fixture has opened the log file.
    const std::string strLog = CArkLogger::Instance().GetLogFilePath();
    ASSERT_FALSE(strLog.empty());
    BuildPack("inherit.wdf", {{"a.txt", "packed"}});
    std::unique_ptr<CKXKernal_File> pPacked = OpenFile("inherit/a.txt", true);
    ASSERT_NE(pPacked, nullptr);
    WriteTestFile("disk.txt", "disk");
    std::unique_ptr<CKXKernal_File> pDisk = OpenFile("disk.txt", true);
    ASSERT_NE(pDisk, nullptr);

    const std::string strOpen = OpenFilesOfAChild();
    ASSERT_NE(strOpen.find("pipe:"), std::string::npos) << strOpen;
    EXPECT_EQ(strOpen.find(strLog.substr(strLog.rfind('/') + 1)), std::string::npos) << strOpen;
    EXPECT_EQ(strOpen.find("inherit.wdf"), std::string::npos) << strOpen;
    EXPECT_EQ(strOpen.find("disk.txt"), std::string::npos) << strOpen;
}

}  // namespace
