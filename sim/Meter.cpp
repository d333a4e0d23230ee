#include "Meter.h"

#include "Frames.h"

#include <cstdio>

namespace {

std::string clockText(const ClockSetting &c)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d %02d/%02d/%02d", c.hour, c.minute, c.second, c.day, c.month,
                  c.year);
    return text;
}

} // namespace

Meter::Meter(MeterSetup setup, Random &random)
    : sensors(setup.centres, setup.drift, random)
    , fahrenheit(setup.fahrenheit)
    , intervalUnit(setup.intervalUnit)
    , interval(setup.interval)
    , memoryCapacity(setup.memoryCapacity)
    , tests(std::move(setup.tests))
    , testCountText(std::move(setup.testCountText))
    , recordCountText(std::move(setup.recordCountText))
{
}

int Meter::storedRecords() const
{
    int total = 0;
    for (const StoredTest &t : tests)
        total += int(t.size());
    return total;
}

std::string Meter::describe() const
{
    std::string text = std::to_string(tests.size()) + " stored tests (";
    for (size_t i = 0; i < tests.size(); ++i)
        text += (i ? "," : "") + std::to_string(tests[i].size());
    text += " records), memory " + std::to_string(storedRecords()) + "/" + std::to_string(memoryCapacity);
    text += ", unit " + std::string(fahrenheit ? "F" : "C");
    text += ", interval " + std::to_string(interval) + (intervalUnit ? " min" : " s");
    return text;
}

std::string Meter::readingsReply(char letter, const Readings &celsius) const
{
    return readingsFrame(letter, celsius, fahrenheit);
}

std::optional<std::string> Meter::recordReply()
{
    const bool valid = selectedTest >= 0 && size_t(selectedTest) < tests.size() && selectedRecord >= 0 &&
                       size_t(selectedRecord) < tests[size_t(selectedTest)].size();
    if (!valid) {
        note = "no stored record selected";
        return std::nullopt;
    }
    return recordFrame(selectedTest + 1, tests[size_t(selectedTest)][size_t(selectedRecord)], fahrenheit);
}

std::optional<std::string> Meter::answer(const Request &request)
{
    note.clear();
    const int n = request.number;
    switch (request.command) {
    case Command::Live: return readingsReply('W', sensors.read());
    case Command::Maxima: return readingsReply('G', sensors.maxima());
    case Command::Minima: return readingsReply('B', sensors.minima());
    case Command::TestCount: return plainFrame('T', testCountText ? *testCountText : std::to_string(tests.size()));
    case Command::RecordCount: {
        // A test that is not stored has no records; it still becomes the
        // selection, so that a record asked for from it gets no answer.
        selectedTest = n;
        const bool stored = size_t(n) < tests.size();
        if (recordCountText)
            return plainFrame('R', *recordCountText);
        return plainFrame('R', std::to_string(stored ? tests[size_t(n)].size() : 0));
    }
    case Command::SelectTest: selectedTest = n; return plainFrame('t', std::to_string(n));
    case Command::SelectRecord: selectedRecord = n; return plainFrame('r', std::to_string(n));
    case Command::Record: return recordReply();
    case Command::Memory: return memoryFrame(memoryCapacity, memoryCapacity - storedRecords());
    case Command::Interval: return plainFrame('I', std::to_string(intervalUnit) + "+" + std::to_string(interval));
    case Command::IntervalTotal: return plainFrame('u', std::to_string(interval * (intervalUnit ? 60 : 1)));
    case Command::SetInterval:
        intervalUnit = request.unit;
        interval = n;
        note = "interval set to " + std::to_string(n) + (intervalUnit ? " min" : " s");
        return plainFrame('i', std::to_string(intervalUnit) + "+" + std::to_string(interval));
    case Command::SetClock:
        clock = request.clock;
        note = "clock set to " + clockText(*clock);
        return plainFrame('H', clockText(*clock));
    case Command::SetUnit: fahrenheit = n == 1; return plainFrame('U', std::to_string(n));
    case Command::Erase:
        tests.clear();
        selectedTest = selectedRecord = -1;
        note = "memory erased";
        return plainFrame('X', "OK");
    case Command::ZeroOffsets: sensors.zeroOffsets(); return plainFrame('Z', "");
    case Command::ZeroOffset: sensors.zeroOffset(n); return plainFrame('z', std::to_string(n));
    case Command::AdjustOffset: {
        // The client computes the correction as reference minus the reading
        // shown, so it adds to the offset already in place, in the unit shown.
        const double celsius = fahrenheit ? toCelsiusDifference(request.offset) : double(request.offset);
        sensors.addOffset(n, celsius);
        note = "offset " + std::to_string(n) + " += " + std::to_string(celsius) + " C";
        return plainFrame('c', std::to_string(n));
    }
    }
    return std::nullopt;
}
