#pragma once
// Both directions of the meter's line at a given rate.
//
// PacedLine is the transmit side. Replies queue up in order; with B bit/s and
// 10 bits per byte (8N1), byte k of an unbroken run of output is due no sooner
// than 10·k/B seconds after the run's first byte, so the far end never
// receives faster than a real line could carry. A byte is handed over when it
// has fully arrived at the far end, one byte time after it started, so the
// first byte of a run is due 10/B seconds after the run starts. A reply may
// also carry a time before which it must not start (the reply delay). With
// rate 0 every byte is due as soon as its reply is.

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

    SteadyTime firstByteDue(SteadyTime start) const;
    SteadyTime byteTime(size_t index) const;

    double nanosPerByte;
    std::deque<Chunk> chunks;
    size_t sent = 0;        // bytes of the head chunk already written
    SteadyTime headStart{}; // when byte `sent` of the head chunk is due
    size_t total = 0;
};

// The receive side: bytes the client wrote come in at the line rate too, so a
// request is whole only once its last byte has had its time on the line. The
// simulator reads what the client wrote in one go; the first byte of what it
// reads is taken to arrive at that moment (or once the bytes before it have
// arrived), and every further byte 10/B seconds later. With rate 0 bytes take
// no time.
class ReceiveClock {
public:
    explicit ReceiveClock(long baud);

    // `count` bytes read at `now`; returns when the first of them arrived.
    SteadyTime arrive(size_t count, SteadyTime now);
    // When the byte just before `offset` (counted from the first byte of a
    // read that started arriving at `start`) has fully arrived.
    SteadyTime completeAt(SteadyTime start, size_t offset) const;
    // The sender went away: bytes it wrote but the line had not yet carried
    // are not owed time by the next one.
    void reset() { lineFree = {}; }

private:
    double nanosPerByte;
    SteadyTime lineFree{}; // when the last byte read so far has arrived
};
