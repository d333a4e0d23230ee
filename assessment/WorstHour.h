#pragma once
// The worst continuous hour of a test: the 60-minute window, anywhere in
// continuous time, with the highest time-weighted mean of the index.
//
// The index is a step function of time: each sample holds from its moment
// until the next sample's moment, the last one for the sampling interval seen
// in the test (the median of the positive gaps between samples). The window's
// integral is piecewise linear in the window's start, with kinks only where
// the start or the end crosses a step; so its maximum is reached with the
// start on a step's beginning or the end on a step's end. The search walks
// both families of candidates with a second pointer that only moves forward:
// linear in the samples, exact (no sampling of the start).
//
// A test that covers less than the window gives the mean over the time it
// covers and says so. Ties go to the earliest window.

#include "assessment/RecordTime.h"

#include <cstdint>
#include <vector>

struct IndexSample {
    RecordSeconds moment = 0;
    double value = 0; // °C
};

struct WorstWindow {
    bool found = false;         // false when the samples cover no time at all
    RecordSeconds start = 0;    // window start
    RecordSeconds end = 0;      // start + the window, or the test's end when shorter
    int64_t coveredSeconds = 0; // end - start
    bool shorterThanWindow = false;
    long double integral = 0; // sum of value * seconds inside the window
    double mean = 0;          // integral / coveredSeconds
    int firstSample = -1;     // the sample holding at the start
    int lastSample = -1;      // the sample holding just before the end
    int64_t lastDuration = 0; // the time the last sample counts for
};

constexpr int64_t WorstWindowSeconds = 3600;

// The sampling interval of sorted moments: the median of the positive gaps,
// the lower middle one for an even count; 0 when there is none.
int64_t samplingInterval(const std::vector<IndexSample> &sorted);

// samples must be sorted by moment (equal moments allowed: all but the last
// of them hold for no time). window > 0.
WorstWindow findWorstWindow(const std::vector<IndexSample> &sorted, int64_t window = WorstWindowSeconds);
