// The report stores the server tests run against, as connection strings. SQLite always; the PostgreSQL
// backend adds its throw-away cluster's address here.
#pragma once

#include <string>
#include <vector>

// strTmpDir: a fresh folder of the calling test, for backends that keep files. Every call must give
// empty databases: the tests count what they stored.
std::vector<std::string> NcTestBackendUrls(const std::string& strTmpDir);

// The backends' short names, in the order of NcTestBackendUrls, without creating anything (the test
// suites are instantiated from them before any cluster is up).
std::vector<std::string> NcTestBackendNames();

// The URL of one backend by its short name; only that backend is set up ("" for an unknown name).
std::string NcTestBackendUrl(const std::string& strName, const std::string& strTmpDir);

// A short name for test names: "sqlite", "postgresql".
std::string NcTestBackendName(const std::string& strUrl);
