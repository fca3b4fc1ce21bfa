// CTabFile: loading, in-place parsing and cell access.
#include "KX_Kernal/fileandpath/KXKernal_TableFile.h"

#include "KX_Kernal/KXKernal_Assert.h"
#include "KX_Kernal/fileandpath/KXKernal_File.h"
#include "KX_Kernal/misc/KXKernal_StrCommon.h"

#include <cstring>

namespace {
const char kEmptyCell[] = "";
}  // namespace

CTabFile::CTabFile() : pData(new TabData) {}

CTabFile::~CTabFile() { Clear(); }

void CTabFile::Clear() {
    pData->vecBuf.clear();
    pData->vecvecOffsetByIndex.clear();
    pData->mapColumnByName.clear();
    m_uRow = 0;
    m_uColumn = 0;
}

bool CTabFile::Load(const char* szFileName, char cSeparator, bool bPackAllowed) {
    if (!szFileName) szFileName = "";
    // Inside the function, so that ours hides the C library's own stricmp where it has one.
    using KXKernal::stricmp;
    KXKernal_Assert(strlen(szFileName) > strlen(".csv"));
    if (strlen(szFileName) >= 4) {
        KXKernal_Assert(stricmp( ".csv", szFileName + strlen(szFileName) - 4 ) == 0);
    } else {
        // Too short to hold the extension: the same failure, without reading before the name.
        KXKernal_AssertFailed("stricmp( \".csv\", szFileName + strlen(szFileName) - 4 ) == 0", __FILE__, __LINE__);
    }
    m_strFileName = szFileName;

    std::unique_ptr<CKXKernal_File> pFile = OpenFile(szFileName, bPackAllowed);
    if (!pFile) return false;

    const int32_t nSize = pFile->GetSize();
    if (nSize < 1) {
        const std::string strMessage = "CTabFile::Load " + m_strFileName + " 文件失败";
        KXKernal_MessageBox(strMessage.c_str());
    }
    Clear();
    const uint32_t uSize = nSize > 0 ? static_cast<uint32_t>(nSize) : 0;
    pData->vecBuf.resize(uSize + 1);
    const uint32_t uRead = uSize ? pFile->Read(pData->vecBuf.data(), 1, uSize) : 0;
    // A short read leaves the table with what arrived.
    pData->vecBuf.resize(uRead + 1);
    pData->vecBuf[uRead] = '\0';
    Parse(cSeparator);
    return true;
}

void CTabFile::Parse(char cSeparator) {
    std::vector<char>& vecBuf = pData->vecBuf;
    char* const buf = vecBuf.data();
    const uint32_t uSize = static_cast<uint32_t>(vecBuf.size());
    pData->vecvecOffsetByIndex.assign(1, std::vector<uint32_t>());
    pData->nCurrentRow = 0;
    pData->bRowEmpty = true;

    bool bSpecial[256] = {};
    for (unsigned char c : {static_cast<unsigned char>(cSeparator), static_cast<unsigned char>('"'),
                            static_cast<unsigned char>('\r'), static_cast<unsigned char>('\n'),
                            static_cast<unsigned char>('\0')}) {
        bSpecial[c] = true;
    }

    uint32_t uStart = 0;
    uint32_t i = 0;
    while (i < uSize) {
        const char c = buf[i];
        if (c == cSeparator) {
            buf[i] = '\0';
            AddCell(uStart);
            uStart = ++i;
        } else if (c == '"') {
            // A quoted stretch: separators and line breaks inside it are content. It ends at the next
            // quote, or just before a NUL, which is then handled as the end of the buffer.
            ++i;
            while (i < uSize && buf[i] != '"' && buf[i] != '\0') ++i;
            if (i < uSize && buf[i] == '"') ++i;
        } else if (c == '\r' || c == '\n') {
            while (i < uSize && (buf[i] == '\r' || buf[i] == '\n')) buf[i++] = '\0';
            AddCell(uStart);
            uStart = i;
            NewRow();
        } else if (c == '\0') {
            KXKernal_Assert(i == vecBuf.size() - 1);
            AddCell(uStart);
            uStart = ++i;
        } else {
            // Ordinary text: skip to the next byte that means something to the parser.
            do ++i; while (i < uSize && !bSpecial[static_cast<unsigned char>(buf[i])]);
        }
    }
    if (pData->bRowEmpty && !pData->vecvecOffsetByIndex.empty()) pData->vecvecOffsetByIndex.pop_back();
}

