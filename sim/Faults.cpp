#include "Faults.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string_view>

namespace {

using namespace std::chrono;

// Pieces of frames the flood mixes into its random bytes, so that a reader
// keeps being sent into the middle of frames that never finish: a clock
// reply, the start of a stored record, a record's separator and end, and
// frame starts with and without their line end.
constexpr std::string_view kFragments[] = {":H\n", ":A", ":A[", "\x01", "C", ":T", ":R", ":W", "\r\n", ":"};

// One in this many flood bytes starts a fragment instead.
constexpr int kFragmentOdds = 16;

// The flood never wakes the simulator more often than this.
constexpr auto kFloodTick = milliseconds(5);

} // namespace

bool Faults::answerRequest()
{
    ++received;
    if (plan.dropAfter >= 0 && received > plan.dropAfter)
        return false;
    return plan.silentAfter < 0 || received <= plan.silentAfter;
}

std::string Faults::noiseBeforeReply()
{
    if (plan.garbageBytes <= 0 || replies % plan.garbageEvery != 0)
        return {};
    std::string noise;
    while (noise.size() < size_t(plan.garbageBytes)) {
        const char c = char(random.between(0, 255));
        if (c != ':' && c != '\n')
            noise += c;
    }
    return noise;
}

std::string Faults::shapeReply(const std::string &frame)
{
    ++replies;
    std::string bytes = noiseBeforeReply();
    std::string_view shown = frame;
    if (plan.noLineFeedAfter >= 0 && replies > plan.noLineFeedAfter && !shown.empty() && shown.back() == '\n')
        shown.remove_suffix(1);
    for (const FrameCut &cut : plan.cuts)
        if (cut.reply == replies)
            shown = shown.substr(0, std::min(cut.keep, shown.size()));
    bytes += shown;
    for (const Injection &injection : plan.injections)
        if (injection.reply == replies)
            bytes += injection.bytes;
    return bytes;
}

std::string Faults::floodBytes(size_t count)
{
    // A fragment that does not fit goes on in the next burst, so the noise is
    // one sequence whatever the bursts are (and the seed repeats it).
    std::string noise = std::move(floodCarry);
    while (noise.size() < count) {
        if (floodRandom.between(1, kFragmentOdds) == 1)
            noise += kFragments[size_t(floodRandom.between(0, int(std::size(kFragments)) - 1))];
        else
            noise += char(floodRandom.between(0, 255));
    }
    floodCarry = noise.substr(count);
    noise.resize(count);
    return noise;
}

std::string Faults::floodDue(steady_clock::time_point now, size_t limit)
{
    if (plan.floodRate <= 0)
        return {};
    if (floodFrom == steady_clock::time_point{})
        floodFrom = now;
    floodCredit += duration<double>(now - floodFrom).count() * double(plan.floodRate);
    floodFrom = now;
    floodCredit = std::min(floodCredit, double(limit));
    const auto count = size_t(std::floor(floodCredit));
    if (count == 0)
        return {};
    floodCredit -= double(count);
    return floodBytes(count);
}

steady_clock::time_point Faults::nextFloodByte() const
{
    const double wait = std::max(0.0, (1.0 - floodCredit) / double(plan.floodRate));
    return floodFrom + std::max<steady_clock::duration>(kFloodTick, duration_cast<nanoseconds>(duration<double>(wait)));
}
