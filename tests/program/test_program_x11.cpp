// The real program in a real (virtual) X server, driven with the mouse: re-check, close, and what the
// finished check looks like against the committed reference picture.
#include "ProgTest_Program.h"
#include "ProgTest_X11.h"

#include "common/NcTest_Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

size_t CountOf(const std::string& strText, const std::string& strNeedle) {
    size_t n = 0;
    for (size_t at = strText.find(strNeedle); at != std::string::npos; at = strText.find(strNeedle, at + 1)) ++n;
    return n;
}

const char kRunStart[] = "开始执行批处理命令，目前是第 0 条";
const char kRunEnd[] = "批处理全部执行完成！！";

TEST(ProgramX11, ReCheckAndCloseWithTheMouseAndTheFinishedLook) {
    ASSERT_TRUE(NoForeignInstance());
    ScopedXvfb x;
    ASSERT_FALSE(x.Display().empty()) << "Xvfb did not start";
    int rx = 0, ry = 0, rw = 0, rh = 0, cx = 0, cy = 0, cw = 0, ch = 0;
    ASSERT_TRUE(FindLayoutRect("NetChkMainWnd/RechkBtn", rx, ry, rw, rh));
    ASSERT_TRUE(FindLayoutRect("NetChkMainWnd/CloseBtn", cx, cy, cw, ch));

    ProgramPlace place;
    RunningProgram program(place, {"player", "S1", "10.1.2.3", "华东"},
                           {{"DISPLAY", x.Display()}, {"SDL_VIDEODRIVER", "x11"}, {"NETCHECK_MSGBOX", "stderr"},
                            {"LSAN_OPTIONS", "suppressions=" + NcTestSourceDir() + "/tests/data/program/lsan.supp"}});
    ASSERT_TRUE(WaitFor([&] { return CountOf(place.ReadLogs(), kRunEnd) == 1 || !program.Running(); }, 30000))
        << program.Stderr();
    ASSERT_TRUE(program.Running()) << program.Stderr();
    const std::string wid = x.Run("xdotool search --name Velmora | head -n1");
    ASSERT_FALSE(wid.empty());
    // The pointer away from the window, so that no hover or tooltip shows in the picture.
    x.Run("xdotool mousemove 0 0");

    // Re-check: a second run from step 0 that finishes as well.
    x.Run("xdotool mousemove --window " + wid + " " + std::to_string(rx + rw / 2) + " " + std::to_string(ry + rh / 2) +
          " click 1 mousemove 0 0");
    EXPECT_TRUE(WaitFor([&] { return CountOf(place.ReadLogs(), kRunEnd) == 2; }, 30000));
    EXPECT_EQ(CountOf(place.ReadLogs(), kRunStart), 2u);

    // The finished state against the reference (fonts and art come from the build; small differences
    // in glyph edges are allowed, a missing or moved text is not).
    // On a busy machine the last frame may still be on its way: a few tries, half a second apart.
    const std::string shot = place.ExeDir() + "/finished.png";
    const std::string reference = NcTestSourceDir() + "/tests/data/program/finished.png";
    double dMean = 0, dShare = 0;
    bool bCompared = false;
    for (int nTry = 0; nTry < 6; ++nTry) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        x.Run("import -window " + wid + " " + shot);
        if (std::getenv("NC_UPDATE_REFERENCE")) {
            std::filesystem::copy_file(shot, reference, std::filesystem::copy_options::overwrite_existing);
        }
        bCompared = ComparePng(shot, reference, 48, dMean, dShare);
        if (bCompared && dMean < 2.0 && dShare < 0.01) break;
    }
    ASSERT_TRUE(bCompared) << "no screenshot or a different size: " << shot;
    EXPECT_LT(dMean, 2.0);
    EXPECT_LT(dShare, 0.01);

    // Close: the process ends with 0 and its shutdown deletes both scripts.
    x.Run("xdotool mousemove --window " + wid + " " + std::to_string(cx + cw / 2) + " " + std::to_string(cy + ch / 2) +
          " click 1");
    EXPECT_EQ(program.Wait(20000), 0) << program.Stderr();
    EXPECT_FALSE(FileExists(place.DataPath("QVRTNchk0.sh")));
    EXPECT_FALSE(FileExists(place.DataPath("QVRTNchk1.sh")));
    EXPECT_EQ(program.Stderr().find("msgbox:"), std::string::npos) << program.Stderr();
}

}  // namespace
