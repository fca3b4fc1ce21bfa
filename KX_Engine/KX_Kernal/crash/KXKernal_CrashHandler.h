// The kernel's crash handler: when a thread fails (a fatal signal or an uncaught C++ exception), the
// report goes into the log, watchers are signalled, the user is told, a dump is saved under the dump
// path and uploaded with the log when an upload address is set.
//
// The failing process itself only captures the fault (see KXPlatform_CrashGuard.h for what is safe
// there and why); the report is written by the crash agent, a clean copy of the process made at
// installation. Everything the report needs from the failing process therefore lives in fixed-size
// memory that the agent mirrors at the moment of the crash: the settings below and the call records.
#pragma once

#include <cstdint>

// Runs inside the failing thread's signal handler, before the report: async-signal-safe work only.
using CrashCallback = void (*)();

// Stores the settings and the install time and installs the guard. The program does this while its
// static objects are constructed, so the whole start-up is covered. Once per process.
bool InstallCrashHandler(const char* szAppName, CrashCallback pfnCallback, const char* szDumpPathFormat);

// The thread that runs the program's main loop; a failure there ends the process, a failure of any
// other thread stops only that thread. Until set, the process's first thread counts as the main one.
void SetCrashMainThreadId(uint32_t uThreadId);

// The base the dump's and the log's names are appended to (at most 255 bytes); empty means no upload.
void SetUploadUrl(const char* szUrl);
void SetDumpTag(const char* szTag);

// Appends a text (cut at 255 bytes) to the ring of the last 300; the report prints and empties it.
void AddCallRecord(const char* szText);

// Uploads the current log file to base URL + szName + ".log"; false when it did not arrive.
bool UploadLog(const char* szName);

// Puts the handlers back where other code replaced them; logs and returns how many.
int ReassertCrashHandler();
