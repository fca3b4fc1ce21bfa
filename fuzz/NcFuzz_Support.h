// What every fuzz harness shares: the set-up nctool also makes (kernel message boxes answered Ignore,
// so that an assertion is reported and survived while a memory fault still ends the run), a quiet
// logger, a scratch folder, and the check that stops the run when a promise of the code is broken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ncfuzz {

// Once per process: answers boxes, silences the console log, makes the scratch folder and enters it.
void Init();

// The scratch folder (with a trailing "/"); the current directory after Init.
const std::string& ScratchDir();

// Writes the bytes to a file under the scratch folder (its folders are made) and returns its path.
std::string WriteScratchFile(const std::string& strRelative, const std::string& strBytes);

// How many kernel message boxes were answered so far (assertions included).
uint64_t BoxCount();

// Prints what broke and aborts, which both libFuzzer and the replay program report as a failure.
[[noreturn]] void Fail(const char* szFile, int nLine, const char* szWhat);

// Reads an input front to back: single bytes for choices, the rest as the payload.
class Reader {
public:
    Reader(const uint8_t* pData, size_t uSize) : m_pData(pData), m_uSize(uSize) {}
    uint8_t Byte() { return m_uPos < m_uSize ? m_pData[m_uPos++] : 0; }
    std::string Rest() {
        std::string s(reinterpret_cast<const char*>(m_pData) + m_uPos, m_uSize - m_uPos);
        m_uPos = m_uSize;
        return s;
    }

private:
    const uint8_t* m_pData;
    size_t m_uSize;
    size_t m_uPos = 0;
};

}  // namespace ncfuzz

#define NCFUZZ_CHECK(condition) \
    do {                        \
        if (!(condition)) ncfuzz::Fail(__FILE__, __LINE__, #condition); \
    } while (0)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize);
