// The socket library: start-up, IPv4 address text, host name resolution and the last error.
#pragma once

#include <cstdint>
#include <string>

namespace KXPlatform {

// Starts the socket library (version 2.2 where the system asks for one); 0 on success, else the
// library's error code. POSIX needs no start-up and always succeeds.
int StartupSockets();
void CleanupSockets();

// The error of the last failing call of this file on this thread (the resolver's code on POSIX).
int GetLastSocketError();

// Dotted IPv4 text to an address in network byte order, with inet_addr's rules: one to four parts,
// decimal, octal or hexadecimal. False for anything else, and for "255.255.255.255", which inet_addr
// cannot tell apart from its failure value.
bool ParseIPv4(const char* szText, uint32_t& uAddress);
// An address in network byte order as dotted text.
std::string FormatIPv4(uint32_t uAddress);

// The first IPv4 address a host name (GBK) resolves to, in network byte order. False (with the error
// kept for GetLastSocketError) when it does not resolve.
bool ResolveHostIPv4(const char* szHost, uint32_t& uAddress);

}  // namespace KXPlatform
