#pragma once
// A record's moment from the date and time texts the meter sends ("dd/mm/aa"
// and "hh:mm:ss"), as whole seconds counted from 01/01/2000 00:00:00 of the
// meter's own clock. The clock is a wall clock without time zone or summer
// time, so the count is plain calendar arithmetic: a test across midnight, a
// month end or 29 February keeps its true spacing.
//
// Two-digit years are 2000 to 2099 (the meter was made this century and has
// no century digit). A four-digit year is taken as written. Day and month,
// hours, minutes and seconds may have one or two digits; blanks around a text
// are allowed; anything else (a day the month does not have, 24:00:00, letters,
// a missing field) fails.

#include <QString>

#include <cstdint>
#include <optional>

using RecordSeconds = int64_t;

std::optional<RecordSeconds> recordDateSeconds(const QString &date); // midnight of the day
std::optional<int> recordTimeOfDay(const QString &time);             // seconds since midnight
std::optional<RecordSeconds> recordMoment(const QString &date, const QString &time);

// The moment back as "dd/mm/aa hh:mm:ss" (years outside 2000..2099 with four
// digits).
QString recordMomentText(RecordSeconds moment);
