#pragma once
// The requests the meter understands. A request is one line from the client,
// "@", a command letter, its arguments, CR LF; parseRequest reads the line
// without its line end.

#include <optional>
#include <string_view>

enum class Command {
    Live,          // "@M"
    Maxima,        // "@G"
    Minima,        // "@B"
    TestCount,     // "@T"
    RecordCount,   // "@R" n: also selects test n
    SelectTest,    // "@t" n
    SelectRecord,  // "@r" n
    Record,        // "@A": the selected record
    Memory,        // "@F"
    Interval,      // "@I"
    IntervalTotal, // "@u"
    SetInterval,   // "@i0+" v (seconds) / "@i1+" v (minutes)
    SetClock,      // "@H" hhnnssddmmyy
    SetUnit,       // "@U0" Celsius / "@U1" Fahrenheit
    Erase,         // "@X"
    ZeroOffsets,   // "@Z": all channels
    ZeroOffset,    // "@z" 1..3
    AdjustOffset,  // "@c" 1..3 ">" 8 hex digits of an IEEE single
};

struct ClockSetting {
    int hour = 0, minute = 0, second = 0, day = 1, month = 1, year = 0; // year: two digits
};

struct Request {
    Command command = Command::Live;
    int number = 0;      // test, record, channel, unit, interval value
    int unit = 0;        // SetInterval: 0 seconds, 1 minutes
    float offset = 0.0f; // AdjustOffset
    ClockSetting clock;  // SetClock
};

// Nothing for a line that is not a request the meter knows, or whose
// arguments are malformed or out of range: the meter does not answer those.
std::optional<Request> parseRequest(std::string_view line);
