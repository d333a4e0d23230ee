#pragma once
// Faults the meter can be told to show: going silent after a number of
// requests, noise before its replies, and dropping the line (closing the
// device) once a number of requests have been answered.

#include "Random.h"

#include <string>

struct FaultPlan {
    long silentAfter = -1;   // < 0: never
    long dropAfter = -1;     // < 0: never
    int garbageBytes = 0;
    int garbageEvery = 1;
};

class Faults {
public:
    Faults(FaultPlan plan, Random &random) : plan(plan), random(random) {}

    // Counts one received request; whether the meter may still answer it.
    bool answerRequest();
    // Whether the line must now be dropped, given that nothing is left to send.
    bool dropLineNow() const { return plan.dropAfter >= 0 && received >= plan.dropAfter; }

    // Noise to send before the next reply: empty, or garbageBytes bytes of
    // which none is ':' or a line feed, so that a reader looking for the next
    // frame skips them.
    std::string noiseBeforeReply();

private:
    FaultPlan plan;
    Random &random;
    long received = 0;
    long replies = 0;
};
