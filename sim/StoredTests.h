#pragma once
// The tests kept in the meter's memory: each a series of timed records of the
// three temperatures, made up at start from the options.

#include "Random.h"
#include "Readings.h"
#include "SimOptions.h"

#include <string>
#include <vector>

struct StoredRecord {
    int registerNumber = 0; // counts through the whole memory, from 1
    std::string date;       // "dd/mm/yy"
    std::string time;       // "hh:mm:ss"
    Readings values;        // Celsius, tenths
};

using StoredTest = std::vector<StoredRecord>;

// Records of each stored test: --sizes as given; --tests N with sizes from the
// random source; --seed alone with a random count too; otherwise 10, 0 and 25.
// Random sizes are cut so that the memory capacity is never exceeded.
std::vector<int> plannedTestSizes(const SimOptions &options, Random &random);

// Records that wander around the given values, one every intervalSeconds,
// test k starting on a later day than test k-1.
std::vector<StoredTest> makeStoredTests(const std::vector<int> &sizes, const Readings &around, int intervalSeconds,
                                        Random &random);
