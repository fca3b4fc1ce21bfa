// The standard output seen as a console: coloured lines when it is a terminal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace KXPlatform {

// Writes one line of GBK text to the standard output and flushes it. uAttribute is a Windows console
// text attribute (foreground bits 1 blue, 2 green, 4 red, 8 intensity); on a terminal it becomes an ANSI
// colour and the text is converted to UTF-8 when the terminal's locale is UTF-8. Elsewhere the bytes go
// out unchanged, so that redirected output keeps the log's GBK.
void WriteConsoleLine(const char* pText, size_t uLength, uint16_t uAttribute);

// Writes program text (GBK) to the standard error in the system's encoding (ToSystemText).
void WriteErrorText(const std::string& strGbk);

// Puts the standard input, output and error into binary mode, where the system has a text mode that
// would change line ends (Windows); elsewhere nothing happens.
void SetBinaryStandardStreams();

// The ANSI SGR sequence for a Windows console attribute's foreground, e.g. 0x0C -> "\x1b[91m".
const char* AnsiColourOfAttribute(uint16_t uAttribute);

}  // namespace KXPlatform
