// A run at the system's edge: UTF-8 names and outputs outside, GBK inside, and a result file that cannot
// be written.
#include "netcheck/run/NcTest_RunFixture.h"
#include "netcheck/NcTest_PingSamples.h"
#include "netcheck/catalogue/NcTest_CatalogueFiles.h"
#include "KX_Platform/KXPlatform_Encoding.h"

namespace {

using cataloguefiles::Command;
using cataloguefiles::Document;

using SystemText = RunFixture;

TEST_F(SystemText, ChineseNamesAndUtf8OutputsReadRight) {
    // A ping in a Chinese UTF-8 locale, once through the pipe and once through the output file.
    WriteTestFile("zh.txt", KXPlatform::GbkToUtf8(pingsamples::WindowsChinese(0, 11)));
    m_mgr.GetCatalogue().SetServer("一区 电信", "10.1.2.3");
    ASSERT_TRUE(m_mgr.GetCatalogue().loadNewCommandMgrXml(
        Document(Command(2, "cat zh.txt &gt; #FILE#", "file") + Command(0, "cat zh.txt", "pipe"))));
    Start();
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(2u, Count("丢失 = 0 (0% 丢失)，"));
    EXPECT_EQ(2u, Count("最长 = 12ms，平均 = 11ms"));
    EXPECT_TRUE(m_log.Has("丢包率是0 , 延迟是11"));
    EXPECT_EQ("nq-good", m_view.texts[0]);
    // The output file was named in UTF-8 (and deleted after reading), and so is the result file.
    EXPECT_FALSE(std::filesystem::exists(u8"一区 电信.txt"));
    EXPECT_TRUE(m_log.Has("删除文件" + KXPlatform::Utf8ToGbk(std::filesystem::current_path().string()) + "/一区 电信.txt"));
    const std::string strSaved = ReadTestFile(m_dir / u8"exe/checklist/一区 电信.txt");
    EXPECT_NE(std::string::npos, strSaved.find("平均 = 11ms\r\n"));
    EXPECT_EQ(m_dir / u8"exe/checklist/一区 电信.txt", m_mgr.GetResultFilePath());
    EXPECT_EQ(0, m_mgr.GetResultFileError());
}

TEST_F(SystemText, AResultFileThatCannotBeWrittenIsReported) {
    WriteTestFile(m_dir / "exe/checklist", "a file where the folder should be");
    AddOrdered(0, "cat good.txt", "ping");
    Start();
    ASSERT_TRUE(RunToEnd());
    // The run finished all the same, and the caller learns why nothing was saved.
    EXPECT_EQ((std::vector<int32_t>{0}), m_view.verdicts);
    EXPECT_NE(0, m_mgr.GetResultFileError());
    m_log.ExpectError("保存结果文件出错，错误码 " + std::to_string(m_mgr.GetResultFileError()));
    EXPECT_FALSE(m_log.Has("保存结果文件 "));
    EXPECT_FALSE(m_mgr.SaveResultFile());

    std::filesystem::remove(m_dir / "exe/checklist");
    EXPECT_TRUE(m_mgr.SaveResultFile());
    EXPECT_EQ(0, m_mgr.GetResultFileError());
}

}  // namespace
