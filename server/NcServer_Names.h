// Which names a request may use for a catalogue document or a dump, which address it came from, and how
// a name it sent is written into a log line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A file name a client may ask for or upload: 1 to 128 of ASCII letters, digits, "_", "-" and ".", not
// starting with "." (so neither "." nor ".." nor hidden files, and never the server's own temporary
// files). No separators, so a name can never leave its folder.
bool NcIsSafeName(const std::string& strName);

// The name a request target gives under szPrefix ("/netcheck/"): the target as received (escapes not yet
// decoded), a query string dropped, the rest percent-decoded and checked with NcIsSafeName.
bool NcNameFromTarget(const std::string& strTarget, const char* szPrefix, std::string* pName);

// The caller's address: the peer's, unless the peer is a trusted proxy that names the client in
// X-Real-IP (preferred) or X-Forwarded-For (the nearest entry that is not itself a trusted proxy).
// A header that does not hold an IPv4 address is ignored. Null header pointers mean absent.
uint32_t NcClientAddress(uint32_t uPeer, const char* szRealIp, const char* szForwardedFor,
                         const std::vector<uint32_t>& vecTrusted);

// A value as it goes into a key=value log line: its first 256 bytes, printable ASCII except quotes, "%"
// and "=" kept, the rest %XX, so a hostile value can neither break the line nor forge a key. "-" when
// empty.
std::string NcLogValue(const std::string& strValue);
