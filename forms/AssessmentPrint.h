#pragma once
// The heat-stress assessment as the operator reads it: the lines naming the
// choices, the formulas with the numbers filled in, the result, and the one A4
// page "Imprimir avaliação" prints (header fields, choices, formulas, result,
// and the viewer's chart with the worst hour shaded).
//
// The texts need only Qt Core; the page painter needs a QPrinter and the
// chart's scene. printAssessment throws std::runtime_error when the printer
// cannot be painted on (a PDF file that cannot be written, a printer that
// refuses the job); the caller hands that to the default error report.

#include "assessment/HeatAssessment.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <utility>
#include <vector>

class QChart;
class QPrinter;

// "NR-15 Anexo 3 (Portaria 1.359/2019), Quadro 1 – aclimatizado",
// "ISO 7243:2017 – aclimatizado", "ISO 7243:2017 – não aclimatizado".
QString criterionSourceText(LimitCriterion c);

// The metabolic rate as chosen: "classe 2 – Moderada (300 W)" or "350 W".
QString rateChoiceText(double watts, std::optional<MetabolicClass> chosenClass);

// Label and value of each choice, in the page's order.
std::vector<std::pair<QString, QString>> choiceLines(const AssessmentOptions &o,
                                                     std::optional<MetabolicClass> chosenClass);

// The formulas with the numbers filled in:
//   "IBUTG_max = 56,7 − 11,5·log₁₀(300) = 28,2 °C"
//   "IBUTGi médio = Σ(IBUTGi·Δt) / 3600 s = 29,5 °C"
//   "IBUTGi médio + acréscimo = 29,5 °C + 2 °C = 31,5 °C"
//   "margem = 28,2 °C − 31,5 °C = −3,3 °C"
// Only the lines the result has numbers for.
QString limitFormulaText(const AssessmentResult &r);
QStringList formulaLines(const AssessmentResult &r);

// "180 usados, 2 deixados de fora"
QString recordCountsText(const AssessmentResult &r);
// What follows the mean of a test shorter than an hour (" – média de só 25
// min, não de uma hora"), so the mean is never read as the worst hour's; empty
// otherwise.
QString shortMeanMark(const AssessmentResult &r);

// Label and value of each result line: the window's start and end, the
// records, the mean, the limit, the margin and the verdict.
std::vector<std::pair<QString, QString>> resultLines(const AssessmentResult &r);

struct AssessmentPrintContent {
    std::array<QString, 4> headerFields; // "Nome", "Setor", "Empresa", "Observações"
    AssessmentResult result;
    std::optional<MetabolicClass> chosenClass;
};

// One A4 page on printer; chart (may be null) is drawn into the space left
// below the texts at the proportions it has on screen.
void printAssessment(QPrinter &printer, const AssessmentPrintContent &content, QChart *chart);
