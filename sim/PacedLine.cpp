#include "PacedLine.h"

#include <algorithm>
#include <cmath>

PacedLine::PacedLine(long baud) : nanosPerByte(baud > 0 ? 10.0e9 / double(baud) : 0.0)
{
}

void PacedLine::queue(std::string bytes, SteadyTime notBefore)
{
    if (bytes.empty())
        return;
    total += bytes.size();
    if (chunks.empty()) {
        // The line is idle: this run starts when the reply may, but not before
        // the last byte sent has had its full time on the line.
        headStart = std::max(headStart, firstByteDue(notBefore));
        sent = 0;
    }
    chunks.push_back({std::move(bytes), notBefore});
}

SteadyTime PacedLine::firstByteDue(SteadyTime start) const
{
    return start + std::chrono::nanoseconds(std::llround(nanosPerByte));
}

SteadyTime PacedLine::byteTime(size_t index) const
{
    const auto offset = std::chrono::nanoseconds(std::llround(nanosPerByte * double(index)));
    return headStart + offset;
}

std::optional<SteadyTime> PacedLine::nextDue() const
{
    if (chunks.empty())
        return std::nullopt;
    return headStart;
}

std::string_view PacedLine::due(SteadyTime now) const
{
    if (chunks.empty() || now < headStart)
        return {};
    const std::string &bytes = chunks.front().bytes;
    const size_t left = bytes.size() - sent;
    size_t count = left;
    if (nanosPerByte > 0.0) {
        const double elapsed = double(std::chrono::nanoseconds(now - headStart).count());
        count = std::min(left, size_t(elapsed / nanosPerByte) + 1);
    }
    return std::string_view(bytes).substr(sent, count);
}

void PacedLine::consume(size_t count)
{
    if (chunks.empty() || count == 0)
        return;
    headStart = byteTime(count);
    sent += count;
    total -= count;
    if (sent == chunks.front().bytes.size()) {
        chunks.pop_front();
        sent = 0;
        if (!chunks.empty())
            headStart = std::max(headStart, firstByteDue(chunks.front().notBefore));
    }
}

void PacedLine::clear()
{
    chunks.clear();
    sent = 0;
    total = 0;
}

ReceiveClock::ReceiveClock(long baud) : nanosPerByte(baud > 0 ? 10.0e9 / double(baud) : 0.0)
{
}

SteadyTime ReceiveClock::arrive(size_t count, SteadyTime now)
{
    const SteadyTime start = std::max(lineFree, now);
    lineFree = completeAt(start, count);
    return start;
}

SteadyTime ReceiveClock::completeAt(SteadyTime start, size_t offset) const
{
    return start + std::chrono::nanoseconds(std::llround(nanosPerByte * double(offset)));
}
