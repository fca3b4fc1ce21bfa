// Text conversions at the program's edges. Inside the program every text is GBK (code page 936); what
// crosses to the operating system is in the system's encoding (UTF-8 on POSIX, GBK itself on Windows).
#pragma once

#include <string>

namespace KXPlatform {

// Bytes that are not valid GBK become U+FFFD, one per byte that starts no valid character.
std::string GbkToUtf8(const std::string& strGbk);

// Characters that GBK cannot hold become "?".
std::string Utf8ToGbk(const std::string& strUtf8);

// Program text as the system wants it: file and folder names the program makes from its own texts (the
// result file named after the server, the commands' output file), the text of command scripts, and
// lines written to the standard error.
std::string ToSystemText(const std::string& strGbk);

// What a child process wrote, as program text. A line (up to and with its line feed) that is valid
// UTF-8 and not plain ASCII is converted to GBK, so that a command running in a UTF-8 locale reads
// right; every other line is kept byte for byte (ASCII, GBK, binary).
std::string FromChildOutput(const std::string& strBytes);

// The length of the longest prefix of at most uMax bytes that does not cut a UTF-8 character that the
// bytes after it would complete; output handed over in pieces then converts the same as in one piece.
size_t ChildOutputCut(const std::string& strBytes, size_t uMax);

}  // namespace KXPlatform
