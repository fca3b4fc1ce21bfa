// CKXKernal_File: reading, writing and positioning inside a byte range of a stdio stream.
#include "KX_Kernal/fileandpath/KXKernal_File.h"

#include "KX_Kernal/KXKernal_Assert.h"
#include "KX_Kernal/fileandpath/KXKernal_PackCipher.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"

#include <climits>
#include <string>

CKXKernal_File::CKXKernal_File(std::FILE* fFile, const std::string& strFileName, bool bScrambled,
                               int32_t nBeginTell, int32_t nEndTell)
    : m_fFile(fFile),
      m_strFileName(strFileName),
      m_bScrambled(bScrambled),
      m_nBeginTell(nBeginTell),
      m_nEndTell(nEndTell),
      m_nCurTell(nBeginTell) {}

CKXKernal_File::~CKXKernal_File() {
    // Only a disk file owns its stream; a file inside a pack starts after the archive's header and
    // shares the archive's stream, which stays open for the archive's lifetime.
    if (m_fFile && m_nBeginTell == 0) std::fclose(m_fFile);
}

uint32_t CKXKernal_File::Read(void* pMemBuffer, uint32_t uSize, uint32_t uCount) {
    KXKernal_Assert(this->m_fFile && this->m_nCurTell >= this->m_nBeginTell && this->m_nCurTell <= this->m_nEndTell && pMemBuffer);
    return ReadAtCurrent(pMemBuffer, uSize, uCount);
}

uint32_t CKXKernal_File::ReadAtCurrent(void* pMemBuffer, uint32_t uSize, uint32_t uCount) {
    // After an ignored assertion a position outside the range reads nothing rather than some other
    // file's bytes of the same pack.
    if (!m_fFile || !pMemBuffer || m_nCurTell < m_nBeginTell || m_nCurTell >= m_nEndTell) return 0;
    if (std::fseek(m_fFile, m_nCurTell, SEEK_SET) != 0) return 0;
    const size_t uElements = std::fread(pMemBuffer, uSize, uCount, m_fFile);
    // The stream never holds more than INT32_MAX bytes past the position, so this fits.
    const uint32_t uBytes = static_cast<uint32_t>(uElements * uSize);
    if (m_bScrambled) {
        // The key position counts from the range start, not from the read position: a file is always
        // read whole (or in 16-byte multiples from its start), as it was scrambled.
        KXKernal_PackScrambleContents(static_cast<uint8_t*>(pMemBuffer), uBytes, m_nBeginTell);
    }
    m_nCurTell += static_cast<int32_t>(uBytes);
    return uBytes;
}

uint32_t CKXKernal_File::Write(const void* pMemBuffer, uint32_t uSize, uint32_t uCount) {
    KXKernal_Assert(this->m_fFile && this->m_nCurTell >= this->m_nBeginTell && pMemBuffer);
    if (!m_fFile || !pMemBuffer || m_nCurTell < m_nBeginTell) return 0;
    // Offsets are 32-bit: a write that would carry the position past INT32_MAX is refused.
    if (static_cast<uint64_t>(uSize) * uCount > static_cast<uint64_t>(INT32_MAX - m_nCurTell)) {
        ArkLog(WL_ERROR, M_Kernel, "%s %s too large for a 32-bit offset", "CKXKernal_File::Write", m_strFileName.c_str());
        return 0;
    }
    if (std::fseek(m_fFile, m_nCurTell, SEEK_SET) != 0) return 0;
    const size_t uElements = std::fwrite(pMemBuffer, uSize, uCount, m_fFile);
    const uint32_t uBytes = static_cast<uint32_t>(uElements * uSize);
    m_nCurTell += static_cast<int32_t>(uBytes);
    if (m_nCurTell > m_nEndTell) m_nEndTell = m_nCurTell;
    return uBytes;
}

int32_t CKXKernal_File::Seek(int32_t nOffset) {
    const int32_t nPrevious = m_nCurTell - m_nBeginTell;
    // Computed wide so that a wild offset lands at an extreme instead of overflowing.
    int64_t nTarget = static_cast<int64_t>(m_nBeginTell) + nOffset;
    if (nTarget > INT32_MAX) nTarget = INT32_MAX;
    if (nTarget < INT32_MIN) nTarget = INT32_MIN;
    m_nCurTell = static_cast<int32_t>(nTarget);
    KXKernal_Assert(m_nCurTell <= m_nEndTell);
    return nPrevious;
}

bool CKXKernal_File::Eof() {
    KXKernal_Assert(m_fFile);
    if (m_nCurTell < m_nBeginTell || m_nCurTell > m_nEndTell) {
        const std::string strText = m_strFileName + "文件结构损坏，若一定出现此情况，请重新安装客户端";
        ArkLog(WL_ERROR, M_Logic, "%s %s curr[%d] begin[%d] end[%d]", "CKXKernal_File::Eof", strText.c_str(),
               m_nCurTell, m_nBeginTell, m_nEndTell);
        KXKernal_MessageBox(strText.c_str());
        KXKernal_Assert(m_nCurTell >= m_nBeginTell && m_nCurTell <= m_nEndTell);
    }
    return m_nCurTell == m_nEndTell;
}
