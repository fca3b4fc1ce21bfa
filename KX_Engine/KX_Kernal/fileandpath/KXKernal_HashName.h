// The name hash of the pack archives: archive paths and inner paths are found by it.
#pragma once

#include <cstdint>

// Bob Jenkins' lookup2 hash (1996) of the path with initial value 0, after lower-casing A-Z and turning
// "\" into "/", so "Interface\NetChkRoot.AUF" and "interface/netchkroot.auf" hash alike. Paths longer
// than 255 bytes raise an assertion and are hashed over their first 255 bytes.
uint32_t HashName(const char* szPath);

// The plain lookup2 hash over uLength bytes with an initial value.
uint32_t KXKernal_Lookup2(const uint8_t* pKey, uint32_t uLength, uint32_t uInitVal);
