// The program's fixed names and the texts of its start-up messages (GBK, as every literal compiles).
#pragma once

namespace NetChkApp {

// The executable's bare file name, which the single-instance rule looks for.
constexpr char kImageName[] = "QVRTNetcheck";
constexpr char kWindowTitle[] = "《Velmora正式版》网络检测助手";
// The caption of every system message box the program shows.
constexpr char kMsgBoxCaption[] = "Velmora网络检测器";
constexpr char kRootLayout[] = "interface/netchkroot.auf";
constexpr char kLogName[] = "NetCheck";
constexpr char kDataDir[] = "data";
constexpr char kIniName[] = "netcheck.ini";
constexpr char kIniSection[] = "netcheck";

// The client area of the main window, in pixels.
constexpr int kClientWidth = 640;
constexpr int kClientHeight = 520;

constexpr char kMsgAlreadyRunning[] = "您已经开启了Velmora网络检测器了，请不要重复运行！";
constexpr char kMsgSocketFailed[] = "初始化网络环境出错，错误码:%d。请联系客服！";
constexpr char kMsgUseLauncher[] =
    "请由登录器Vodudedir.exe进入游戏，在游戏登陆界面中点击右下角\"网络测试\"按钮运行本工具。";
constexpr char kMsgNoPlatformIp[] = "无法获得平台ip，错误码:%d。请联系客服！";
constexpr char kMsgBadPlatformIp[] = "解析平台ip[%s]出错，错误码:%d。请联系客服！";
constexpr char kMsgNoPage[] = "找不到平台服务器页面，请联系客服！";
constexpr char kMsgInitFailed[] = "程序初始化出错！";

// Start-up messages are plain system boxes: no owner, the caption above, the error icon, one OK button.
void ShowStartupMessage(const char* szTextGbk);

}  // namespace NetChkApp
