// The application's resource manager: the control-font table, the network-quality bounds and the
// display string table, loaded once at start-up and read-only afterwards.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ArkGui {
class CArkWnd;
}

// One row of "./config/gui/NTWndCtrlFont.csv": the font and caption colours of one control.
struct NetChkCtrlFont {
    std::string strWndName;   // name of the top-level window
    std::string strCtrlName;  // window name of the control, a direct child of it
    std::string strFontName;
    uint8_t uFontSize = 0;
    uint8_t uEdgeMode = 0;    // ArkGui edge modes: 0 outline, 1 shadow, 2 none
    bool bForceShowText = false;
    uint32_t uEnableColor = 0;     // 0 in any colour: leave that colour as it is
    uint32_t uMouseOverColor = 0;
    uint32_t uMouseDownColor = 0;
    uint32_t uEdgeColor = 0;
};

class CNetChk_UtilResMgr {
public:
    CNetChk_UtilResMgr() = default;

    // The control-font table, then the network-quality bounds, then the string table; a table that
    // fails is logged and the others are still loaded. True when all three loaded.
    bool LoadTables();

    // Reads "./config/gui/NTWndCtrlFont.csv" up to the first row without a window or control name.
    // False (and a log line) when it cannot be loaded.
    bool LoadCtrlFontTable();
    const std::vector<NetChkCtrlFont>& GetCtrlFonts() const { return m_vecCtrlFont; }

    // Gives the direct children of pWnd named in the table for pWnd's name their font, edge mode,
    // caption colours and force-show-text flag. With bRelayout each such control's caption is set again
    // so that it is laid out in the new font (every net-check window passes true).
    void ApplyControlFonts(ArkGui::CArkWnd* pWnd, bool bRelayout) const;

    // Fills the string table from "./config/sys/NetChk_string_def.csv"; false (and a log line) when the
    // file cannot be loaded, leaving the table as it was.
    bool LoadStringDef();

    // The text of a key, or "" when the key is absent. Keys compare byte for byte, case-sensitively.
    std::string GetNetChkString(const std::string& strKey) const;

    // Reads "./config/sys/NetJudged.csv" into the two bound arrays; false (and a log line) on failure,
    // leaving the bounds as they are. Lives with the verdict code.
    bool LoadNetJudged();

    // Bounds of the grades, in milliseconds and percent; all 0 until loaded.
    const int32_t* GetLagLimits() const { return m_nLagLimit; }
    const int32_t* GetLossLimits() const { return m_nLossLimit; }

private:
    std::vector<NetChkCtrlFont> m_vecCtrlFont;
    std::map<std::string, std::string> m_mapString;
    int32_t m_nLagLimit[3] = {0, 0, 0};
    int32_t m_nLossLimit[3] = {0, 0, 0};
};
