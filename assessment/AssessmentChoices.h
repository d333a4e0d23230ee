#pragma once
// The choices of the "Avaliação" page as a text the test library keeps with
// a test (JSON), so that a test opened again is assessed as it was:
//   {"indice":"IBUTGi","criterio":"NR-15","classe":2,"taxa":300,"vestimenta":0.5,"unidade":"C"}
// "classe" is absent when the rate was typed ("Outra taxa (W)"). Reading
// takes what it can use: a missing, unknown or out-of-range value keeps the
// default, and a text that is no JSON object gives nothing.

#include "assessment/HeatAssessment.h"

#include <QString>

#include <optional>

struct AssessmentChoices {
    AssessmentOptions options;
    std::optional<MetabolicClass> metabolicClass = MetabolicClass::Moderate;
};

QString assessmentChoicesText(const AssessmentChoices &choices);
std::optional<AssessmentChoices> readAssessmentChoices(const QString &text);
