#pragma once
// Limits of the wet-bulb globe temperature for a metabolic rate, as the
// heat-stress rules give them:
//
// - NR-15 Anexo 3 (2019), Quadro 1, and ISO 7243:2017 for acclimatised
//   workers: IBUTG_max = 56,7 - 11,5 * log10(M);
// - ISO 7243:2017 for workers not acclimatised: 59,9 - 14,1 * log10(M);
//
// M in watts, the limit in °C rounded to 0,1 °C. NR-15's table covers 100 to
// 606 W only; outside it NR-15 gives no limit and no verdict may be drawn.
//
// Limits are held as whole tenths of a degree so that comparisons and texts
// are exact; the rounding is done once, on the value in tenths, in extended
// precision. No integer rate from 100 to 606 W lies near a half tenth (a test
// checks the gap), so every row of the table comes out as printed.

#include <QString>

#include <optional>

enum class LimitCriterion {
    Nr15,                   // NR-15 Anexo 3 Quadro 1: acclimatised, 100..606 W only
    Iso7243Acclimatised,    // the same formula, any rate above 0
    Iso7243NonAcclimatised, // 59,9 - 14,1 log10 M
};

// ISO 7243 metabolic rate classes with their representative rates.
enum class MetabolicClass {
    Resting = 0,  // 115 W
    Low = 1,      // 180 W
    Moderate = 2, // 300 W
    High = 3,     // 415 W
    VeryHigh = 4, // 520 W
};

constexpr double Nr15MinimumRate = 100; // W, first row of Quadro 1
constexpr double Nr15MaximumRate = 606; // W, last row

double metabolicRate(MetabolicClass c);

// "Repouso", "Leve", "Moderada", "Alta", "Muito alta".
QString metabolicClassName(MetabolicClass c);

// "NR-15 Anexo 3 (aclimatizado)", "ISO 7243 (aclimatizado)",
// "ISO 7243 (não aclimatizado)".
QString criterionName(LimitCriterion c);

// True for a finite rate inside NR-15's table, ends included.
bool insideNr15Range(double watts);

// The limit in tenths of °C (337 for 33,7 °C), or nothing when the criterion
// gives none for this rate: a rate that is not a finite number above 0, or for
// Nr15 a rate outside 100..606 W.
std::optional<int> limitTenths(LimitCriterion c, double watts);

// The unrounded formula value in °C, for a rate above 0 (no range check).
long double limitFormula(LimitCriterion c, double watts);
