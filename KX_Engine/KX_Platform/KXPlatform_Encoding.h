// Text conversions at the program's edges: GBK (code page 936) to and from UTF-8.
#pragma once

#include <string>

namespace KXPlatform {

// Bytes that are not valid GBK become U+FFFD, one per byte that starts no valid character.
std::string GbkToUtf8(const std::string& strGbk);

// Characters that GBK cannot hold become "?".
std::string Utf8ToGbk(const std::string& strUtf8);

}  // namespace KXPlatform
