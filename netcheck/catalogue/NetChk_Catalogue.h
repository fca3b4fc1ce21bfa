// CNetChk_Catalogue: the check catalogue and its loading. New format first (update descriptor ->
// downloads -> encrypted local copy "net_check.xml"), the old segment table as the fallback.
#pragma once

#include "netcheck/catalogue/NetChk_Command.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CNetChk_Catalogue {
public:
    // Seconds that one catalogue download may take to connect and, separately, to deliver data.
    static constexpr uint32_t kFetchTimeoutSeconds = 30;

    CNetChk_Catalogue() = default;

    // Where the update descriptor and the local copy live; the executable's directory by default.
    // Given with or without a trailing "/".
    void SetExeDir(const std::string& strDir);
    // The executable's directory with a trailing "/".
    std::string GetExeDir() const;
    // The server the placeholders and the segment come from; g_DetailInfo's by default.
    void SetServer(const std::string& strServerName, const std::string& strServerIP);

    // initNewCommandMgr, then initOldCommandMgr; true when either succeeded.
    bool initCommandMgr();
    bool initNewCommandMgr();
    bool initOldCommandMgr();
    // Parses one new-format catalogue document (plain text) into the catalogue.
    bool loadNewCommandMgrXml(const std::string& strText);

    // Encrypts the plain document with the built-in key and replaces the local copy atomically.
    void writeEncryptXml(const std::string& strPlain);
    // The decrypted local copy; "" when it cannot be read. Throws std::out_of_range for a length
    // trailer beyond the data (initNewCommandMgr catches it).
    std::string loadEncryptXml();

    // Paths of the files beside the executable.
    std::string GetDescriptorPath() const;
    std::string GetLocalCopyPath() const;

    // The catalogue as the run reads it.
    std::string m_strTargetFile;
    std::vector<NetChkCommand> m_vecCommands;
    std::map<int32_t, std::vector<NetChkCommand>> m_mapGroupedCommands;

private:
    const std::string& ServerName() const;
    const std::string& ServerIP() const;

    std::string m_strExeDir;  // with trailing "/", empty = the executable's directory
    bool m_bServerSet = false;
    std::string m_strServerName;
    std::string m_strServerIP;
};
