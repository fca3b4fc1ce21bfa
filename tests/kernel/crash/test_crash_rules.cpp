// The pure rules of the crash report: the dump's name and path, the client version, the out-of-memory
// rule, the call-record ring and the dump file format.
#include "KX_Kernal/crash/KXKernal_CrashHandler.h"
#include "KX_Kernal/crash/KXKernal_CrashReport.h"
#include "KX_Kernal/crash/KXKernal_CrashState.h"
#include "KX_Kernal/crash/KXKernal_DumpFile.h"

#include "common/NcTest_TempDir.h"

#include <gtest/gtest.h>

using namespace KXKernal_Crash;

TEST(CrashRules, DumpNameIsNotPaddedAndKeepsEmptyFields) {
    KXPlatform::LocalTime time;
    time.nYear = 2026;
    time.nMonth = 12;
    time.nDay = 4;
    time.nHour = 14;
    time.nMinute = 5;
    time.nSecond = 9;
    const std::string strName = MakeDumpName(time, "QVRTNetcheck", "", "1.0.2", "", "");
    EXPECT_EQ(ApplyDumpPathFormat("save/%s", strName), "save/2026-12-4_14-5-9_QVRTNetcheck_x32__1.0.2__.dmp");
    EXPECT_EQ(MakeDumpName(time, "A", "m", "v", "OutOfMemory", "D3D"), "2026-12-4_14-5-9_A_x32_m_v_OutOfMemory_D3D.dmp");
    EXPECT_EQ(ApplyDumpPathFormat("save/%s", "crash_log"), "save/crash_log");
    // A format with another conversion would read arguments that are not there.
    EXPECT_FALSE(IsUsableDumpPathFormat("save/%s/%d"));
    EXPECT_FALSE(IsUsableDumpPathFormat("save/%s%s"));
    EXPECT_FALSE(IsUsableDumpPathFormat("save"));
    EXPECT_EQ(ApplyDumpPathFormat("%n%s", "x.dmp"), "x.dmp");
}

TEST(CrashRules, ClientVersionComesFromTheRootOfUpdateXml) {
    ScopedTempDir tmp;
    EXPECT_EQ(ReadClientVersion(tmp.Path()), "");
    WriteTestFile(tmp / "update.xml", "<?xml version=\"1.0\"?>\n<update version=\"1.0.2\"><file version=\"9\"/></update>");
    EXPECT_EQ(ReadClientVersion(tmp.Path()), "1.0.2");
    WriteTestFile(tmp / "update.xml", "<update><file version=\"9\"/></update>");
    EXPECT_EQ(ReadClientVersion(tmp.Path()), "");
    WriteTestFile(tmp / "update.xml", "<update version=\"1.0");
    EXPECT_EQ(ReadClientVersion(tmp.Path()), "");
}

TEST(CrashRules, OutOfMemoryBelowTwoHundredMegabytesOfUsableMemory) {
    const uint64_t kMB = 1024;
    // Usable memory is capped at 3072 MB however much the machine has.
    EXPECT_FALSE(IsOutOfMemory(16384 * kMB, 8000 * kMB, true, 2872 * kMB));
    EXPECT_TRUE(IsOutOfMemory(16384 * kMB, 8000 * kMB, true, 2873 * kMB));
    EXPECT_TRUE(IsOutOfMemory(1024 * kMB, 900 * kMB, true, 900 * kMB));
    EXPECT_TRUE(IsOutOfMemory(1024 * kMB, 900 * kMB, true, 2000 * kMB));
    // Without the process's figures the machine's available memory decides.
    EXPECT_TRUE(IsOutOfMemory(16384 * kMB, 199 * kMB, false, 0));
    EXPECT_FALSE(IsOutOfMemory(16384 * kMB, 200 * kMB, false, 0));
}

TEST(CrashRules, CallRecordRingKeepsTheNewestThreeHundredAndEmptiesWhenTaken) {
    TakeCallRecords();
    for (int i = 0; i < 305; ++i) AddCallRecord(("record " + std::to_string(i)).c_str());
    AddCallRecord(std::string(400, 'x').c_str());
    std::vector<std::string> vecRecords = TakeCallRecords();
    ASSERT_EQ(vecRecords.size(), 300u);
    EXPECT_EQ(vecRecords.front(), "record 6");
    EXPECT_EQ(vecRecords[298], "record 304");
    EXPECT_EQ(vecRecords.back(), std::string(255, 'x'));
    EXPECT_TRUE(TakeCallRecords().empty());
}

TEST(CrashRules, DumpFileRoundTripsAndRefusesDamage) {
    ScopedTempDir tmp;
    DumpContents dump;
    dump.facts.nSignal = 11;
    dump.facts.nCode = 1;
    dump.facts.uAddress = 0x10;
    dump.facts.uThreadId = 77;
    std::snprintf(dump.facts.szSignalName, sizeof(dump.facts.szSignalName), "SIGSEGV");
    dump.vecRegisters = {{"rip", 0x401000}, {"rsp", 0x7ffc0000}};
    dump.uStackAddress = 0x7ffc0000;
    dump.strStack = std::string("\x01\x02\x00\x03", 4);
    dump.vecFrames = {0x401000, 0x402000};
    dump.strMemoryMap = "00400000-00401000 r-xp 00000000 08:01 1 /bin/x\n";
    dump.strReport = "CallStack:\n";
    int nError = 0;
    ASSERT_TRUE(WriteDumpFile((tmp / "a.dmp").c_str(), dump, nError));

    DumpContents back;
    std::string strWhy;
    ASSERT_TRUE(ReadDumpFile((tmp / "a.dmp").c_str(), back, strWhy)) << strWhy;
    EXPECT_EQ(back.facts.nSignal, 11);
    EXPECT_EQ(back.facts.uAddress, 0x10u);
    EXPECT_EQ(back.facts.uThreadId, 77u);
    EXPECT_STREQ(back.facts.szSignalName, "SIGSEGV");
    EXPECT_EQ(back.vecRegisters, dump.vecRegisters);
    EXPECT_EQ(back.strStack, dump.strStack);
    EXPECT_EQ(back.vecFrames, dump.vecFrames);
    EXPECT_EQ(back.strMemoryMap, dump.strMemoryMap);
    EXPECT_EQ(back.strReport, dump.strReport);

    // Every cut short of the whole file is refused, never read past.
    const std::string strBytes = ReadTestFile(tmp / "a.dmp");
    for (size_t uCut : {size_t(0), size_t(10), size_t(20), strBytes.size() - 1}) {
        WriteTestFile(tmp / "cut.dmp", strBytes.substr(0, uCut));
        EXPECT_FALSE(ReadDumpFile((tmp / "cut.dmp").c_str(), back, strWhy)) << uCut;
    }
    std::string strHuge = strBytes;
    strHuge[16] = '\xff';  // the first record's length far beyond the file
    strHuge[17] = '\xff';
    WriteTestFile(tmp / "huge.dmp", strHuge);
    EXPECT_FALSE(ReadDumpFile((tmp / "huge.dmp").c_str(), back, strWhy));
}
