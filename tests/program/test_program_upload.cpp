// The report upload in the real program, driven like a player in a virtual X server: after the check,
// the upload button, a press on the main window, the account and the description typed, the commit, and
// the report server's number in the message box.
#include "ProgTest_Program.h"
#include "ProgTest_X11.h"

#include "common/NcTest_LoopbackServer.h"
#include "common/NcTest_Paths.h"

#include "app/NetChk_AppDefs.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const char kRunEnd[] = "批处理全部执行完成！！";

size_t CountOf(const std::string& strText, const std::string& strNeedle) {
    size_t n = 0;
    for (size_t at = strText.find(strNeedle); at != std::string::npos; at = strText.find(strNeedle, at + 1)) ++n;
    return n;
}

// The shipped success text (UTF-8, as the source table holds it) with the report number in place.
std::string ShippedSuccessText(int nNumber) {
    const std::string table = ReadTestFile(NcTestSourceDir() + "/data/config/sys/NetChk_string_def.csv");
    const std::string key = "\nNtc_Uploade_Success,";
    const size_t at = table.find(key);
    if (at == std::string::npos) return std::string();
    const size_t begin = at + key.size();
    std::string text = table.substr(begin, table.find(',', begin) - begin);
    const size_t conv = text.find("%d");
    if (conv != std::string::npos) text.replace(conv, 2, std::to_string(nNumber));
    return text;
}

struct Point {
    int x = 0, y = 0;
};

// The middle of a template child; the report window is placed in the middle of the 640 x 520 client.
Point Middle(const std::string& strPath, int nOffsetX = 0, int nOffsetY = 0) {
    int x = 0, y = 0, w = 0, h = 0;
    EXPECT_TRUE(FindLayoutRect(strPath, x, y, w, h)) << strPath;
    return {nOffsetX + x + w / 2, nOffsetY + y + h / 2};
}

TEST(ProgramUpload, ThePlayerTypesCommitsAndSeesTheReportNumber) {
    ASSERT_TRUE(NoForeignInstance());
    ScopedXvfb x;
    ASSERT_FALSE(x.Display().empty()) << "Xvfb did not start";
    int rx = 0, ry = 0, rw = 0, rh = 0;
    ASSERT_TRUE(FindLayoutRect("UploadReportWnd", rx, ry, rw, rh));
    const int nReportX = (640 - rw) / 2, nReportY = (520 - rh) / 2;
    const Point upload = Middle("NetChkMainWnd/UploadRptBtn");
    const Point recheck = Middle("NetChkMainWnd/RechkBtn");
    const Point name = Middle("UploadReportWnd/NameEditWnd", nReportX, nReportY);
    const Point commit = Middle("UploadReportWnd/CommitdBtn", nReportX, nReportY);

    LoopbackServer server(LoopbackServer::Mode::Answer, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n{ret=17}");
    ProgramPlace place;
    WriteTestFile(place.ExeDir() + "/ip.html", "<p>[127.0.0.1]</p>");
    place.WriteIni("Client=0\nServerName=测试服\nGroupName=测试大区\nServerIP=10.1.2.3\nDomain=127.0.0.1\n"
                   "Page=/report.asp\nPort=" + std::to_string(server.Port()) + "\nIpPage=file://" + place.ExeDir() +
                   "/ip.html\n");
    // The launcher's placeholder for an unknown account: it goes when the player clicks into the box.
    // Another tester's copy on this machine may start between the check for one and ours: then ours
    // refuses to run, and it is started again once that one has gone.
    std::unique_ptr<RunningProgram> pProgram;
    for (int nTry = 0; nTry < 3; ++nTry) {
        ASSERT_TRUE(NoForeignInstance());
        pProgram = std::make_unique<RunningProgram>(
            place, std::vector<std::string>{"请输入游戏账号", "S1", "10.1.2.3", "华东"},
            std::vector<std::pair<std::string, std::string>>{
                {"DISPLAY", x.Display()}, {"SDL_VIDEODRIVER", "x11"}, {"NETCHECK_MSGBOX", "stderr"},
                {"LSAN_OPTIONS", "suppressions=" + NcTestSourceDir() + "/tests/data/program/lsan.supp"}});
        ASSERT_TRUE(WaitFor([&] { return CountOf(place.ReadLogs(), kRunEnd) == 1 || !pProgram->Running(); }, 30000))
            << pProgram->Stderr();
        if (pProgram->Running() || pProgram->Stderr() != StartupBoxLine(NetChkApp::kMsgAlreadyRunning)) break;
    }
    RunningProgram& program = *pProgram;
    ASSERT_TRUE(program.Running()) << program.Stderr();
    const std::string wid = x.Run("xdotool search --name Velmora | head -n1");
    ASSERT_FALSE(wid.empty());
    auto click = [&](Point p) {
        x.Run("xdotool mousemove --window " + wid + " " + std::to_string(p.x) + " " + std::to_string(p.y) + " click 1");
    };

    // The press on the upload button raises the main window; the report window must still come up in
    // front of it, and a further press on the main window (under the shield) must not bury it.
    click(upload);
    click({20, 300});
    click(name);
    // Leading and trailing blanks go from the account; Tab moves to the description.
    x.Run("xdotool type --delay 40 ' hero7 '");
    x.Run("xdotool key --delay 40 Tab");
    x.Run("xdotool type --delay 40 'lag at night '");
    // Characters outside the keyboard map: xdotool maps each to a spare key for the length of its delay,
    // and the program reads the key's meaning when its frame takes the event, so the delay is generous.
    // xdotool reads its text as UTF-8 in a UTF-8 locale.
    x.Run(u8"LC_ALL=C.UTF-8 xdotool type --delay 250 '晚上卡'");
    click(commit);

    const std::string success = ShippedSuccessText(17);
    ASSERT_FALSE(success.empty());
    // The program's own message box has no caption.
    const std::string line = "msgbox:  | " + success + "\n";
    EXPECT_TRUE(WaitFor([&] { return program.Stderr().find(line) != std::string::npos; }, 20000))
        << program.Stderr();
    ASSERT_EQ(server.Requests().size(), 1u) << program.Stderr();
    const std::string request = server.Requests()[0];
    EXPECT_EQ(request.find("POST /report.asp  HTTP/1.1\n"), 0u) << request;
    EXPECT_NE(request.find("UserName=hero7&"), std::string::npos) << request;
    EXPECT_NE(request.find("&Description=lag+at+night+%E6%99%9A%E4%B8%8A%E5%8D%A1&"), std::string::npos) << request;
    EXPECT_NE(request.find("&ServerName=S1&"), std::string::npos) << request;

    // The report window and its shield are gone: the re-check button under them takes the click.
    click(recheck);
    EXPECT_TRUE(WaitFor([&] { return CountOf(place.ReadLogs(), kRunEnd) == 2; }, 30000)) << program.Stderr();

    program.Close();
    EXPECT_EQ(program.Wait(20000), 0) << program.Stderr();
}

}  // namespace
