// Where the tests find the built tools and the source tree: the environment may point elsewhere,
// otherwise the folders this build was configured with.
#pragma once

#include <string>

std::string NcTestToolsDir();   // $NC_TOOLS_DIR, else <build>/tools
std::string NcTestSourceDir();  // $NC_SOURCE_DIR, else the repository root
