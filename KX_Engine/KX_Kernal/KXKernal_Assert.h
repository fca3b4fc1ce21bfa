// Kernel assertions and the kernel message box. Both stay active in the shipped program: the user may
// abort (SIGABRT, then exit code 3), break into a debugger (Retry) or ignore and go on.
#pragma once

// Shows szText with the title "KXKernal MessageBox" and Abort/Retry/Ignore, then acts on the answer;
// returns only for Ignore (and after a Retry that a debugger resumed).
void KXKernal_MessageBox(const char* szText);

// Formats "KXKernal_Assert(%s);\nFile: %s\nLine: %d" and shows it in the kernel message box.
void KXKernal_AssertFailed(const char* szExpression, const char* szFile, int nLine);

#define KXKernal_Assert(expression)                                      \
    do {                                                                 \
        if (!(expression)) KXKernal_AssertFailed(#expression, __FILE__, __LINE__); \
    } while (0)
