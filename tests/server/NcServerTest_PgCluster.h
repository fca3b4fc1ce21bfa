// The PostgreSQL side of the server tests. CTest starts one throw-away cluster around the suite
// (fixture "pg_cluster": tools/pg-test-cluster.sh start <build>/tests/pg-cluster) and its URL lands in
// <build>/tests/pg-cluster/url; NC_TEST_PG_URL overrides it when the test binary is run by hand against
// another cluster. Each test gets a database of its own, so no test sees another's reports.
#pragma once

#include <string>

// The cluster's URL; "" (with a test failure that says how to start one) when there is none.
std::string NcTestPgClusterUrl();

// Creates an empty database in the suite's cluster and returns its URL. When the cluster is missing the
// current test fails and the returned URL points nowhere, so opening it fails too: never a silent skip.
std::string NcTestPgFreshDatabase();

// strUrl with its database name replaced (the URLs the cluster script writes: "postgresql:///NAME?…").
std::string NcTestPgUrlWithDatabase(const std::string& strUrl, const std::string& strDatabase);

// A cluster of the test's own, for tests that stop and start the database under a running store.
class CNcTestPgCluster {
public:
    explicit CNcTestPgCluster(const std::string& strStateDir);   // starts it; Url() "" on failure
    ~CNcTestPgCluster();                                          // stops and removes it
    CNcTestPgCluster(const CNcTestPgCluster&) = delete;
    CNcTestPgCluster& operator=(const CNcTestPgCluster&) = delete;

    const std::string& Url() const { return m_strUrl; }
    bool Down();   // stops the database, keeping its data
    bool Up();     // starts it again

private:
    bool Run(const char* szCommand);

    std::string m_strStateDir;
    std::string m_strUrl;
};
