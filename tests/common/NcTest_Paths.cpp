#include "common/NcTest_Paths.h"

#include <cstdlib>

namespace {
std::string FromEnvironment(const char* szName, const char* szBuiltIn) {
    const char* szValue = std::getenv(szName);
    return szValue && *szValue ? szValue : szBuiltIn;
}
}  // namespace

std::string NcTestToolsDir() { return FromEnvironment("NC_TOOLS_DIR", NC_TEST_TOOLS_DIR); }

std::string NcTestSourceDir() { return FromEnvironment("NC_SOURCE_DIR", NC_TEST_SOURCE_DIR); }
