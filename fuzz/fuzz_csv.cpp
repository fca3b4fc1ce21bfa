// CSV tables on hostile bytes: the table itself (cells by index, by name and by the cursor), then the
// three tables the program reads, each loaded from the same bytes.
#include "NcFuzz_Support.h"

#include "KX_Kernal/fileandpath/KXKernal_TableFile.h"
#include "netcheck/catalogue/NetChk_Catalogue.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

#include <cstdlib>
#include <cstring>
#include <map>

namespace {

void CheckTable(CTabFile& table) {
    const uint32_t uRows = table.GetRowCount();
    std::map<std::string, uint32_t> mapLastColumn;
    for (uint32_t uRow = 0; uRow < uRows; ++uRow) {
        const uint32_t uColumns = table.GetColumnCount(uRow);
        bool bAnyText = false;
        for (uint32_t uColumn = 0; uColumn < uColumns; ++uColumn) {
            const char* szCell = table.GetString(uRow, uColumn);
            NCFUZZ_CHECK(szCell != nullptr);
            const size_t uLen = std::strlen(szCell);
            bAnyText |= uLen > 0;
            // Trimmed, and a comment cell is empty; a quoted single blank is the one cell that is a blank.
            if (uLen > 1) NCFUZZ_CHECK(szCell[0] != ' ' && szCell[uLen - 1] != ' ');
            NCFUZZ_CHECK(std::strncmp(szCell, "//", 2) != 0);
            if (uRow == 0 && uLen > 0) mapLastColumn[szCell] = uColumn;
            // The cursor stands on the next cell of the row.
            if (uColumn + 1 < uColumns) {
                const char* szNext = table.ReadNextCell();
                NCFUZZ_CHECK(szNext == table.GetString(uRow, uColumn + 1));
            }
        }
        // A row of empty cells does not count as a row.
        NCFUZZ_CHECK(bAnyText);
        NCFUZZ_CHECK(*table.GetString(uRow, uColumns) == '\0');
        // A column name finds its last column in row 0.
        for (const auto& named : mapLastColumn)
            NCFUZZ_CHECK(table.GetString(uRow, named.first.c_str()) == table.GetString(uRow, named.second));
    }
    NCFUZZ_CHECK(table.GetColumnCount(uRows) == 0);
    NCFUZZ_CHECK(*table.GetString(uRows, 0u) == '\0');
    NCFUZZ_CHECK(*table.GetString(0, "no such column") == '\0');
    // Walking past the end of the table is answered with a box and "".
    table.GetString(uRows ? uRows - 1 : 0, uRows ? table.GetColumnCount(uRows - 1) - 1 : 0u);
    const uint64_t uBoxes = ncfuzz::BoxCount();
    for (int i = 0; i < 2; ++i) NCFUZZ_CHECK(table.ReadNextCell() != nullptr);
    NCFUZZ_CHECK(ncfuzz::BoxCount() > uBoxes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
    ncfuzz::Init();
    const std::string strBytes(reinterpret_cast<const char*>(pData), uSize);
    ncfuzz::WriteScratchFile("t.csv", strBytes);
    CTabFile table;
    NCFUZZ_CHECK(table.Load("t.csv", ',', false));
    CheckTable(table);
    // A second load replaces the first whole.
    NCFUZZ_CHECK(table.Load("t.csv", ',', false));
    CheckTable(table);

    for (const char* szName : {"config/sys/NetJudged.csv", "config/sys/NetChk_string_def.csv", "config/sys/NetChkOption.csv"})
        ncfuzz::WriteScratchFile(szName, strBytes);

    CNetChk_UtilResMgr res;
    NCFUZZ_CHECK(res.LoadNetJudged());
    NCFUZZ_CHECK(res.GetLagLimits()[0] == std::atoi(table.GetString(1, "网络延迟(ms)")));
    NCFUZZ_CHECK(res.GetLossLimits()[2] == std::atoi(table.GetString(3, "丢包率(%)")));

    NCFUZZ_CHECK(res.LoadStringDef());
    for (uint32_t uRow = table.GetRowCount(); uRow-- > 1;) {
        const std::string strKey = table.GetString(uRow, "name");
        if (strKey.empty()) continue;
        // The later row of a key wins: the last row is what the table holds.
        NCFUZZ_CHECK(res.GetNetChkString(strKey) == table.GetString(uRow, "msg"));
        break;
    }

    // The old catalogue, for the server whose segment row 1 names (so that rows can match).
    const std::string strSegment = table.GetString(1, "机房网段");
    CNetChk_Catalogue catalogue;
    catalogue.SetServer("S1", strSegment + ".9");
    const bool bLoaded = catalogue.initOldCommandMgr();
    uint32_t uMatches = 0;
    for (uint32_t uRow = 1; uRow < table.GetRowCount(); ++uRow)
        uMatches += strSegment == table.GetString(uRow, "机房网段") ? 1 : 0;
    NCFUZZ_CHECK(catalogue.m_vecCommands.size() == uMatches);
    NCFUZZ_CHECK(bLoaded == (uMatches > 0));
    return 0;
}
