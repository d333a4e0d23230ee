#pragma once
// What the library shows of a test's records without reading them: how many
// there are, the first and last record's moment, and the sampling interval
// (the median gap between consecutive records whose moment reads, so that a
// pause or a clock step does not change it). Fed row by row as records are
// kept; holds one gap per record (4 bytes) for the median.
//
// A record's moment is its "Data" (dd/mm/aa, or a four-digit year) and "Hora"
// (hh:mm:ss) as seconds since 01/01/2000 00:00:00 of the meter's clock, a wall
// clock without time zone.

#include "recordings/library/LibraryTypes.h"

#include <QStringView>

#include <optional>
#include <vector>

std::optional<qint64> recordRowMoment(QStringView date, QStringView time);
// The moment as "dd/mm/aaaa hh:mm".
QString momentText(qint64 moment);

class RecordSummary {
public:
    // A row whose texts are all blank is not a record and is not counted.
    void add(const RecordRow &row);

    int count() const { return records; }
    std::optional<qint64> first() const { return firstMoment; }
    std::optional<qint64> last() const { return lastMoment; }
    std::optional<int> interval() const;

private:
    int records = 0;
    std::optional<qint64> firstMoment;
    std::optional<qint64> lastMoment;
    std::vector<int> gaps;
};
