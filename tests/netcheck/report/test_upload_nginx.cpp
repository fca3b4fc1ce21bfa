// The client's exact request (line-feed line ends, two spaces before the protocol) through a mainstream
// HTTP server: Debian's nginx on a loopback port, answering a fixed "{ret=5}" to the report page.
#include "common/NcTest_LoopbackServer.h"
#include "netcheck/report/NcTest_UploadFixture.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

std::string FindNginx() {
    for (const char* szPath : {"/usr/sbin/nginx", "/usr/local/sbin/nginx", "/usr/bin/nginx"}) {
        if (::access(szPath, X_OK) == 0) return szPath;
    }
    return std::string();
}

bool Connects(uint16_t uPort) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(uPort);
    const bool bOk = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    ::close(fd);
    return bOk;
}

// One nginx in the foreground, single process, everything it writes (pid, logs, temporary bodies) in
// its own folder; killed and the folder removed when the object goes, whatever the test did.
class ScopedNginx {
public:
    explicit ScopedNginx(const std::string& strBinary) {
        // The port is found free and released: another process may take it meanwhile, so a start that
        // does not listen is tried again on another one.
        for (int nTry = 0; nTry < 5 && m_uPort == 0; ++nTry) Start(strBinary, LoopbackServer::UnusedPort());
    }
    ~ScopedNginx() { Kill(); }
    ScopedNginx(const ScopedNginx&) = delete;
    ScopedNginx& operator=(const ScopedNginx&) = delete;

    uint16_t Port() const { return m_uPort; }
    std::string ErrorLog() const { return ReadTestFile(m_Dir / "error.log"); }
    // One line per request: method, path, announced body length, status.
    std::string AccessLog() const { return ReadTestFile(m_Dir / "access.log"); }

private:
    void Start(const std::string& strBinary, uint16_t uPort) {
        const std::string d = m_Dir.Path();
        WriteTestFile(m_Dir / "nginx.conf",
                      "daemon off;\n"
                      "master_process off;\n"
                      "pid " + d + "/nginx.pid;\n"
                      "error_log " + d + "/error.log;\n"
                      "events { worker_connections 16; }\n"
                      "http {\n"
                      "  log_format upload '$request_method $uri $content_length $status';\n"
                      "  access_log " + d + "/access.log upload;\n"
                      "  client_body_temp_path " + d + "/body;\n"
                      "  proxy_temp_path " + d + "/proxy;\n"
                      "  fastcgi_temp_path " + d + "/fastcgi;\n"
                      "  uwsgi_temp_path " + d + "/uwsgi;\n"
                      "  scgi_temp_path " + d + "/scgi;\n"
                      "  server {\n"
                      "    listen 127.0.0.1:" + std::to_string(uPort) + ";\n"
                      "    location = /report.asp { return 200 \"{ret=5}\"; }\n"
                      "    location / { return 404; }\n"
                      "  }\n"
                      "}\n");
        const std::string prefix = d + "/", conf = d + "/nginx.conf", errors = d + "/error.log",
                          out = d + "/stdout.txt";
        m_pid = ::fork();
        if (m_pid == 0) {
            const int fdOut = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int fdIn = ::open("/dev/null", O_RDONLY);
            if (fdOut < 0 || fdIn < 0) ::_exit(126);
            ::dup2(fdIn, 0);
            ::dup2(fdOut, 1);
            ::dup2(fdOut, 2);
            ::execl(strBinary.c_str(), "nginx", "-p", prefix.c_str(), "-c", conf.c_str(), "-e", errors.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (m_pid < 0) return;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {  // it gave up (port taken, bad set-up)
                m_pid = -1;
                return;
            }
            if (Connects(uPort)) {
                m_uPort = uPort;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        Kill();
    }

    void Kill() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

    ScopedTempDir m_Dir;  // declared first: removed after the process is gone
    pid_t m_pid = -1;
    uint16_t m_uPort = 0;
};

using UploadThroughNginx = UploadTest;

TEST_F(UploadThroughNginx, TheRequestIsUnderstoodAndTheFixedReplyGivesItsNumber) {
    const std::string nginx = FindNginx();
    ASSERT_FALSE(nginx.empty()) << "nginx is not installed (tools/install-deps.sh installs it)";
    ScopedNginx server(nginx);
    ASSERT_NE(server.Port(), 0) << "nginx did not start:\n" << server.ErrorLog();

    // A short form, then a Chinese description with a report of several lines, then a report large
    // enough that the server reads the body in many pieces.
    std::string big;
    while (big.size() < 200000) big += "Reply from 10.1.2.3: bytes=32 time=11ms TTL=52\r\n";
    const std::vector<std::pair<std::string, std::string>> forms = {
        {"d", "r\n"}, {"晚上卡顿，掉线 & 重连", "网络质量: 良好\r\n路由\r\n"}, {"large", big}};
    std::string expected;
    for (const auto& form : forms) {
        Target(server.Port());
        g_DetailInfo.strDescription = form.first;
        g_DetailInfo.strReportText = form.second;
        CNetChk_UploadClient client;
        ASSERT_TRUE(RunUpload(client));
        EXPECT_EQ(client.GetResultCode(), 0) << g_DetailInfo.strReceived << server.ErrorLog();
        EXPECT_EQ(client.GetReplyNumber(), 5);
        EXPECT_EQ(g_DetailInfo.strReceived.find("HTTP/1.1 200 OK\r\n"), 0u) << g_DetailInfo.strReceived;
        const std::string body = NetChk_BuildUploadBody(
            {g_DetailInfo.strUserName, g_DetailInfo.strQuestionType, g_DetailInfo.strServerName,
             g_DetailInfo.strNetType, g_DetailInfo.strDescription, g_DetailInfo.strReportText});
        expected += "POST /report.asp " + std::to_string(body.size()) + " 200\n";
    }
    ASSERT_EQ(m_View.vecMessages.size(), forms.size());
    EXPECT_EQ(m_View.vecMessages.back(), "成功编号5");
    // nginx took the path without the second space and the body length the client announced.
    EXPECT_EQ(server.AccessLog(), expected);
}

}  // namespace
