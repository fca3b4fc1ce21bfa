// nctool upload ... REPORT_FILE: one report upload the way the program makes it (start, a poll every
// 33 ms, the time limit), then "code=N ret=M" and "message <text>". nctool carrier --ip-page URL: the
// carrier of this machine's public address. Both read ./config/sys/IP.csv and the string table from the
// current directory.
#include "NcTool_Command.h"

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Clock.h"
#include "KX_Platform/KXPlatform_Encoding.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_Sockets.h"
#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/catalogue/NetChk_ServerArgs.h"
#include "netcheck/report/NetChk_Carrier.h"
#include "netcheck/report/NetChk_UploadClient.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

const char kUploadUsage[] =
    "upload --ip A.B.C.D --port N --domain HOST --page PATH [--limit-ms N] [--user U] [--question Q] "
    "[--server S] [--nettype T] [--desc D] [--ip-page URL] REPORT_FILE";
const char kCarrierUsage[] = "carrier --ip-page URL";
const uint32_t kFrameMs = 33;

// "--name value" pairs plus at most one plain word; false for an unknown name or a missing value.
bool ParseOptions(const std::vector<std::string>& args, const std::vector<std::string>& names,
                  std::map<std::string, std::string>& options, std::string& strPlain) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) != 0) {
            if (!strPlain.empty()) return false;
            strPlain = args[i];
            continue;
        }
        bool bKnown = false;
        for (const std::string& name : names) bKnown = bKnown || name == args[i];
        if (!bKnown || i + 1 >= args.size()) return false;
        options[args[i]] = args[i + 1];
        ++i;
    }
    return true;
}

bool ParseNumber(const std::string& strText, long lMin, long lMax, long& lValue) {
    if (strText.empty()) return false;
    char* pEnd = nullptr;
    lValue = std::strtol(strText.c_str(), &pEnd, 10);
    return *pEnd == '\0' && lValue >= lMin && lValue <= lMax;
}

bool ReadWholeFile(const std::string& strPath, std::string& strBytes) {
    std::FILE* pFile = KXPlatform::OpenFileStream(strPath.c_str(), "rb");
    if (!pFile) return false;
    char buf[8192];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof(buf), pFile)) > 0) strBytes.append(buf, n);
    std::fclose(pFile);
    return true;
}

// The log of a tool run stays off the terminal.
void QuietLog() {
    CArkLogger::Instance().SetConsoleLevel(WL_LEVEL_COUNT);
    for (int nModule = 0; nModule < M_MODULE_COUNT; ++nModule) {
        CArkLogger::Instance().SetModuleConsoleLevel(nModule, WL_LEVEL_COUNT);
    }
}

int Upload(const std::vector<std::string>& args) {
    std::map<std::string, std::string> opt;
    std::string strReport;
    if (!ParseOptions(args, {"--ip", "--port", "--domain", "--page", "--limit-ms", "--user", "--question", "--server",
                             "--nettype", "--desc", "--ip-page"},
                      opt, strReport) ||
        strReport.empty() || !opt.count("--ip") || !opt.count("--port") || !opt.count("--domain") ||
        !opt.count("--page")) {
        return nctool::Usage(kUploadUsage);
    }
    uint32_t uAddress = 0;
    long lPort = 0, lLimit = 180000;
    if (!KXPlatform::ParseIPv4(opt["--ip"].c_str(), uAddress) || !ParseNumber(opt["--port"], 0, 65535, lPort) ||
        (opt.count("--limit-ms") && !ParseNumber(opt["--limit-ms"], 0, 0x7FFFFFFF, lLimit))) {
        return nctool::Usage(kUploadUsage);
    }
    std::string strText;
    if (!ReadWholeFile(strReport, strText)) {
        std::fprintf(stderr, "cannot read %s\n", strReport.c_str());
        return 1;
    }
    QuietLog();
    auto gbk = [&opt](const char* szName) { return opt.count(szName) ? KXPlatform::Utf8ToGbk(opt[szName]) : std::string(); };
    NetChk_DetailInfo& info = g_DetailInfo;
    info.uPlatformAddress = uAddress;
    info.nPort = static_cast<int32_t>(lPort);
    info.nUploadLimitMs = static_cast<int32_t>(lLimit);
    info.strDomain = gbk("--domain");
    info.strPage = gbk("--page");
    info.strIpPage = opt.count("--ip-page") ? opt["--ip-page"] : std::string();
    if (opt.count("--user")) info.strUserName = gbk("--user");
    if (opt.count("--question")) info.strQuestionType = gbk("--question");
    info.strServerName = gbk("--server");
    info.strNetType = gbk("--nettype");
    info.strDescription = gbk("--desc");
    info.strReportText = strText;  // GBK as stored

    CNetChk_UtilResMgr resources;
    resources.LoadStringDef();
    CNetChk_UploadClient client;
    client.SetResultTargets(&resources, nullptr);
    client.SetTargetFile(NetChk_TargetFileName(info.strServerName));
    const uint32_t uBase = KXPlatform::GetTickCount();
    if (!client.StartUpload(0)) return 1;
    while (!client.PollUpload(KXPlatform::GetTickCount() - uBase)) KXPlatform::Sleep(kFrameMs);
    std::printf("code=%d ret=%d\n", client.GetResultCode(), client.GetReplyNumber());
    nctool::WriteUtf8(stdout, "message " + client.BuildResultMessage() + "\n");
    // A worker abandoned on the time limit has had its connection cancelled; give it a moment to end.
    client.WaitForWorker(2000);
    return 0;
}

int Carrier(const std::vector<std::string>& args) {
    std::map<std::string, std::string> opt;
    std::string strPlain;
    if (!ParseOptions(args, {"--ip-page"}, opt, strPlain) || !strPlain.empty() || !opt.count("--ip-page")) {
        return nctool::Usage(kCarrierUsage);
    }
    QuietLog();
    std::string strCarrier;
    LookupCarrier(strCarrier, opt["--ip-page"]);
    nctool::WriteUtf8(stdout, strCarrier + "\n");
    return 0;
}

const nctool::CommandRegistrar uploadRegistrar("upload", &Upload, kUploadUsage);
const nctool::CommandRegistrar carrierRegistrar("carrier", &Carrier, kCarrierUsage);

}  // namespace
