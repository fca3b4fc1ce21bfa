#include "ProgTest_X11.h"

#include "common/NcTest_Paths.h"
#include "common/NcTest_TempDir.h"
#include "common/NcTest_Tool.h"

#include "KX_Renderer/KXRenderer_Image.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

ScopedXvfb::ScopedXvfb() {
    int fds[2];
    if (pipe(fds) != 0) return;
    m_pid = fork();
    if (m_pid == 0) {
        close(fds[0]);
        const int fdNull = open("/dev/null", O_RDWR);
        dup2(fdNull, 0);
        dup2(fdNull, 1);
        dup2(fdNull, 2);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // Xvfb writes the display number once it accepts clients.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 10000) > 0) {
        char c = 0;
        if (read(fds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    close(fds[0]);
    if (!number.empty()) m_strDisplay = ":" + number;
}

ScopedXvfb::~ScopedXvfb() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

std::string ScopedXvfb::Run(const std::string& strCommand) const {
    const std::string line = "DISPLAY=" + m_strDisplay + " " + strCommand;
    std::FILE* p = popen(line.c_str(), "r");
    if (!p) return std::string();
    std::string out;
    char buf[256];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), p)) > 0) out.append(buf, n);
    pclose(p);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

namespace {
// The number after "\"key\":" in a JSON line of nctool's dump.
bool JsonInt(const std::string& line, const std::string& key, int& n) {
    const size_t at = line.find("\"" + key + "\":");
    if (at == std::string::npos) return false;
    n = std::atoi(line.c_str() + at + key.size() + 3);
    return true;
}
}  // namespace

bool FindLayoutRect(const std::string& strPath, int& nX, int& nY, int& nW, int& nH) {
    const ToolResult r = RunNcTool({"layout", "dump", NcTestToolsDir() + "/../stage/data/interface/netchkroot.auf"});
    const std::string needle = "{\"path\":\"" + strPath + "\"";
    const size_t at = r.strOut.find(needle);
    if (r.nExitCode != 0 || at == std::string::npos) return false;
    const std::string line = r.strOut.substr(at, r.strOut.find('\n', at) - at);
    return JsonInt(line, "x", nX) && JsonInt(line, "y", nY) && JsonInt(line, "w", nW) && JsonInt(line, "h", nH);
}

bool ComparePng(const std::string& strA, const std::string& strB, int nThreshold, double& dMeanDiff,
                double& dShareOver) {
    int w[2] = {}, h[2] = {};
    std::vector<uint32_t> px[2];
    const std::string paths[2] = {strA, strB};
    for (int i = 0; i < 2; ++i) {
        const std::string bytes = ReadTestFile(paths[i]);
        const std::vector<unsigned char> data(bytes.begin(), bytes.end());
        const char* szError = nullptr;
        if (data.empty() || !KXRenderer::DecodeImage(data, w[i], h[i], px[i], szError)) return false;
    }
    if (w[0] != w[1] || h[0] != h[1] || px[0].empty()) return false;
    double dSum = 0;
    size_t nOver = 0;
    for (size_t i = 0; i < px[0].size(); ++i) {
        int nMax = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const int d = std::abs(static_cast<int>((px[0][i] >> shift) & 0xFF) - static_cast<int>((px[1][i] >> shift) & 0xFF));
            dSum += d;
            if (d > nMax) nMax = d;
        }
        if (nMax > nThreshold) ++nOver;
    }
    dMeanDiff = dSum / (3.0 * static_cast<double>(px[0].size()));
    dShareOver = static_cast<double>(nOver) / static_cast<double>(px[0].size());
    return true;
}
