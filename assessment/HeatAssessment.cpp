#include "assessment/HeatAssessment.h"

#include "assessment/WorstHour.h"
#include "core/HeatIndex.h"
#include "core/NumberText.h"
#include "core/RecordColumn.h"
#include "recordings/ViewerTable.h"

#include <algorithm>
#include <cmath>

namespace {

bool rowHasText(const ViewerTable::Row &row)
{
    return !row.isBlank();
}

bool measurable(long double value, RecordedUnit unit)
{
    const long double celsius = unit == RecordedUnit::Fahrenheit ? (value - 32.0L) * 5.0L / 9.0L : value;
    return celsius >= LowestMeasurableCelsius && celsius <= HighestMeasurableCelsius;
}

// A temperature cell: nothing when empty, a failure when it holds text that
// does not read or a value no meter measures.
struct Cell {
    bool present = false;
    std::optional<long double> value;
};

Cell readCell(const QString &text, RecordedUnit unit)
{
    Cell c;
    c.present = !text.trimmed().isEmpty();
    if (c.present)
        c.value = textToNumber(text);
    if (c.value && !measurable(*c.value, unit))
        c.value.reset();
    return c;
}

std::optional<double> recordIndex(const ViewerTable::Row &row, AssessedIndex index, RecordedUnit unit)
{
    const Cell wet = readCell(row[RecordColumn::Umi], unit);
    const Cell dry = readCell(row[RecordColumn::Sec], unit);
    const Cell globe = readCell(row[RecordColumn::Glo], unit);
    const bool outdoor = index == AssessedIndex::Outdoor;

    // A needed temperature that is there but unreadable spoils the index text.
    auto spoiled = [](const Cell &c) { return c.present && !c.value; };
    if (spoiled(wet) || spoiled(globe) || (outdoor && spoiled(dry)))
        return std::nullopt;

    const auto text = readCell(row[outdoor ? RecordColumn::IbutgE : RecordColumn::IbutgI], unit);
    if (text.value)
        return static_cast<double>(*text.value);

    if (!wet.value || !globe.value || (outdoor && !dry.value))
        return std::nullopt;
    const long double v =
        outdoor ? outdoorIndex(*wet.value, *globe.value, *dry.value) : indoorIndex(*wet.value, *globe.value);
    if (!measurable(v, unit))
        return std::nullopt;
    return static_cast<double>(v);
}

// Half tenths go up; the nudge absorbs the binary noise of a mean that is a
// half tenth in decimal (27,25 summed and divided may land just below).
// Nothing for a value whose tenths an int cannot hold.
std::optional<int> roundToTenths(double celsius)
{
    const long double tenths = std::floor(static_cast<long double>(celsius) * 10.0L + 0.5L + 1e-9L);
    if (!(std::fabs(tenths) <= 1e9L))
        return std::nullopt;
    return static_cast<int>(tenths);
}

QString wattsText(double w)
{
    return formatGeneral(static_cast<long double>(w)) + QStringLiteral(" W");
}

} // namespace

AssessmentResult assessRecords(std::vector<AssessedRecord> records, const AssessmentOptions &options)
{
    AssessmentResult r;
    r.options = options;
    r.rateW = options.metabolicRateW;
    r.rateOutsideNr15 = !insideNr15Range(options.metabolicRateW);
    r.recordsUsed = int(records.size());

    for (size_t i = 1; i < records.size(); ++i)
        if (records[i].moment < records[i - 1].moment)
            ++r.outOfOrder;
    if (r.outOfOrder)
        std::stable_sort(records.begin(), records.end(),
                         [](const AssessedRecord &a, const AssessedRecord &b) { return a.moment < b.moment; });

    std::vector<IndexSample> samples;
    samples.reserve(records.size());
    const bool fahrenheit = options.unit == RecordedUnit::Fahrenheit;
    for (const auto &rec : records)
        samples.push_back({rec.moment, fahrenheit ? (rec.value - 32.0) * 5.0 / 9.0 : rec.value});

    const WorstWindow w = findWorstWindow(samples);
    r.samplingInterval = w.lastDuration;
    if (w.found) {
        r.windowFound = true;
        r.windowStart = w.start;
        r.windowEnd = w.end;
        r.windowSeconds = w.coveredSeconds;
        r.shorterThanHour = w.shorterThanWindow;
        r.firstRow = records[size_t(w.firstSample)].row;
        r.lastRow = records[size_t(w.lastSample)].row;
        r.mean = w.mean;
        r.meanTenths = roundToTenths(w.mean);
    }

    const bool rateValid = std::isfinite(options.metabolicRateW) && options.metabolicRateW > 0;
    const bool incrementValid = std::isfinite(options.clothingIncrement) && options.clothingIncrement >= 0 &&
                                roundToTenths(options.clothingIncrement);
    if (rateValid)
        r.limitTenths = limitTenths(options.criterion, options.metabolicRateW);
    if (r.windowFound && incrementValid)
        r.assessedTenths = roundToTenths(r.mean + options.clothingIncrement);

    if (!rateValid || !incrementValid)
        r.verdict = Verdict::InvalidInput;
    else if (!r.windowFound || !r.assessedTenths)
        r.verdict = Verdict::NoData;
    else if (r.shorterThanHour)
        r.verdict = Verdict::ShortTest;
    else if (!r.limitTenths)
        r.verdict = Verdict::RateOutsideNr15;
    else {
        r.marginTenths = *r.limitTenths - *r.assessedTenths;
        r.verdict = *r.marginTenths >= 0 ? Verdict::Within : Verdict::Exceeded;
    }
    return r;
}

