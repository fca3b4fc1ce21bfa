// The figures a report carries: each ping command's output found in CheckContent, with loss and average
// from the program's own ping parser and minimum, maximum and jitter from the per-reply lines.
#pragma once

#include "server/store/NcStore.h"

#include <string>
#include <vector>

// strCheckContent is the decoded form field (UTF-8, lines joined with "@@@"). One entry per ping
// output, in report order; outputs of other commands give none.
std::vector<NcTargetFigures> NcExtractFigures(const std::string& strCheckContent);

// The verdict the client put in front of its report: the first "网络质量: " line, 良好 → 0, 一般 → 1,
// 较差 → 2; -1 when the content has none.
int32_t NcExtractVerdict(const std::string& strCheckContent);
