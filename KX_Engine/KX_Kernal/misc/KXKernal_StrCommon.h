// Small string helpers of the kernel that the C library does not offer portably.
#pragma once

namespace KXKernal {

// Compares two NUL-terminated strings without regard to the case of A-Z (bytes above 127 compare as
// they are, so GBK text is safe); <0, 0 or >0 like strcmp.
int stricmp(const char* szLeft, const char* szRight);

}  // namespace KXKernal
