// The file-access recorder: lists the files a run opens, e.g. to decide what goes into an archive.
#pragma once

#include <cstdint>
#include <cstdio>

// Given a stream, OpenFile writes every distinct path it opens to it once, lower-cased and normalised,
// followed by a blank and the size in bytes ("config/sys/ip.csv 2048\n"). The stream is not owned;
// nullptr (the default) turns the recorder off and forgets the paths seen so far.
void KXKernal_SetFileAccessRecorder(std::FILE* pStream);

// Called by OpenFile for each file it opened; does nothing while the recorder is off.
void KXKernal_RecordFileAccess(const char* szPath, int32_t nSize);
