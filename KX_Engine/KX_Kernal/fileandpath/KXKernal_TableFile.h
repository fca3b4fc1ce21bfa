// CTabFile: one comma-separated table loaded whole into memory and cut in place.
//
// The file is read into one buffer; every separator, line break, trimmed space and removed quote is
// overwritten with NUL, so each cell is a NUL-terminated string lying inside that buffer, and a row keeps
// only the 32-bit offsets of its cells. Rows are ragged. Row 0 (the first line with content) is the
// header; its non-empty cells name the columns. Texts are bytes in the file's code page (GBK for the
// program's tables); nothing is converted.
//
// Dialect: runs of CR/LF end a row (blank lines vanish); spaces (not tabs) around a cell are trimmed;
// a cell in double quotes may hold separators and line breaks, "" inside it is one quote, and it is
// trimmed and unquoted again after unquoting; a cell starting with "//" is an empty comment cell; a row
// whose cells are all empty does not count. Format violations go through the kernel assertion box.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CTabFile {
public:
    CTabFile();
    ~CTabFile();
    CTabFile(const CTabFile&) = delete;
    CTabFile& operator=(const CTabFile&) = delete;

    // Reads and parses the file through OpenFile (the pack archive too when bPackAllowed). False, with
    // the previous contents kept, when the file cannot be opened.
    bool Load(const char* szFileName, char cSeparator = ',', bool bPackAllowed = true);
    void Clear();

    uint32_t GetRowCount() const;
    // Cells in row 0; 0 for an empty table.
    uint32_t GetColumnCount() const;
    // Cells in the given row; 0 when the row does not exist.
    uint32_t GetColumnCount(uint32_t uRow) const;

    // The cell's text, or "" when there is no such cell. Pointers stay valid until the next Load, Clear
    // or the destruction of the table. A hit moves the cursor to the cell after it.
    const char* GetString(uint32_t uRow, uint32_t uColumn);
    const char* GetString(uint32_t uRow, const char* szColumnName);

    // The cell under the cursor, then the cursor moves one column on. Outside the table the kernel
    // message box says the file is damaged and "" is returned.
    const char* ReadNextCell();

    const std::string& GetFileName() const { return m_strFileName; }

private:
    struct TabData {
        std::vector<char> vecBuf;  // the file plus one NUL
        std::vector<std::vector<uint32_t>> vecvecOffsetByIndex;
        std::map<std::string, uint32_t> mapColumnByName;
        int32_t nCurrentRow = 0;
        bool bRowEmpty = true;
    };

    void Parse(char cSeparator);
    void AddCell(uint32_t uStart);
    void NewRow();
    void RecordCell(uint32_t uOffset, bool bNonEmpty);

    std::unique_ptr<TabData> pData;
    uint32_t m_uRow = 0;
    uint32_t m_uColumn = 0;
    std::string m_strFileName;
};
