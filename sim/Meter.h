#pragma once
// The meter itself: what it holds (live sensors, stored tests, sampling
// interval, clock, display unit) and its answer to each request.

#include "LiveSensors.h"
#include "Requests.h"
#include "StoredTests.h"

#include <optional>
#include <string>
#include <vector>

struct MeterSetup {
    Readings centres;
    double drift = 0.0;
    bool fahrenheit = false;
    int intervalUnit = 0;
    int interval = 5;
    int memoryCapacity = 2000;
    std::vector<StoredTest> tests;
    // When set, the count fields of every "T" or "R" reply, whatever is
    // stored: absurd or broken counts for robustness tests.
    std::optional<std::string> testCountText;
    std::optional<std::string> recordCountText;
};

class Meter {
public:
    Meter(MeterSetup setup, Random &random);

    // The reply frame, or nothing when the meter has no answer (a record
    // asked for without a valid selection).
    std::optional<std::string> answer(const Request &request);

    // For the operator's console.
    std::string describe() const;
    const std::string &lastNote() const { return note; }

private:
    std::string readingsReply(char letter, const Readings &celsius) const;
    std::optional<std::string> recordReply();
    int storedRecords() const;

    LiveSensors sensors;
    bool fahrenheit;
    int intervalUnit;
    int interval;
    int memoryCapacity;
    std::vector<StoredTest> tests;
    int selectedTest = -1;
    int selectedRecord = -1;
    std::optional<ClockSetting> clock;
    std::optional<std::string> testCountText;
    std::optional<std::string> recordCountText;
    std::string note;
};
