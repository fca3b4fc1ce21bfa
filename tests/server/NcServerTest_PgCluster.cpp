// The throw-away PostgreSQL cluster as the server tests see it.
#include "server/NcServerTest_PgCluster.h"

#include "common/NcTest_TempDir.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

#ifndef NC_TEST_PG_DIR
#error "the build passes the cluster's state folder"
#endif

namespace {

std::string Trimmed(std::string str) {
    while (!str.empty() && (str.back() == '\n' || str.back() == '\r' || str.back() == ' '))
        str.pop_back();
    return str;
}

// Single-quoted for the shell; the paths are ours, but a quote in a temporary folder's name must not break.
std::string ShellQuoted(const std::string& str) {
    std::string out = "'";
    for (char c : str)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

std::string NcTestPgClusterUrl() {
    if (const char* szUrl = std::getenv("NC_TEST_PG_URL"); szUrl && *szUrl)
        return szUrl;
    std::string strUrl = Trimmed(ReadTestFile(std::string(NC_TEST_PG_DIR) + "/url"));
    if (strUrl.empty())
        ADD_FAILURE() << "no PostgreSQL test cluster: run the suite through ctest, or start one with "
                         "tools/pg-test-cluster.sh start " NC_TEST_PG_DIR;
    return strUrl;
}

std::string NcTestPgUrlWithDatabase(const std::string& strUrl, const std::string& strDatabase) {
    size_t nQuery = strUrl.find('?');
    size_t nSlash = strUrl.rfind('/', nQuery == std::string::npos ? std::string::npos : nQuery);
    if (nSlash == std::string::npos)
        return strUrl;
    return strUrl.substr(0, nSlash + 1) + strDatabase + (nQuery == std::string::npos ? "" : strUrl.substr(nQuery));
}

std::string NcTestPgFreshDatabase() {
    std::string strUrl = NcTestPgClusterUrl();
    if (strUrl.empty())
        return "postgresql:///none?host=/nonexistent-test-cluster";
    static std::atomic<int> s_nNext{0};
    const std::string strName = "nct_" + std::to_string(getpid()) + "_" + std::to_string(s_nNext++);
    PGconn* pConn = PQconnectdb(strUrl.c_str());
    if (PQstatus(pConn) != CONNECTION_OK) {
        ADD_FAILURE() << "the PostgreSQL test cluster does not answer: " << PQerrorMessage(pConn);
    } else {
        // A leftover of an earlier run with the same process id goes first.
        PQclear(PQexec(pConn, ("DROP DATABASE IF EXISTS " + strName + " WITH (FORCE)").c_str()));
        PGresult* pResult = PQexec(pConn, ("CREATE DATABASE " + strName).c_str());
        if (PQresultStatus(pResult) != PGRES_COMMAND_OK)
            ADD_FAILURE() << "cannot create a test database: " << PQresultErrorMessage(pResult);
        PQclear(pResult);
    }
    PQfinish(pConn);
    return NcTestPgUrlWithDatabase(strUrl, strName);
}

CNcTestPgCluster::CNcTestPgCluster(const std::string& strStateDir) : m_strStateDir(strStateDir) {
    if (Run("start"))
        m_strUrl = Trimmed(ReadTestFile(m_strStateDir + "/url"));
    if (m_strUrl.empty())
        ADD_FAILURE() << "tools/pg-test-cluster.sh could not start a cluster in " << m_strStateDir;
}

CNcTestPgCluster::~CNcTestPgCluster() { Run("stop"); }

bool CNcTestPgCluster::Down() { return Run("down"); }
bool CNcTestPgCluster::Up() { return Run("up"); }

bool CNcTestPgCluster::Run(const char* szCommand) {
    std::string strLine = ShellQuoted(NC_TEST_PG_SCRIPT) + " " + szCommand + " " + ShellQuoted(m_strStateDir) +
                          " >/dev/null";
    return std::system(strLine.c_str()) == 0;
}
