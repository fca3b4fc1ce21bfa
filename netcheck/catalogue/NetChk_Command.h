// NetChkCommand: one entry of the check catalogue, copied by value into the catalogue's lists.
#pragma once

#include <cstdint>
#include <string>

struct NetChkCommand {
    // 4 and 5 name the two command groups; the run controller decides what the other types do.
    int32_t m_nType = 0;
    // The command line as the runner gets it, placeholders already replaced (GBK bytes).
    std::string m_strContent;
    // What the step shows while the command runs: the "tips" attribute or the old table's description.
    std::string m_strDesc;
    // The line names the server's address ("#IP#") but the address given is no dotted IPv4 address: the
    // placeholder stays unreplaced and the command is never run.
    bool m_bAddressRefused = false;
};
