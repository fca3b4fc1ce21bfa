// Ping outputs inside a report. The report text is the outputs of the check's commands one after the
// other, so a ping output runs from its header line ("Pinging X with ...", "正在 Ping X 具有 ...",
// "PING X (...)") to the end of its summary (or the next header, or the end of the text). The program's
// parser reads GBK text, so each output goes back to GBK before it sees it.
#include "server/NcServer_Figures.h"

#include "KX_Platform/KXPlatform_Encoding.h"
#include "netcheck/readers/NetChk_PingParser.h"

#include <cmath>
#include <cstring>
#include <cstdlib>

namespace {

std::vector<std::string> SplitReportLines(const std::string& strContent) {
    std::vector<std::string> lines;
    size_t uStart = 0;
    while (uStart < strContent.size()) {
        size_t uEnd = strContent.find("@@@", uStart);
        if (uEnd == std::string::npos) uEnd = strContent.size();
        std::string line = strContent.substr(uStart, uEnd - uStart);
        // The client sends every white-space byte as "+": a Windows line end arrives as a trailing space,
        // which would hide the average from the parser.
        while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
        lines.push_back(std::move(line));
        uStart = uEnd + 3;
    }
    return lines;
}

bool StartsWith(const std::string& s, const char* szWhat) {
    return s.compare(0, std::char_traits<char>::length(szWhat), szWhat) == 0;
}

// The word after szPrefix up to the next blank: the target a header line names; "" when the line is
// not a header.
std::string HeaderTarget(const std::string& line) {
    static const char* const kHeaders[] = {"Pinging ", "正在 Ping ", "PING "};
    for (const char* szHeader : kHeaders) {
        if (!StartsWith(line, szHeader)) continue;
        const size_t uStart = std::char_traits<char>::length(szHeader);
        size_t uEnd = line.find(' ', uStart);
        if (uEnd == std::string::npos) uEnd = line.size();
        if (uEnd > uStart) return line.substr(uStart, uEnd - uStart);
    }
    return std::string();
}

// The round-trip time of one reply line in milliseconds; false when the line is not a reply.
// "time=12ms", "time<1ms" (read as 0), "时间=12ms", iputils "time=0.045 ms".
bool ReplyTime(const std::string& line, double* pMs) {
    const bool bWindows = StartsWith(line, "Reply from ") || (StartsWith(line, "来自 ") && line.find("的回复") != std::string::npos);
    const bool bIputils = line.find(" bytes from ") != std::string::npos;
    if (!bWindows && !bIputils) return false;
    static const char* const kMarks[] = {"time=", "time<", "时间=", "时间<"};
    for (const char* szMark : kMarks) {
        const size_t uPos = line.find(szMark);
        if (uPos == std::string::npos) continue;
        const size_t uLen = std::char_traits<char>::length(szMark);
        if (szMark[uLen - 1] == '<') {
            *pMs = 0;
            return true;
        }
        const char* p = line.c_str() + uPos + uLen;
        if (*p < '0' || *p > '9') return false;
        char* pEnd = nullptr;
        const double d = std::strtod(p, &pEnd);
        if (pEnd == p || !std::isfinite(d) || d < 0 || d > 1e7) return false;
        *pMs = d;
        return true;
    }
    return false;
}

bool IsStatisticsLine(const std::string& line) {
    return StartsWith(line, "Ping statistics for ") || line.find("的 Ping 统计信息") != std::string::npos ||
           (StartsWith(line, "--- ") && line.find(" ping statistics ---") != std::string::npos);
}

int32_t RoundMs(double d) { return static_cast<int32_t>(std::lround(d)); }

NcTargetFigures FiguresOf(const std::string& strTarget, const std::vector<std::string>& lines, size_t uBegin, size_t uEnd) {
    NcTargetFigures figures;
    figures.strTarget = strTarget;
    std::string strOutput;
    std::vector<double> vecTimes;
    for (size_t i = uBegin; i < uEnd; ++i) {
        strOutput += lines[i];
        strOutput += '\n';
        double dMs = 0;
        if (ReplyTime(lines[i], &dMs)) vecTimes.push_back(dMs);
    }
    const NetChk_PingFigures parsed = NetChk_ParsePingText(KXPlatform::Utf8ToGbk(strOutput));
    figures.nLoss = parsed.nLoss;
    figures.nAvgMs = parsed.nLag;
    figures.nReplies = static_cast<int32_t>(vecTimes.size());
    if (!vecTimes.empty()) {
        double dMin = vecTimes[0];
        double dMax = vecTimes[0];
        for (double d : vecTimes) {
            if (d < dMin) dMin = d;
            if (d > dMax) dMax = d;
        }
        figures.nMinMs = RoundMs(dMin);
        figures.nMaxMs = RoundMs(dMax);
    }
    if (vecTimes.size() >= 2) {
        double dSum = 0;
        for (size_t i = 1; i < vecTimes.size(); ++i) dSum += std::fabs(vecTimes[i] - vecTimes[i - 1]);
        figures.dJitterMs = dSum / static_cast<double>(vecTimes.size() - 1);
    }
    return figures;
}

}  // namespace

std::vector<NcTargetFigures> NcExtractFigures(const std::string& strCheckContent) {
    const std::vector<std::string> lines = SplitReportLines(strCheckContent);
    std::vector<NcTargetFigures> result;
    size_t i = 0;
    while (i < lines.size()) {
        const std::string strTarget = HeaderTarget(lines[i]);
        if (strTarget.empty()) {
            ++i;
            continue;
        }
        // The output ends at the next header, or with the summary: at most four lines after the
        // statistics line, cut short by an empty line, so the command after it stays out.
        const size_t uBegin = i++;
        size_t uStats = lines.size();
        while (i < lines.size() && HeaderTarget(lines[i]).empty()) {
            if (uStats < lines.size() && (lines[i].empty() || i > uStats + 3)) break;
            if (uStats == lines.size() && IsStatisticsLine(lines[i])) uStats = i;
            ++i;
        }
        result.push_back(FiguresOf(strTarget, lines, uBegin, i));
    }
    return result;
}

int32_t NcExtractVerdict(const std::string& strCheckContent) {
    static const std::string kLead = "网络质量: ";
    static const char* const kWords[] = {"良好", "一般", "较差"};
    size_t uPos = 0;
    while ((uPos = strCheckContent.find(kLead, uPos)) != std::string::npos) {
        // Only at the start of a line: the content's lines are joined by "@@@".
        const bool bLineStart = uPos == 0 || (uPos >= 3 && strCheckContent.compare(uPos - 3, 3, "@@@") == 0) ||
                                strCheckContent[uPos - 1] == '\n';
        if (bLineStart) {
            const size_t uWord = uPos + kLead.size();
            for (int32_t n = 0; n < 3; ++n) {
                if (strCheckContent.compare(uWord, std::strlen(kWords[n]), kWords[n]) == 0) return n;
            }
        }
        uPos += kLead.size();
    }
    return -1;
}
