// The read-only pages (address, health, catalogue documents) and dump uploads, above all the requests
// that try to reach outside their folder.
#include "server/NcServerTest_Fixture.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FilesAndPages : public ServerTest {};

std::vector<std::string> FolderEntries(const std::string& strDir) {
    std::vector<std::string> names;
    if (DIR* pDir = opendir(strDir.c_str())) {
        while (dirent* pEntry = readdir(pDir)) {
            const std::string name = pEntry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(pDir);
    }
    return names;
}

TEST_P(FilesAndPages, CatalogueDocumentsAreServedAndNothingOutsideTheirFolder) {
    StartServer();
    const std::string strDoc = std::string("encrypted\0bytes\xFF", 16);
    WriteTestFile(m_config.strCatalogueDir + "/net_check.xml", strDoc);
    WriteTestFile(m_tmp / "secret.txt", "secret");
    ASSERT_EQ(symlink((m_tmp / "secret.txt").c_str(), (m_config.strCatalogueDir + "/link.xml").c_str()), 0);
    mkdir((m_config.strCatalogueDir + "/sub").c_str(), 0755);

    const HttpReply doc = Get("/netcheck/net_check.xml");
    EXPECT_EQ(doc.nStatus, 200);
    EXPECT_EQ(doc.strBody, strDoc);
    EXPECT_EQ(Get("/netcheck/net_check.xml?v=2").strBody, strDoc);
    EXPECT_EQ(Get("/netcheck/net%5Fcheck.xml").strBody, strDoc);  // an escaped allowed byte is that byte

    for (const char* szTarget : {"/netcheck/../secret.txt", "/netcheck/%2e%2e/secret.txt", "/netcheck/%2E%2E%2Fsecret.txt",
                                 "/netcheck/..%2fsecret.txt", "/netcheck/%2Fetc%2Fpasswd", "/netcheck//etc/passwd",
                                 "/netcheck/net_check.xml%00.txt", "/netcheck/link.xml", "/netcheck/sub",
                                 "/netcheck/", "/netcheck/.", "/netcheck/..", "/netcheck/missing.xml", "/netcheck/a%zz"}) {
        const HttpReply reply = Get(szTarget);
        EXPECT_EQ(reply.nStatus, 404) << szTarget;
        EXPECT_EQ(reply.strBody.find("secret"), std::string::npos) << szTarget;
    }
}

TEST_P(FilesAndPages, DumpsAreStoredOnceUnderTheirOwnName) {
    m_config.uMaxDumpBytes = 64 * 1024;
    StartServer();
    const std::string strDump(50000, 'D');
    EXPECT_EQ(SendRaw(Port(), MakeRequest("PUT", "/dumps/Crash_2026-12-06.dmp", strDump)).nStatus, 201);
    EXPECT_EQ(ReadTestFile(m_config.strDumpDir + "/Crash_2026-12-06.dmp"), strDump);
    // The name is taken: the first dump stays as it was.
    EXPECT_EQ(SendRaw(Port(), MakeRequest("PUT", "/dumps/Crash_2026-12-06.dmp", "other")).nStatus, 409);
    EXPECT_EQ(ReadTestFile(m_config.strDumpDir + "/Crash_2026-12-06.dmp"), strDump);

    for (const char* szTarget : {"/dumps/../escaped.dmp", "/dumps/%2e%2e%2fescaped.dmp", "/dumps/..%2Fescaped.dmp",
                                 "/dumps/%2Ftmp%2Fescaped.dmp", "/dumps/.hidden", "/dumps/a%00b.dmp", "/dumps/a b.dmp",
                                 "/dumps/a%20b.dmp", "/dumps/", "/dumps/%E4%BD%A0.dmp"}) {
        EXPECT_EQ(SendRaw(Port(), MakeRequest("PUT", szTarget, "x")).nStatus, 400) << szTarget;
    }
    EXPECT_EQ(ReadTestFile(m_tmp / "escaped.dmp"), "");
    EXPECT_EQ(ReadTestFile("/tmp/escaped.dmp"), "");

    // Over the limit, declared: refused before a byte is stored.
    EXPECT_EQ(SendRaw(Port(), MakeRequest("PUT", "/dumps/big.dmp", std::string(64 * 1024 + 1, 'x'))).nStatus, 413);
    // A client that goes away half-way: no file under the name, no temporary file left behind.
    const int nFd = ConnectLoopback(Port());
    ASSERT_GE(nFd, 0);
    SendAll(nFd, "PUT /dumps/half.dmp HTTP/1.1\r\nHost: x\r\nContent-Length: 1000\r\n\r\n" + std::string(300, 'h'));
    usleep(200 * 1000);
    close(nFd);
    // The server finishes the request when it sees the close; a later request is answered after that.
    EXPECT_EQ(Get("/healthz").nStatus, 200);
    usleep(200 * 1000);
    std::vector<std::string> entries = FolderEntries(m_config.strDumpDir);
    EXPECT_EQ(entries, std::vector<std::string>{"Crash_2026-12-06.dmp"});
}

TEST_P(FilesAndPages, TheAddressPageBelievesHeadersOnlyFromTrustedProxies) {
    StartServer();
    EXPECT_EQ(Get("/ip2city.asp").strBody, "您的IP是：[127.0.0.1]\n");
    // Not a trusted proxy: whatever the caller claims, its own address.
    EXPECT_EQ(Get("/ip2city.asp", "X-Real-IP: 1.2.3.4\r\nX-Forwarded-For: 5.6.7.8\r\n").strBody, "您的IP是：[127.0.0.1]\n");
    m_pServer->Stop();

    m_config.vecTrustedProxies = {0x7F000001u, 0x0A000001u};  // 127.0.0.1 (our nginx), 10.0.0.1
    StartServer();
    EXPECT_EQ(Get("/ip2city.asp", "X-Real-IP: 1.2.3.4\r\nX-Forwarded-For: 5.6.7.8\r\n").strBody, "您的IP是：[1.2.3.4]\n");
    // From the right: the first address no trusted proxy wrote; what the client put in front is ignored.
    EXPECT_EQ(Get("/ip2city.asp", "X-Forwarded-For: 9.9.9.9, 5.6.7.8, 10.0.0.1\r\n").strBody, "您的IP是：[5.6.7.8]\n");
    EXPECT_EQ(Get("/ip2city.asp", "X-Real-IP: not-an-address\r\n").strBody, "您的IP是：[127.0.0.1]\n");
    EXPECT_EQ(Get("/ip2city.asp", "X-Forwarded-For: 5.6.7.8, 1.2.3.999\r\n").strBody, "您的IP是：[127.0.0.1]\n");
    // A report behind the proxy keeps the client's address.
    const HttpReply reply = Post(FormBody("alice"), "X-Real-IP: 203.0.113.9\r\n");
    int64_t nId = 0;
    ASSERT_EQ(std::sscanf(reply.strBody.c_str(), "{ret=%ld}", &nId), 1) << reply.strBody;
    NcReport stored;
    ASSERT_TRUE(m_pStore->GetReport(nId, &stored));
    EXPECT_EQ(stored.strClientAddr, "203.0.113.9");
}

NC_SERVER_BACKENDS(FilesAndPages);

}  // namespace
