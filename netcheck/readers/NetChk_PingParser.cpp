// The ping summary parser. Windows rules first, byte for byte; the iputils summary only where the
// Windows rules found nothing.
//
// Windows (English / Chinese):
//     Packets: Sent = 4, Received = 4, Lost = 0 (0% loss),
//     Minimum = 10ms, Maximum = 12ms, Average = 11ms
//     数据包: 已发送 = 4，已接收 = 4，丢失 = 0 (0% 丢失)，
//     最短 = 10ms，最长 = 12ms，平均 = 11ms
// iputils:
//     4 packets transmitted, 4 received, 0% packet loss, time 3004ms
//     rtt min/avg/max/mdev = 0.045/0.053/0.068/0.010 ms
#include "netcheck/readers/NetChk_PingParser.h"

#include <cstdlib>
#include <vector>

namespace {

const char kLossMarkEn[] = "% loss),";
const char kLossMarkCn[] = "% 丢失)";
const char kAverageEn[] = "Average =";
const char kAverageCn[] = "平均 =";

bool Contains(const std::string& s, const char* szWhat) { return s.find(szWhat) != std::string::npos; }

bool StartsWith(const std::string& s, const char* szWhat) { return s.compare(0, std::char_traits<char>::length(szWhat), szWhat) == 0; }

// Lines end at each line feed; a carriage return before it stays in the line.
std::vector<std::string> SplitLines(const std::string& strText) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t lf = strText.find('\n', start);
        if (lf == std::string::npos) {
            lines.push_back(strText.substr(start));
            return lines;
        }
        lines.push_back(strText.substr(start, lf - start));
        start = lf + 1;
    }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// iputils: "..., 25% packet loss, ..." -> the number right before the percent sign, whole percent.
bool ParsePacketLoss(const std::string& line, int32_t& nLoss, std::string& strText) {
    size_t mark = line.find("% packet loss");
    if (mark == std::string::npos) return false;
    size_t begin = mark;
    while (begin > 0 && (IsDigit(line[begin - 1]) || line[begin - 1] == '.')) --begin;
    if (begin == mark) return false;
    strText = line.substr(begin, mark - begin);
    nLoss = std::atoi(strText.c_str());
    return true;
}

// iputils: "rtt min/avg/max/mdev = 0.045/0.053/0.068/0.010 ms" -> the avg field rounded, halves up.
bool ParseRttAverage(const std::string& line, int32_t& nLag, std::string& strText) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    size_t first = line.find('/', eq);
    if (first == std::string::npos) return false;
    size_t second = line.find('/', first + 1);
    if (second == std::string::npos) second = line.size();
    std::string field = line.substr(first + 1, second - first - 1);
    size_t p = 0;
    while (p < field.size() && field[p] == ' ') ++p;
    if (p >= field.size() || !IsDigit(field[p])) return false;
    int64_t whole = 0;
    while (p < field.size() && IsDigit(field[p])) {
        whole = whole * 10 + (field[p] - '0');
        if (whole > 0x7FFFFFFE) return false;
        ++p;
    }
    // Decimal text rounds exactly: the first fraction digit decides.
    if (p + 1 < field.size() && field[p] == '.' && IsDigit(field[p + 1]) && field[p + 1] >= '5') ++whole;
    nLag = static_cast<int32_t>(whole);
    strText = field;
    return true;
}

}  // namespace

NetChk_PingFigures NetChk_ParsePingText(const std::string& strOutput) {
    NetChk_PingFigures figures;
    const std::vector<std::string> lines = SplitLines(strOutput);

    const std::string* pLossLine = nullptr;
    size_t nLossPos = 0;
    const std::string* pAverageLine = nullptr;
    size_t nAveragePos = 0;
    for (const std::string& line : lines) {
        size_t pos = line.find(kLossMarkEn);
        if (pos == std::string::npos) pos = line.find(kLossMarkCn);
        if (pos != std::string::npos) {
            pLossLine = &line;
            nLossPos = pos;
        }
        size_t last = line.find_last_of("= ");
        if (last != std::string::npos) {
            pAverageLine = &line;
            nAveragePos = last;
        }
    }

    if (pLossLine) {
        std::string before = pLossLine->substr(0, nLossPos);
        size_t paren = before.rfind('(');
        figures.strLossText = paren == std::string::npos ? before : before.substr(paren + 1);
        figures.nLoss = std::atoi(figures.strLossText.c_str());
    } else {
        for (const std::string& line : lines) {
            int32_t nLoss = 100;
            std::string text;
            if (Contains(line, "packets transmitted") && ParsePacketLoss(line, nLoss, text)) {
                figures.nLoss = nLoss;
                figures.strLossText = text;
            }
        }
    }

    if (pAverageLine && (Contains(*pAverageLine, kAverageEn) || Contains(*pAverageLine, kAverageCn))) {
        std::string after = pAverageLine->substr(nAveragePos + 1);
        size_t ms = after.find("ms");
        figures.strLagText = ms == std::string::npos ? after : after.substr(0, ms);
        figures.nLag = std::atoi(figures.strLagText.c_str());
    } else {
        for (const std::string& line : lines) {
            int32_t nLag = -1;
            std::string text;
            if ((StartsWith(line, "rtt ") || StartsWith(line, "round-trip ")) && Contains(line, "min/avg/") &&
                ParseRttAverage(line, nLag, text)) {
                figures.nLag = nLag;
                figures.strLagText = text;
            }
        }
    }
    return figures;
}
