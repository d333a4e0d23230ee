#include "assessment/AssessmentChoices.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

const QString Index = QStringLiteral("indice"), Criterion = QStringLiteral("criterio"),
              Class = QStringLiteral("classe"), Rate = QStringLiteral("taxa"), Clothing = QStringLiteral("vestimenta"),
              Unit = QStringLiteral("unidade");

QString criterionKey(LimitCriterion c)
{
    switch (c) {
    case LimitCriterion::Nr15: return QStringLiteral("NR-15");
    case LimitCriterion::Iso7243Acclimatised: return QStringLiteral("ISO7243-aclimatizado");
    case LimitCriterion::Iso7243NonAcclimatised: return QStringLiteral("ISO7243-nao-aclimatizado");
    }
    return {};
}

} // namespace

QString assessmentChoicesText(const AssessmentChoices &choices)
{
    const AssessmentOptions &o = choices.options;
    QJsonObject json{
        {Index, o.index == AssessedIndex::Outdoor ? QStringLiteral("IBUTGe") : QStringLiteral("IBUTGi")},
        {Criterion, criterionKey(o.criterion)},
        {Rate, o.metabolicRateW},
        {Clothing, o.clothingIncrement},
        {Unit, o.unit == RecordedUnit::Fahrenheit ? QStringLiteral("F") : QStringLiteral("C")},
    };
    if (choices.metabolicClass)
        json.insert(Class, int(*choices.metabolicClass));
    return QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact));
}

std::optional<AssessmentChoices> readAssessmentChoices(const QString &text)
{
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject json = doc.object();
    AssessmentChoices c;
    AssessmentOptions &o = c.options;
    o.index = json.value(Index).toString() == QLatin1String("IBUTGe") ? AssessedIndex::Outdoor : AssessedIndex::Indoor;
    for (LimitCriterion criterion :
         {LimitCriterion::Nr15, LimitCriterion::Iso7243Acclimatised, LimitCriterion::Iso7243NonAcclimatised})
        if (json.value(Criterion).toString() == criterionKey(criterion))
            o.criterion = criterion;
    o.unit = json.value(Unit).toString() == QLatin1String("F") ? RecordedUnit::Fahrenheit : RecordedUnit::Celsius;
    const int cls = json.value(Class).toInt(-1);
    if (cls >= int(MetabolicClass::Resting) && cls <= int(MetabolicClass::VeryHigh)) {
        c.metabolicClass = MetabolicClass(cls);
        o.metabolicRateW = metabolicRate(*c.metabolicClass);
    } else {
        c.metabolicClass.reset();
        const double rate = json.value(Rate).toDouble(o.metabolicRateW);
        if (std::isfinite(rate) && rate > 0)
            o.metabolicRateW = rate;
    }
    const double clothing = json.value(Clothing).toDouble(0);
    if (std::isfinite(clothing) && clothing >= 0)
        o.clothingIncrement = clothing;
    return c;
}
