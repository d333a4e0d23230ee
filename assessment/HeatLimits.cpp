#include "assessment/HeatLimits.h"

#include <cmath>

double metabolicRate(MetabolicClass c)
{
    switch (c) {
    case MetabolicClass::Resting: return 115;
    case MetabolicClass::Low: return 180;
    case MetabolicClass::Moderate: return 300;
    case MetabolicClass::High: return 415;
    case MetabolicClass::VeryHigh: return 520;
    }
    return 0;
}

QString metabolicClassName(MetabolicClass c)
{
    switch (c) {
    case MetabolicClass::Resting: return QStringLiteral("Repouso");
    case MetabolicClass::Low: return QStringLiteral("Leve");
    case MetabolicClass::Moderate: return QStringLiteral("Moderada");
    case MetabolicClass::High: return QStringLiteral("Alta");
    case MetabolicClass::VeryHigh: return QStringLiteral("Muito alta");
    }
    return {};
}

QString criterionName(LimitCriterion c)
{
    switch (c) {
    case LimitCriterion::Nr15: return QStringLiteral("NR-15 Anexo 3 (aclimatizado)");
    case LimitCriterion::Iso7243Acclimatised: return QStringLiteral("ISO 7243 (aclimatizado)");
    case LimitCriterion::Iso7243NonAcclimatised: return QStringLiteral("ISO 7243 (não aclimatizado)");
    }
    return {};
}

bool insideNr15Range(double watts)
{
    return std::isfinite(watts) && watts >= Nr15MinimumRate && watts <= Nr15MaximumRate;
}

namespace {

// The formula in tenths of a degree: 567 - 115 log10 M and 599 - 141 log10 M.
// The constants are whole numbers, so the only rounding before the final one
// is that of the logarithm and of one product.
long double tenthsFormula(LimitCriterion c, double watts)
{
    const long double lg = std::log10(static_cast<long double>(watts));
    if (c == LimitCriterion::Iso7243NonAcclimatised)
        return 599.0L - 141.0L * lg;
    return 567.0L - 115.0L * lg;
}

} // namespace

long double limitFormula(LimitCriterion c, double watts)
{
    return tenthsFormula(c, watts) / 10.0L;
}

std::optional<int> limitTenths(LimitCriterion c, double watts)
{
    if (!std::isfinite(watts) || watts <= 0)
        return std::nullopt;
    if (c == LimitCriterion::Nr15 && !insideNr15Range(watts))
        return std::nullopt;
    const long double t = tenthsFormula(c, watts);
    // Half tenths round up (towards the warmer limit), as the table does.
    const long double r = std::floor(t + 0.5L);
    if (!std::isfinite(static_cast<double>(r)) || std::fabs(r) > 1e6L)
        return std::nullopt;
    return static_cast<int>(r);
}
