// nctool layout compile and dump: every source field comes back out of the compiled package, and a
// source error names its place and writes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/NcTest_TempDir.h"
#include "common/NcTest_Tool.h"

namespace {

const char* const kIndex = "<layouts><component name=\"Main\"/><component name=\"Tip\"/></layouts>";

const char* const kMain = u8R"(<?xml version="1.0" encoding="UTF-8"?>
<component name="Main" class="CArkWnd" caption="网络&quot;检测&quot;" style="MODAL|ATTACHED|0x20" x="-3" y="4"
           w="640" h="520" user="0xFFFFFFFF" font="黑体" size="14" f1="0.5" f2="-1.25" num="252" tip="提示"
           s15="绑定" s16="interface/art/drag.png" image0="i0.png" image1="i1.png" image2="i2.png">
  <window name="Btn" class="CArkButton" caption="停止检测" x="10" y="20" w="80" h="24">
    <entry><layer a="4"><quad image="over.png" last="1"/></layer></entry>
  </window>
  <window name="Frame" class="CDecorateWnd" decorate="nine" pieces="art/lt.png;t.png"/>
  <window name="Mid" class="CArkMiddlewareWnd" x="1" y="2">
    <window name="Inner" class="CArkWnd" caption="里"/>
    <window name="Deeper" class="CArkMiddlewareWnd"><window name="Deepest" class="CArkEdit"/></window>
  </window>
  <entry>
    <layer a="2" b="3" c="4">
      <quad image="x.png" u0="0" v0="0" u1="0.5" v1="1" x="1" y="2" color="0xFF00FF00" last="0"/>
      <quad/>
    </layer>
  </entry>
  <entry x="1" y="2" w="3" h="4"/>
</component>
)";

TEST(LayoutTool, CompileThenDumpGivesBackEveryField) {
    ScopedTempDir dir(true);
    WriteTestFile("src/index.xml", kIndex);
    WriteTestFile("src/Main.xml", kMain);
    WriteTestFile("src/Tip.xml", "<component name=\"Tip\" class=\"CArkWnd\"/>");
    ToolResult compiled = RunNcTool({"layout", "compile", "src", "out/interface"});
    ASSERT_EQ(compiled.nExitCode, 0) << compiled.strErr;
    // A component whose file went missing stays empty; the others still print.
    std::filesystem::remove("out/interface/netchkroot.Tip.auc");
    std::filesystem::current_path("out");
    ToolResult dumped = RunNcTool({"layout", "dump", "interface/netchkroot.auf"});
    ASSERT_EQ(dumped.nExitCode, 0) << dumped.strErr;
    const std::string strEmpty =
        R"("font":"","size":0,"f1":0,"f2":0,"num":0,"tip":"","s15":"","s16":"","images":["","",""],)";
    EXPECT_EQ(dumped.strOut,
              u8R"({"path":"Main","class":"CArkWnd","caption":"网络\"检测\"","style":3221225504,"x":-3,"y":4,"w":640,"h":520,"user":-1,"font":"黑体","size":14,"f1":0.5,"f2":-1.25,"num":252,"tip":"提示","s15":"绑定","s16":"interface/art/drag.png","images":["i0.png","i1.png","i2.png"],"decorate":null,"entries":2})" "\n"
              u8R"({"path":"Main/Btn","class":"CArkButton","caption":"停止检测","style":0,"x":10,"y":20,"w":80,"h":24,"user":0,)" + strEmpty + R"("decorate":null,"entries":1})" "\n"
              R"({"path":"Main/Frame","class":"CDecorateWnd","caption":"","style":0,"x":0,"y":0,"w":0,"h":0,"user":0,)" + strEmpty + R"("decorate":["nine","art/lt.png;t.png"],"entries":0})" "\n"
              R"({"path":"Main/Mid","class":"CArkMiddlewareWnd","caption":"","style":0,"x":1,"y":2,"w":0,"h":0,"user":0,)" + strEmpty + R"("decorate":null,"entries":0})" "\n"
              u8R"({"path":"Main/Mid/Inner","class":"CArkWnd","caption":"里","style":0,"x":0,"y":0,"w":0,"h":0,"user":0,)" + strEmpty + R"("decorate":null,"entries":0})" "\n"
              R"({"path":"Main/Mid/Deeper","class":"CArkMiddlewareWnd","caption":"","style":0,"x":0,"y":0,"w":0,"h":0,"user":0,)" + strEmpty + R"("decorate":null,"entries":0})" "\n"
              R"({"path":"Main/Mid/Deeper/Deepest","class":"CArkEdit","caption":"","style":0,"x":0,"y":0,"w":0,"h":0,"user":0,)" + strEmpty + R"("decorate":null,"entries":0})" "\n"
              R"({"path":"Tip","empty":true})" "\n");

    // A root that does not load prints nothing.
    ToolResult missing = RunNcTool({"layout", "dump", "interface/none.auf"});
    EXPECT_EQ(missing.nExitCode, 1);
    EXPECT_EQ(missing.strOut, "");
}

TEST(LayoutTool, ASourceErrorNamesFileLineAndFieldAndWritesNothing) {
    ScopedTempDir dir(true);
    WriteTestFile("src/index.xml", kIndex);
    WriteTestFile("src/Tip.xml", "<component name=\"Tip\" class=\"CArkWnd\"/>");
    struct Case {
        std::string strMain;
        std::string strError;
    } cases[] = {
        {"<component name=\"Main\" class=\"CArkWnd\">\n<window name=\"B\" class=\"CArkButton\" w=\"8x\"/></component>",
         "src/Main.xml:2: w: not a number: 8x"},
        {"<component name=\"Main\" class=\"CArkWnd\" style=\"MODAL|SHINY\"/>", "src/Main.xml:1: style: unknown style bit \"SHINY\""},
        {"<component name=\"Main\" class=\"CArkWnd\">\n\n<window name=\"B\" class=\"CArkWnd\"><window name=\"C\" class=\"CArkWnd\"/></window></component>",
         "src/Main.xml:3: window: only a CArkMiddlewareWnd holds windows"},
        {"<component name=\"Main\" class=\"CArkWnd\" capton=\"x\"/>", "src/Main.xml:1: capton: unknown attribute of <component>"},
        {"<component name=\"Main\" class=\"CArkWnd\"><entry x=\"1\" y=\"1\" w=\"1\" h=\"1\"/></component>",
         "src/Main.xml:1: entry: the first entry has no rectangle"},
        {"<component name=\"Main\" class=\"CArkWnd\" decorate=\"nine\"/>", "src/Main.xml:1: decorate: only a CDecorateWnd has it"},
        {"<component name=\"Other\" class=\"CArkWnd\"/>", "src/Main.xml:1: name: must be the file's name without .xml"},
        {"<component name=\"Main\" class=\"CArkWnd\">\n<window name=\"B\" class=\"CArkWnd\"></component>", "src/Main.xml:2: xml: "},
        {"<component name=\"Main\" class=\"CArkWnd\" caption=\"\xE4\xB8\"/>", "src/Main.xml:1: caption: text is not UTF-8"},
    };
    for (const Case& c : cases) {
        WriteTestFile("src/Main.xml", c.strMain);
        ToolResult result = RunNcTool({"layout", "compile", "src", "out"});
        EXPECT_EQ(result.nExitCode, 1) << c.strMain;
        EXPECT_NE(result.strErr.find(c.strError), std::string::npos) << result.strErr;
        EXPECT_FALSE(std::filesystem::exists("out")) << c.strMain;
    }
}

}  // namespace
