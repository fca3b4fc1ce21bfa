#include "ProgTest_Program.h"

#include "common/NcTest_Paths.h"
#include "netcheck/NcTest_PingSamples.h"

#include "KX_Platform/KXPlatform_Encoding.h"
#include "KX_Platform/KXPlatform_ProcessList.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

extern char** environ;

namespace {

std::string StageDir() { return NcTestToolsDir() + "/../stage"; }

void LinkIfExists(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (fs::exists(from)) fs::create_directory_symlink(fs::canonical(from), to, ec);
}

}  // namespace

ProgramPlace::ProgramPlace() : m_strExe(m_dir / "exe") {
    const fs::path stage = StageDir();
    const fs::path exe = m_strExe;
    fs::create_directories(exe / "data/log");
    fs::create_directories(exe / "data/config/sys");
    fs::copy_file(stage / "QVRTNetcheck", exe / "QVRTNetcheck");
    // The large and read-only parts are shared with the staged tree.
    LinkIfExists(stage / "data/resource", exe / "data/resource");
    LinkIfExists(stage / "data/interface", exe / "data/interface");
    LinkIfExists(stage / "data/config/gui", exe / "data/config/gui");
    std::error_code ec;
    if (fs::exists(stage / "data/interface.wdf")) fs::create_symlink(fs::canonical(stage / "data/interface.wdf"), exe / "data/interface.wdf", ec);
    for (const auto& entry : fs::directory_iterator(stage / "data/config/sys")) {
        if (entry.path().filename() == "NetChkOption.csv") continue;
        fs::create_symlink(fs::canonical(entry.path()), exe / "data/config/sys" / entry.path().filename(), ec);
    }
    // No update descriptor and no local copy: the catalogue is the old table, recorded pings only.
    WriteTestFile(DataPath("good.txt"), pingsamples::WindowsEnglish(0, 0, 11));
    WriteTestFile(DataPath("good2.txt"), pingsamples::WindowsEnglish(0, 0, 15));
    WriteTestFile(DataPath("config/sys/NetChkOption.csv"),
                  "机房网段,目标文件,命令类型,命令内容,命令描述\n"
                  "10.1.2,S1.txt,0,cat good.txt,检测服务器延迟\n"
                  "10.1.2,S1.txt,0,cat good2.txt,检测网关延迟\n"
                  "10.1.2,S1.txt,1,echo routes,收集路由信息\n");
    WriteIni("Client=0\nServerName=测试服\nGroupName=测试大区\nServerIP=10.1.2.3\nDomain=127.0.0.1\nPage=/report\n"
             "Port=8080\n");
}

void ProgramPlace::WriteIni(const std::string& strBody) const {
    WriteTestFile(DataPath("netcheck.ini"), "[netcheck]\n" + strBody);
}

std::string ProgramPlace::ReadLogs() const {
    std::string all;
    for (const auto& entry : fs::directory_iterator(DataPath("log"))) all += ReadTestFile(entry.path().string());
    return all;
}

RunningProgram::RunningProgram(const ProgramPlace& place, const std::vector<std::string>& vecArgs,
                               const std::vector<std::pair<std::string, std::string>>& vecEnv) {
    // Everything the child needs is made before fork: after it only system calls.
    const std::string exe = place.ExeDir() + "/QVRTNetcheck";
    std::vector<std::string> args{exe};
    args.insert(args.end(), vecArgs.begin(), vecArgs.end());
    std::vector<std::string> env;
    for (char** p = environ; *p; ++p) {
        const std::string e = *p;
        bool bReplaced = false;
        for (const auto& kv : vecEnv) bReplaced = bReplaced || e.compare(0, kv.first.size() + 1, kv.first + "=") == 0;
        if (!bReplaced) env.push_back(e);
    }
    for (const auto& kv : vecEnv) env.push_back(kv.first + "=" + kv.second);
    std::vector<char*> argv, envp;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    for (std::string& e : env) envp.push_back(&e[0]);
    envp.push_back(nullptr);
    const std::string out = m_io / "out", err = m_io / "err";
    const std::string dir = place.ExeDir();

    m_pid = fork();
    if (m_pid == 0) {
        const int fdOut = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int fdErr = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int fdIn = open("/dev/null", O_RDONLY);
        if (fdOut < 0 || fdErr < 0 || fdIn < 0 || chdir(dir.c_str()) != 0) _exit(126);
        dup2(fdIn, 0);
        dup2(fdOut, 1);
        dup2(fdErr, 2);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
}

RunningProgram::~RunningProgram() {
    if (m_pid > 0 && !m_bReaped) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

bool RunningProgram::Running() {
    if (m_pid <= 0 || m_bReaped) return false;
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) != m_pid) return true;
    m_bReaped = true;
    m_nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return false;
}

int RunningProgram::Wait(int nTimeoutMs) {
    if (!WaitFor([this] { return !Running(); }, nTimeoutMs)) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_bReaped = true;
        m_nExit = -1;
    }
    return m_nExit;
}

void RunningProgram::Close() {
    if (m_pid > 0 && !m_bReaped) kill(m_pid, SIGTERM);
}

std::string RunningProgram::Stderr() const { return ReadTestFile(m_io / "err"); }

std::vector<std::pair<std::string, std::string>> HeadlessEnv() {
    return {{"SDL_VIDEODRIVER", "offscreen"}, {"NETCHECK_MSGBOX", "stderr"}};
}

bool NoForeignInstance() {
    return WaitFor(
        [] {
            std::vector<KXPlatform::RunningProcess> vec;
            KXPlatform::ListProcesses(vec);
            for (const auto& p : vec) {
                if (p.strImageName == "QVRTNetcheck") return false;
            }
            return true;
        },
        60000);
}

bool FileExists(const std::string& strPath) { return fs::exists(strPath); }

std::string StartupBoxLine(const char* szTextGbk) {
    return "msgbox: " + KXPlatform::GbkToUtf8("Velmora网络检测器") + " | " + KXPlatform::GbkToUtf8(szTextGbk) + "\n";
}
