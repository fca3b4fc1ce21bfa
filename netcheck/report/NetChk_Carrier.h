// The player's carrier: the public address asked of a web page, looked up in "./config/sys/IP.csv".
#pragma once

#include <cstdint>
#include <string>

// The carrier of the player's public address into strNetType; "其他" whenever anything fails (table,
// download, address, no matching range, an empty carrier in the first matching range). The page's
// text is kept for a moment in "userip.txt" in the current directory, which never survives the call.
void LookupCarrier(std::string& strNetType, const std::string& strIpPage);

// The address a downloaded page names: the text between the last "[" before the first "]" and that
// "]" (from the second byte when no "[" precedes it), as a host-order number; false when there is no
// usable candidate or it is no valid address (255.255.255.255 included).
bool NetChk_AddressFromPage(const std::string& strPage, uint32_t& uAddress);
