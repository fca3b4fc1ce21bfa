// Scripted message boxes for automated runs: with NETCHECK_MSGBOX=stderr no box waits for a person.
#pragma once

namespace KXPlatform {

// When NETCHECK_MSGBOX=stderr, writes "msgbox: <caption> | <text>" (UTF-8) to standard error and
// returns true: the caller then answers with its default button instead of waiting for a person.
// Line breaks inside the texts are written as the two characters \n (\r for a carriage return), so a
// box is always one line. Otherwise writes nothing and returns false. Null texts count as empty.
bool WriteScriptedMessageBox(const char* szCaptionGbk, const char* szTextGbk);

}  // namespace KXPlatform
