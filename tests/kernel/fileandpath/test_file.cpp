// CKXKernal_File on disk: ranges, whole-element reads, writes that grow the end, Seek and Eof, and the
// assertions and log line of a position outside the range.
#include "FilePackTestSupport.h"

namespace {

class DiskFileTest : public FilePackTest {};

TEST_F(DiskFileTest, MissingFilesAndDirectoriesDoNotOpen) {
    EXPECT_EQ(OpenDiskFile("missing.txt", "rb"), nullptr);
    KXPlatform::MakeDirectory("folder");
    EXPECT_EQ(OpenDiskFile("folder", "rb"), nullptr);
    EXPECT_EQ(OpenFile("folder", true), nullptr);
    EXPECT_EQ(OpenDiskFile(nullptr, "rb"), nullptr);
}

TEST_F(DiskFileTest, ReadsWholeElementsAndTracksThePosition) {
    WriteTestFile("ten.bin", "0123456789");
    std::unique_ptr<CKXKernal_File> pFile = OpenDiskFile("ten.bin", "rb");
    ASSERT_NE(pFile, nullptr);
    EXPECT_EQ(pFile->GetSize(), 10);
    EXPECT_EQ(pFile->GetFileName(), "ten.bin");

    char aBuf[16] = {};
    EXPECT_EQ(pFile->Read(aBuf, 3, 1), 3u);
    EXPECT_EQ(std::string(aBuf, 3), "012");
    EXPECT_FALSE(pFile->Eof());
    // Seven bytes are left: one whole 4-byte element; the partial one does not count.
    EXPECT_EQ(pFile->Read(aBuf, 4, 3), 4u);
    EXPECT_EQ(std::string(aBuf, 4), "3456");
    EXPECT_EQ(pFile->GetCurTell(), 7) << "the position advances by the whole elements only";

    EXPECT_EQ(pFile->Seek(8), 7);
    EXPECT_EQ(pFile->Read(aBuf, 1, 2), 2u);
    EXPECT_EQ(std::string(aBuf, 2), "89");
    EXPECT_TRUE(pFile->Eof());
    EXPECT_EQ(pFile->Read(aBuf, 1, 5), 0u) << "nothing is read at the end";
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(DiskFileTest, EmptyFileReadsNothingAndIsAtItsEnd) {
    WriteTestFile("empty.txt", "");
    std::unique_ptr<CKXKernal_File> pFile = OpenFile("empty.txt", true);
    ASSERT_NE(pFile, nullptr);
    EXPECT_EQ(pFile->GetSize(), 0);
    EXPECT_TRUE(pFile->Eof());
    char c = 'x';
    EXPECT_EQ(pFile->Read(&c, 1, 1), 0u);
    EXPECT_EQ(c, 'x');
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(DiskFileTest, WritesGrowTheEndOnlyWhenThePositionPassesIt) {
    {
        std::unique_ptr<CKXKernal_File> pFile = OpenDiskFile("w.bin", "wb");
        ASSERT_NE(pFile, nullptr);
        EXPECT_EQ(pFile->GetSize(), 0);
        EXPECT_EQ(pFile->Write("abcdef", 2, 3), 6u);
        EXPECT_EQ(pFile->GetSize(), 6);
        pFile->Seek(1);
        EXPECT_EQ(pFile->Write("XY", 1, 2), 2u);
        EXPECT_EQ(pFile->GetSize(), 6);
        EXPECT_EQ(pFile->GetCurTell(), 3);
    }
    EXPECT_EQ(ReadTestFile("w.bin"), "aXYdef");

    std::unique_ptr<CKXKernal_File> pFile = OpenDiskFile("w.bin", "rb+");
    ASSERT_NE(pFile, nullptr);
    pFile->Seek(6);
    EXPECT_EQ(pFile->Write("gh", 1, 2), 2u);
    pFile->Seek(0);
    char aBuf[8] = {};
    EXPECT_EQ(pFile->Read(aBuf, 1, 8), 8u);
    EXPECT_EQ(std::string(aBuf, 8), "aXYdefgh");
}

TEST_F(DiskFileTest, PositionOutsideTheRangeAssertsLogsAndReadsNothing) {
    WriteTestFile("f.csv", "abc");
    std::unique_ptr<CKXKernal_File> pFile = OpenDiskFile("f.csv", "rb");
    ASSERT_NE(pFile, nullptr);

    EXPECT_EQ(pFile->Seek(5), 0);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_NE(m_boxes.Texts()[0].find("KXKernal_Assert(m_nCurTell <= m_nEndTell);"), std::string::npos);

    EXPECT_FALSE(pFile->Eof());
    const auto texts = m_boxes.Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1], "f.csv文件结构损坏，若一定出现此情况，请重新安装客户端");
    EXPECT_NE(texts[2].find("KXKernal_Assert(m_nCurTell >= m_nBeginTell && m_nCurTell <= m_nEndTell);"),
              std::string::npos);
    m_log.ExpectError("[WL_ERROR] [M_Logic]CKXKernal_File::Eof f.csv文件结构损坏，若一定出现此情况，请重新安装客户端 curr[5] begin[0] end[3]");

    char aBuf[4];
    EXPECT_EQ(pFile->Read(aBuf, 1, 1), 0u);
    EXPECT_EQ(m_boxes.Count(), 4u);
    EXPECT_NE(m_boxes.Texts()[3].find("this->m_nCurTell <= this->m_nEndTell && pMemBuffer"), std::string::npos);

    // A wild offset neither overflows nor reads.
    pFile->Seek(INT32_MAX);
    EXPECT_EQ(pFile->GetCurTell(), INT32_MAX);
    pFile->Seek(-5);
    EXPECT_EQ(pFile->Read(aBuf, 1, 1), 0u);
}

}  // namespace
