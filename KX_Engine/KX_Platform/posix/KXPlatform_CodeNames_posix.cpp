// Names of code addresses on POSIX: the crash report reads them from the ELF files itself.
#include "KX_Platform/KXPlatform_CrashInfo.h"

namespace KXPlatform {

bool DescribeCodeAddress(uint64_t, std::string&, std::string&, uint32_t&) { return false; }

}  // namespace KXPlatform
