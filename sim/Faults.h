#pragma once
// Faults the meter can be told to show: going silent after a number of
// requests, dropping the line (closing the device) once a number of requests
// have been answered, and damaged output: noise before its replies, a reply
// cut short, replies without their line feed, stray text after a reply, and a
// continuous flood of noise.
//
// Replies are counted from 1 in the order the meter sends them; a request the
// meter leaves unanswered is not a reply.

#include "Random.h"

#include <chrono>
#include <string>
#include <vector>

struct FrameCut {
    long reply = 0;  // which reply
    size_t keep = 0; // bytes of it that are sent
};

struct Injection {
    long reply = 0; // sent right after this reply
    std::string bytes;
};

struct FaultPlan {
    long silentAfter = -1; // < 0: never
    long dropAfter = -1;   // < 0: never
    int garbageBytes = 0;
    int garbageEvery = 1;
    std::vector<FrameCut> cuts;
    std::vector<Injection> injections;
    long noLineFeedAfter = -1; // < 0: never; else replies after this many lose their line feed
    long floodRate = 0;        // noise bytes a second; 0: no flood
};

class Faults {
public:
    // The flood draws from a source of its own, seeded from `random`, so the
    // same seed gives the same noise whatever else the meter draws.
    Faults(FaultPlan plan, Random &random) : plan(std::move(plan)), random(random), floodRandom(random.next()) {}

    // Counts one received request; whether the meter may still answer it.
    bool answerRequest();
    // Whether the line must now be dropped, given that nothing is left to send.
    bool dropLineNow() const { return plan.dropAfter >= 0 && received >= plan.dropAfter; }

    // Counts one reply and returns the bytes to send for it: the frame as the
    // faults leave it, with noise before it and stray text after it when the
    // plan says so.
    std::string shapeReply(const std::string &frame);

    bool flooding() const { return plan.floodRate > 0; }
    // The flood's noise that has fallen due by `now` (empty until a whole
    // byte has), at most `limit` bytes; what the line could not take in
    // time is forgotten rather than piled up.
    std::string floodDue(std::chrono::steady_clock::time_point now, size_t limit);
    // When the flood next has a byte due.
    std::chrono::steady_clock::time_point nextFloodByte() const;

private:
    // Noise before a reply: garbageBytes bytes of which none is ':' or a line
    // feed, so that a reader looking for the next frame skips them.
    std::string noiseBeforeReply();
    std::string floodBytes(size_t count);

    FaultPlan plan;
    Random &random;
    long received = 0;
    long replies = 0;
    Random floodRandom;
    std::chrono::steady_clock::time_point floodFrom{}; // when the flood's credit was last counted
    double floodCredit = 0.0;                          // noise bytes due and not yet sent
    std::string floodCarry;                            // the rest of a fragment a burst cut
};
