// The Windows headers as the Win32 backend includes them: without the min/max macros, and without the
// A/W macros whose names our own functions use (KXPlatform::DeleteFile and the like).
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#undef DeleteFile
#undef MoveFile
#undef ReplaceFile
#undef GetFileAttributes
#undef GetCurrentDirectory
#undef SetCurrentDirectory