AssessmentResult assessTest(const ViewerTable &table, const AssessmentOptions &options)
{
    std::vector<AssessedRecord> records;
    records.reserve(size_t(std::max(0, table.rowCount() - 1)));
    int read = 0, badMoment = 0, badValue = 0;
    for (int row = 1; row < table.rowCount(); ++row) {
        const ViewerTable::Row *cells = table.row(row);
        if (!cells || !rowHasText(*cells))
            continue;
        ++read;
        const auto moment = recordMoment((*cells)[RecordColumn::Data], (*cells)[RecordColumn::Hora]);
        if (!moment) {
            ++badMoment;
            continue;
        }
        const auto value = recordIndex(*cells, options.index, options.unit);
        if (!value) {
            ++badValue;
            continue;
        }
        records.push_back({*moment, *value, row});
    }
    AssessmentResult r = assessRecords(std::move(records), options);
    r.recordsRead = read;
    r.leftOutMoment = badMoment;
    r.leftOutValue = badValue;
    return r;
}

QString tenthsText(int tenths)
{
    const int a = std::abs(tenths);
    return QStringLiteral("%1%2,%3 °C").arg(tenths < 0 ? QStringLiteral("-") : QString()).arg(a / 10).arg(a % 10);
}

QString indexName(AssessedIndex index)
{
    return index == AssessedIndex::Outdoor ? QStringLiteral("IBUTGe") : QStringLiteral("IBUTGi");
}

QString verdictText(const AssessmentResult &r)
{
    switch (r.verdict) {
    case Verdict::Within:
        return QStringLiteral("Dentro do limite: %1 de %2 não ultrapassa o limite de %3 (margem de %4).")
            .arg(indexName(r.options.index), tenthsText(*r.assessedTenths), tenthsText(*r.limitTenths),
                 tenthsText(*r.marginTenths));
    case Verdict::Exceeded:
        return QStringLiteral("Acima do limite: %1 de %2 ultrapassa o limite de %3 em %4.")
            .arg(indexName(r.options.index), tenthsText(*r.assessedTenths), tenthsText(*r.limitTenths),
                 tenthsText(-*r.marginTenths));
    case Verdict::RateOutsideNr15:
        return QStringLiteral("Sem conclusão: a taxa metabólica de %1 está fora do Quadro 1 da NR-15 (100 a 606 W).")
            .arg(wattsText(r.rateW));
    case Verdict::InvalidInput:
        if (!(std::isfinite(r.options.metabolicRateW) && r.options.metabolicRateW > 0))
            return QStringLiteral("Sem conclusão: a taxa metabólica deve ser maior que zero.");
        if (std::isfinite(r.options.clothingIncrement) && r.options.clothingIncrement >= 0)
            return QStringLiteral("Sem conclusão: o acréscimo pela vestimenta é grande demais.");
        return QStringLiteral("Sem conclusão: o acréscimo pela vestimenta deve ser zero ou positivo.");
    case Verdict::ShortTest:
        return QStringLiteral("Sem conclusão: o teste cobre só %1 min; a avaliação pede os 60 minutos mais críticos.")
            .arg(r.windowSeconds / 60);
    case Verdict::NoData:
        return QStringLiteral("Sem conclusão: não há registros com data, hora e %1 legíveis.")
            .arg(indexName(r.options.index));
    }
    return {};
}

QString windowText(const AssessmentResult &r)
{
    if (!r.windowFound)
        return {};
    return QStringLiteral("De %1 a %2 (registros das linhas %3 a %4)")
        .arg(recordMomentText(r.windowStart), recordMomentText(r.windowEnd))
        .arg(r.firstRow)
        .arg(r.lastRow);
}

QStringList noteTexts(const AssessmentResult &r)
{
    QStringList notes;
    if (r.shorterThanHour) {
        const int64_t s = r.windowSeconds;
        notes << QStringLiteral("Teste com menos de 60 minutos: média sobre %1 min %2 s.")
                     .arg(s / 60)
                     .arg(s % 60, 2, 10, QLatin1Char('0'));
    }
    const int leftOut = r.leftOutMoment + r.leftOutValue;
    if (leftOut == 1)
        notes << QStringLiteral("1 registro ignorado (data, hora ou valor ilegível).");
    else if (leftOut > 1)
        notes << QStringLiteral("%1 registros ignorados (data, hora ou valor ilegível).").arg(leftOut);
    if (r.outOfOrder > 0)
        notes << QStringLiteral("Registros fora de ordem no tempo: considerados em ordem de data e hora.");
    if (r.rateOutsideNr15 && r.verdict != Verdict::RateOutsideNr15 && r.verdict != Verdict::InvalidInput)
        notes << QStringLiteral("A taxa metabólica de %1 está fora da faixa da NR-15 (100 a 606 W).")
                     .arg(wattsText(r.rateW));
    if (r.options.clothingIncrement > 0 && std::isfinite(r.options.clothingIncrement))
        notes << QStringLiteral("Inclui acréscimo de %1 pela vestimenta.")
                     .arg(formatGeneral(static_cast<long double>(r.options.clothingIncrement)) + QStringLiteral(" °C"));
    return notes;
}