void CTabFile::NewRow() {
    auto& rows = pData->vecvecOffsetByIndex;
    if (pData->bRowEmpty && !rows.empty()) {
        rows.pop_back();
        --pData->nCurrentRow;
    }
    // Rows of one table tend to have the same width: size the new row like the one before it.
    const size_t uWidth = rows.empty() ? 0 : rows.back().size();
    rows.emplace_back();
    rows.back().reserve(uWidth);
    ++pData->nCurrentRow;
    pData->bRowEmpty = true;
}

void CTabFile::RecordCell(uint32_t uOffset, bool bNonEmpty) {
    auto& row = pData->vecvecOffsetByIndex.back();
    row.push_back(uOffset);
    if (!bNonEmpty) return;
    pData->bRowEmpty = false;
    if (pData->nCurrentRow == 0) {
        // A name that occurs twice maps to its later column.
        pData->mapColumnByName[&pData->vecBuf[uOffset]] = static_cast<uint32_t>(row.size() - 1);
    }
}

void CTabFile::AddCell(uint32_t uStart) {
    char* const buf = pData->vecBuf.data();
    for (;;) {
        while (buf[uStart] == ' ') ++uStart;
        char* pszString = buf + uStart;
        uint32_t uLen = static_cast<uint32_t>(strlen(pszString));
        while (uLen > 0 && pszString[uLen - 1] == ' ') pszString[--uLen] = '\0';
        if (uLen == 0) {
            RecordCell(uStart, false);
            return;
        }
        if (pszString[0] == '"') {
            KXKernal_Assert(uLen >= 2);
            KXKernal_Assert(pszString[uLen-1] == '"');
            // The last byte is taken for the closing quote whatever it is: without one (after Ignore)
            // the cell loses its last byte, as the game's other table readers do with the same file.
            pszString[uLen - 1] = '\0';
            pszString[0] = '\0';
            ++uStart;
            ++pszString;
            uint32_t uInner = uLen >= 2 ? uLen - 2 : 0;
            if (uInner == 0) {
                RecordCell(uStart, false);
                return;
            }
            if (uInner == 1 && pszString[0] == ' ') {
                RecordCell(uStart, true);
                return;
            }
            // Collapse doubled quotes in one pass; a lone quote (after Ignore) stays.
            uint32_t uWrite = 0;
            for (uint32_t i = 0; i < uInner; ++i) {
                pszString[uWrite++] = pszString[i];
                if (pszString[i] == '"') {
                    KXKernal_Assert(pszString[i+1] == '"');
                    if (i + 1 < uInner && pszString[i + 1] == '"') ++i;
                }
            }
            pszString[uWrite] = '\0';
            continue;  // the inner text is trimmed, unquoted and checked for "//" again
        }
        if (pszString[0] == '/' && pszString[1] == '/') {
            pszString[0] = '\0';
            RecordCell(uStart, false);
            return;
        }
        RecordCell(uStart, true);
        return;
    }
}

uint32_t CTabFile::GetRowCount() const { return static_cast<uint32_t>(pData->vecvecOffsetByIndex.size()); }

uint32_t CTabFile::GetColumnCount() const { return GetColumnCount(0); }

uint32_t CTabFile::GetColumnCount(uint32_t uRow) const {
    if (uRow >= GetRowCount()) return 0;
    return static_cast<uint32_t>(pData->vecvecOffsetByIndex[uRow].size());
}

const char* CTabFile::GetString(uint32_t uRow, uint32_t uColumn) {
    if (uRow >= GetRowCount() || uColumn >= pData->vecvecOffsetByIndex[uRow].size()) return kEmptyCell;
    m_uRow = uRow;
    m_uColumn = uColumn + 1;
    return pData->vecBuf.data() + pData->vecvecOffsetByIndex[uRow][uColumn];
}

const char* CTabFile::GetString(uint32_t uRow, const char* szColumnName) {
    if (pData->vecBuf.empty() || !szColumnName) return kEmptyCell;
    const auto it = pData->mapColumnByName.find(szColumnName);
    if (it == pData->mapColumnByName.end()) return kEmptyCell;
    return GetString(uRow, it->second);
}

const char* CTabFile::ReadNextCell() {
    if (m_uRow >= GetRowCount() || m_uColumn >= pData->vecvecOffsetByIndex[m_uRow].size()) {
        const std::string strMessage = m_strFileName + "已经损坏，请重启动客户端。如果一直出现，请重新安装客户端。";
        KXKernal_MessageBox(strMessage.c_str());
        KXKernal_Assert(m_uRow < pData->vecvecOffsetByIndex.size() && m_uColumn < pData->vecvecOffsetByIndex[m_uRow].size());
        return kEmptyCell;
    }
    return pData->vecBuf.data() + pData->vecvecOffsetByIndex[m_uRow][m_uColumn++];
}
