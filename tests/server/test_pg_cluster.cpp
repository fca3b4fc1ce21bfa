// The throw-away cluster script: a run killed before its "stop" must not leave a database server behind
// once the next run starts on the same folder.
#include "server/NcServerTest_PgCluster.h"

#include "common/NcTest_TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

namespace {

std::string Trimmed(std::string str) {
    while (!str.empty() && (str.back() == '\n' || str.back() == ' '))
        str.pop_back();
    return str;
}

// A process that is still there and not merely waiting to be reaped.
bool Runs(const std::string& strPid) {
    const std::string strStat = ReadTestFile("/proc/" + strPid + "/stat");
    size_t nParen = strStat.rfind(')');
    return nParen != std::string::npos && nParen + 2 < strStat.size() && strStat[nParen + 2] != 'Z';
}

bool Exists(const std::string& strPath) {
    struct stat st {};
    return ::stat(strPath.c_str(), &st) == 0;
}

}  // namespace

TEST(PgTestCluster, AStartOverALeftoverClusterStopsAndRemovesItFirst) {
    ScopedTempDir dir;
    const std::string strState = dir / "cluster";
    std::string strOldBase, strOldPid;
    {
        CNcTestPgCluster first(strState);
        ASSERT_FALSE(first.Url().empty());
        strOldBase = Trimmed(ReadTestFile(strState + "/base"));
        strOldPid = ReadTestFile(strOldBase + "/data/postmaster.pid");
        strOldPid = strOldPid.substr(0, strOldPid.find('\n'));
        ASSERT_FALSE(strOldPid.empty());

        // The next run starts over the same folder while the old server still runs, as after a killed ctest.
        CNcTestPgCluster second(strState);
        ASSERT_FALSE(second.Url().empty());
        EXPECT_NE(Trimmed(ReadTestFile(strState + "/base")), strOldBase);
        EXPECT_FALSE(Exists(strOldBase)) << strOldBase;
        EXPECT_FALSE(Runs(strOldPid)) << "the old postmaster " << strOldPid << " still runs";
        // "first" now stops what the state folder names, the second cluster: stopping twice is harmless.
    }
    EXPECT_FALSE(Exists(strState + "/url"));
}
