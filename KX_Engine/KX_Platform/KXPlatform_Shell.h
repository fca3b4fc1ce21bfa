// The command interpreter that runs the check's scripts: how one word is quoted for it, and the text of
// the script that runs one command line.
#pragma once

#include <string>

namespace KXPlatform {

// Quotes one word of program text (GBK) so that the interpreter reads it back as exactly that word: no
// splitting at blanks, no expansion, no redirection, whatever bytes it holds. A word made only of
// characters that mean nothing to the interpreter (POSIX: letters, digits, "._-+,:@%=/"; Windows: letters,
// digits, "._-+:@/") is returned as it is.
std::string QuoteShellWord(const std::string& strWord);

// The extension of the interpreter's script files: ".sh" on POSIX, ".bat" on Windows.
const char* ScriptFileExtension();

// The script that runs one command line (program text) and then ends the interpreter, in the system's
// encoding, ready to be written to the script file. With bEchoLine the command line itself is printed
// first, as the Windows interpreter does without its echo-suppressing "@".
std::string BuildCommandScript(const std::string& strLine, bool bEchoLine);

}  // namespace KXPlatform
