#include "StoredTests.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

using namespace std::chrono;

constexpr int kRandomSizeMax = 40;

std::string twoDigits(long a, long b, long c, char sep)
{
    char text[64];
    std::snprintf(text, sizeof text, "%02ld%c%02ld%c%02ld", a, sep, b, sep, c);
    return text;
}

// One temperature's wander: steps of at most 0.2 degrees, never further than
// 1.5 degrees from where it started.
double wander(double start, double &offset, Random &random)
{
    offset = std::clamp(offset + random.uniform(-0.2, 0.2), -1.5, 1.5);
    return roundTenth(start + offset);
}

} // namespace

std::vector<int> plannedTestSizes(const SimOptions &options, Random &random)
{
    if (!options.testSizes.empty())
        return options.testSizes;
    if (!options.testCount && !options.seed)
        return {10, 0, 25};
    const int count = options.testCount ? *options.testCount : random.between(1, 6);
    std::vector<int> sizes;
    int room = options.memoryCapacity;
    for (int i = 0; i < count; ++i) {
        const int size = std::min(random.between(0, kRandomSizeMax), room);
        room -= size;
        sizes.push_back(size);
    }
    return sizes;
}

std::vector<StoredTest> makeStoredTests(const std::vector<int> &sizes, const Readings &around, int intervalSeconds,
                                        Random &random)
{
    const sys_days firstDay = year{2024} / May / 13;
    std::vector<StoredTest> tests;
    int registerNumber = 1;
    for (size_t t = 0; t < sizes.size(); ++t) {
        const sys_seconds start = firstDay + days{long(t)} + hours{8} + minutes{17 * long(t % 20)};
        Readings offsets;
        StoredTest test;
        for (int j = 0; j < sizes[t]; ++j) {
            const sys_seconds at = start + seconds{long(j) * intervalSeconds};
            const sys_days day = floor<days>(at);
            const year_month_day ymd{day};
            const hh_mm_ss clock{at - day};
            StoredRecord record;
            record.registerNumber = registerNumber++;
            record.date = twoDigits(unsigned(ymd.day()), unsigned(ymd.month()), int(ymd.year()) % 100, '/');
            record.time = twoDigits(clock.hours().count(), clock.minutes().count(), clock.seconds().count(), ':');
            record.values.wet = wander(around.wet, offsets.wet, random);
            record.values.dry = wander(around.dry, offsets.dry, random);
            record.values.globe = wander(around.globe, offsets.globe, random);
            test.push_back(record);
        }
        tests.push_back(std::move(test));
    }
    return tests;
}
