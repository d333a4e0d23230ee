#pragma once
// Heat-stress assessment of one test in the viewer's table: the worst
// continuous hour of the chosen index, plus the clothing increment, against
// the limit for the worker's metabolic rate. No widgets; the viewer's
// "Avaliação" page and the printed page show what assessTest returns.
//
// Reading the table (rows 1 .. rowCount()-1; rows without any text are not
// records and are skipped):
// - the moment comes from "Data" and "Hora" (see RecordTime.h); a record whose
//   date or time does not read is left out and counted;
// - the index is the text of "IBUTGi" or "IBUTGe", which is what the operator
//   sees and what the file and the report carry. When that text is empty or
//   does not read, the index is computed again from the temperatures it is made
//   of, if they read. A record whose needed temperature holds text that does
//   not read is left out even if the index text reads: when a temperature of a
//   downloaded record fails to convert, the meter link fills the index with the
//   previous record's value, so that text cannot be trusted;
// - records are taken in time order. Rows out of time order (the meter's clock
//   set back during a test) are sorted in and counted, so the page can say so.
//
// Values are converted to °C when the test was recorded in °F (the table holds
// the meter's unit and does not say which; the caller knows it). A temperature
// or index outside what any meter measures (below -100 °C or above 200 °C, a
// damaged file or line: 1E308) counts like text that does not read.
//
// A test that covers less than the hour gives no verdict: its mean is not that
// of the 60 most critical minutes, so it could hide them (ShortTest).
//
// The verdict compares the worst hour's mean plus the clothing increment,
// rounded to 0,1 °C like the limit and the meter's readings, with the limit;
// a value equal to the limit is within it. The margin is limit minus that
// value, exact in tenths.

#include "assessment/HeatLimits.h"
#include "assessment/RecordTime.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class ViewerTable;

inline constexpr double LowestMeasurableCelsius = -100;
inline constexpr double HighestMeasurableCelsius = 200;

enum class AssessedIndex {
    Indoor,  // IBUTGi: indoors, or outdoors without direct sun
    Outdoor, // IBUTGe: outdoors with direct sun
};

enum class RecordedUnit { Celsius, Fahrenheit };

struct AssessmentOptions {
    AssessedIndex index = AssessedIndex::Indoor;
    LimitCriterion criterion = LimitCriterion::Nr15;
    double metabolicRateW = 300;  // set directly or with metabolicRate(MetabolicClass)
    double clothingIncrement = 0; // °C, added to the mean; finite and not below 0
    RecordedUnit unit = RecordedUnit::Celsius;
};

enum class Verdict {
    Within,          // mean + increment <= limit
    Exceeded,        // mean + increment > limit
    RateOutsideNr15, // NR-15 chosen and M outside 100..606 W: no limit, no verdict
    InvalidInput,    // M not a number above 0, or the increment not finite, below 0 or absurdly large
    NoData,          // no record with a readable moment and index, or no time covered
    ShortTest,       // the records cover less than 60 minutes: a mean, no verdict
};

struct AssessmentResult {
    AssessmentOptions options;

    // Records.
    int recordsRead = 0; // rows holding any text
    int recordsUsed = 0;
    int leftOutMoment = 0;        // date or time did not read
    int leftOutValue = 0;         // index did not read and could not be computed
    int outOfOrder = 0;           // rows earlier than the row before them (sorted in)
    int64_t samplingInterval = 0; // s, the time the last record counts for

    // The worst hour.
    bool windowFound = false;
    RecordSeconds windowStart = 0;
    RecordSeconds windowEnd = 0;
    int64_t windowSeconds = 0; // 3600, or less when the test is shorter
    bool shorterThanHour = false;
    int firstRow = -1; // table rows of the records at the window's ends
    int lastRow = -1;
    double mean = 0;               // °C, time-weighted, unrounded
    std::optional<int> meanTenths; // the mean rounded to 0,1 °C, for display

    // The limit and the verdict.
    double rateW = 0;
    bool rateOutsideNr15 = false;      // M outside NR-15's 100..606 W (told for every criterion)
    std::optional<int> limitTenths;    // °C × 10
    std::optional<int> assessedTenths; // round(mean + increment) in °C × 10
    std::optional<int> marginTenths;   // limit - assessed; negative when exceeded
    Verdict verdict = Verdict::NoData;
};

AssessmentResult assessTest(const ViewerTable &table, const AssessmentOptions &options);

// The same from records already read (moment, index in the recorded unit,
// table row), in row order; the counts of records left out are the caller's.
struct AssessedRecord {
    RecordSeconds moment = 0;
    double value = 0;
    int row = 0;
};
AssessmentResult assessRecords(std::vector<AssessedRecord> records, const AssessmentOptions &options);

// Texts for the page and the printed page, in Portuguese with the decimal
// comma.
QString tenthsText(int tenths);                   // "27,7 °C", "-0,3 °C"
QString indexName(AssessedIndex index);           // "IBUTGi", "IBUTGe"
QString verdictText(const AssessmentResult &r);   // one sentence
QString windowText(const AssessmentResult &r);    // "De 31/01/26 23:45:00 a 01/02/26 00:45:00 (registros 16 a 75)"
QStringList noteTexts(const AssessmentResult &r); // short test, records left out, out of order, range
