// The application's resource manager: the display string table, the network-quality bounds and (later)
// the control-font table, loaded once at start-up and read-only afterwards.
#pragma once

#include <cstdint>
#include <map>
#include <string>

class CNetChk_UtilResMgr {
public:
    CNetChk_UtilResMgr() = default;

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
    std::map<std::string, std::string> m_mapString;
    int32_t m_nLagLimit[3] = {0, 0, 0};
    int32_t m_nLossLimit[3] = {0, 0, 0};
};
