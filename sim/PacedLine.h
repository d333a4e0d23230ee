#pragma once
// The meter's transmit side at a given line rate. Replies queue up in order;
// with B bit/s and 10 bits per byte (8N1), byte k of an unbroken run of output
// is due no sooner than 10·k/B seconds after the run's first byte, so the far
// end never receives faster than a real line could carry. A reply may also
// carry a time before which it must not start (the reply delay). With rate 0
// every byte is due as soon as its reply is.

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

using SteadyTime = std::chrono::steady_clock::time_point;

class PacedLine {
public:
    explicit PacedLine(long baud);

    void queue(std::string bytes, SteadyTime notBefore);

    bool empty() const { return chunks.empty(); }
    size_t queuedBytes() const { return total; }

    // When the next byte is due; nothing when the queue is empty.
    std::optional<SteadyTime> nextDue() const;

    // The bytes due at `now`, from the head of the queue (possibly fewer than
    // are due, never more). Hand back how many went out with consume().
    std::string_view due(SteadyTime now) const;
    void consume(size_t count);

    void clear();

private:
    struct Chunk {
        std::string bytes;
        SteadyTime notBefore;
    };

    SteadyTime byteTime(size_t index) const;

    double nanosPerByte;
    std::deque<Chunk> chunks;
    size_t sent = 0;          // bytes of the head chunk already written
    SteadyTime headStart{};   // when byte `sent` of the head chunk is due
    size_t total = 0;
};
