// nctool catalogue encrypt/decrypt/show, run as the built tool.
#include "netcheck/catalogue/NcTest_CatalogueFiles.h"
#include "common/NcTest_Tool.h"
#include "KX_Platform/KXPlatform_Encoding.h"

#include <gtest/gtest.h>

namespace {

using namespace cataloguefiles;

TEST(NcToolCatalogue, EncryptAndDecryptWithBuiltInAndGivenKeys) {
    const std::string plain = std::string("<doc>检测</doc>\0\0", 17);
    const ToolResult enc = RunNcTool({"catalogue", "encrypt"}, plain);
    ASSERT_EQ(0, enc.nExitCode) << enc.strErr;
    EXPECT_EQ(Stored(plain), enc.strOut);
    const ToolResult dec = RunNcTool({"catalogue", "decrypt"}, enc.strOut);
    ASSERT_EQ(0, dec.nExitCode);
    EXPECT_EQ(plain, dec.strOut);

    // The same key as text and as hex; a different key from the built-in one.
    const ToolResult text = RunNcTool({"catalogue", "encrypt", "--key", "abc"}, plain);
    const ToolResult hex = RunNcTool({"catalogue", "encrypt", "--key-hex", "616263"}, plain);
    ASSERT_EQ(0, text.nExitCode);
    EXPECT_EQ(text.strOut, hex.strOut);
    EXPECT_NE(enc.strOut, text.strOut);
    EXPECT_EQ(plain, RunNcTool({"catalogue", "decrypt", "--key", "abc"}, text.strOut).strOut);
    EXPECT_EQ(2, RunNcTool({"catalogue", "encrypt", "--key-hex", "6g"}, plain).nExitCode);
}

TEST(NcToolCatalogue, DecryptRefusesBadLengthsAndTrailersBeyondTheData) {
    const ToolResult bad = RunNcTool({"catalogue", "decrypt"}, std::string(21, 'x'));
    EXPECT_EQ(1, bad.nExitCode);
    EXPECT_NE(std::string::npos, bad.strErr.find(KXPlatform::ToSystemText("源文件错误")));
    EXPECT_TRUE(bad.strOut.empty());

    std::string stored = Stored("0123456789");
    stored[stored.size() - 4] = 40;
    const ToolResult beyond = RunNcTool({"catalogue", "decrypt"}, stored);
    EXPECT_EQ(2, beyond.nExitCode);
    EXPECT_TRUE(beyond.strOut.empty());
}

TEST(NcToolCatalogue, ShowListsTheLoadedCatalogue) {
    ScopedTempDir dir;
    WriteTestFile(dir / "srv/doc.bin",
                  Stored(Document(Command(0, "ping #IP#", "延迟") + Command(5, "ping 114.114.114.114", "公共") +
                                  Command(4, "ping -c 2 #IP#", "一") + Command(2, "ping #IP# &gt; #FILE#", "文件"))));
    WriteDescriptor(dir / "exe", {{"net_check", FileUrl(dir / "srv/doc.bin")}});
    WriteTestFile(dir / "data/log/.keep", "");
    const ToolResult show = RunNcTool({"catalogue", "show", "--exe-dir", dir / "exe", "--data", dir / "data", "--server",
                                       "S1", "--ip", "10.1.2.3"});
    ASSERT_EQ(0, show.nExitCode) << show.strErr;
    EXPECT_EQ(KXPlatform::GbkToUtf8("S1.txt\n"
                                    "ordered 0 ping 10.1.2.3 | 延迟\n"
                                    "ordered 2 ping 10.1.2.3 > S1.txt | 文件\n"
                                    "group4 4 ping -c 2 10.1.2.3 | 一\n"
                                    "group5 5 ping 114.114.114.114 | 公共\n"),
              show.strOut);
    // The accepted download became the local copy beside the "executable".
    EXPECT_FALSE(ReadTestFile(dir / "exe/net_check.xml").empty());

    // Nothing to load: no descriptor, no copy, no old table.
    ScopedTempDir empty;
    WriteTestFile(empty / "data/log/.keep", "");
    const ToolResult none = RunNcTool({"catalogue", "show", "--exe-dir", empty.Path(), "--data", empty / "data", "--server",
                                       "S1", "--ip", "10.1.2.3"});
    EXPECT_EQ(1, none.nExitCode);
    EXPECT_TRUE(none.strOut.empty());
    EXPECT_EQ(2, RunNcTool({"catalogue", "show", "--server", "S1"}).nExitCode);
}

}  // namespace
