// Scripted message boxes: the environment switch and the one line a box leaves on standard error.
#include "KXPlatform_ScriptedAnswers.h"

#include "KXPlatform_Encoding.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace KXPlatform {

namespace {
// A box is one line however many lines its text has: line breaks are written as \n and \r.
std::string OneLine(const char* szGbk) {
    std::string out;
    for (const char* p = szGbk ? szGbk : ""; *p; ++p) {
        if (*p == '\n') out += "\\n";
        else if (*p == '\r') out += "\\r";
        else out += *p;
    }
    return GbkToUtf8(out);
}
}  // namespace

bool WriteScriptedMessageBox(const char* szCaptionGbk, const char* szTextGbk) {
    const char* szMode = std::getenv("NETCHECK_MSGBOX");
    if (!szMode || std::strcmp(szMode, "stderr") != 0) return false;
    // One write per box, so that lines from two threads never interleave and a reader sees whole lines.
    const std::string line = "msgbox: " + OneLine(szCaptionGbk) + " | " + OneLine(szTextGbk) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return true;
}

}  // namespace KXPlatform
