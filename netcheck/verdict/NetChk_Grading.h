// Grading of latency and loss figures against the bounds of NetJudged.csv, and the rules that combine
// grades into the verdict and pick the advice. Grades: 0 good, 1 common, 2 bad.
#pragma once

#include <cstdint>
#include <string>

class CNetChk_UtilResMgr;

// Grades one figure: up to bounds[0] good; above bounds[1] bad (reported as an overflow when bounds[2]
// is not 0 and the figure exceeds it); otherwise common. The text is the string table's text for the
// grade ("" without a table). Comparisons are signed and the good test comes first.
void GradeLagLoss(int32_t nValue, std::string& strText, const int32_t nBounds[3], int32_t& nGrade,
                  const CNetChk_UtilResMgr* pResMgr);

// The network grade of a latency grade and a loss grade: a bad latency with good loss is common.
int32_t CombineGrades(int32_t nLagGrade, int32_t nLossGrade);

// A grouped run's outcome code as a grade: 0 -> 0, 1 and 2 -> 1, anything else -> 2.
int32_t OutcomeToGrade(int32_t nOutcome);

// The advice index of an ordered run: grade 0 -> 0, 1 -> 2, anything else -> 3.
int32_t AdviceIndexForGrade(int32_t nGrade);
