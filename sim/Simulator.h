#pragma once
// The simulator's event loop: reads requests from the line, logs them, lets
// the meter answer, and sends the answers paced at the line rate, with the
// faults it was told to inject. A request counts as received only once its
// bytes would have arrived at the line rate. Runs until asked to stop or the line drops.

#include "ClientWatch.h"
#include "Faults.h"
#include "Meter.h"
#include "PacedLine.h"
#include "PseudoTerminal.h"
#include "RequestLog.h"
#include "RequestReader.h"

#include <chrono>
#include <csignal>

class Simulator {
public:
    // Longest request line kept; the client's longest is 16 bytes.
    static constexpr size_t maxRequestLength = 256;
    // The most flood noise queued at once; replies wait behind it.
    static constexpr size_t maxFloodBurst = 256;
    // Replies waiting beyond this (a client that writes but never reads) are
    // dropped rather than held without bound.
    static constexpr size_t maxQueuedBytes = 1 << 20;

    struct Setup {
        long baud = 19200;
        std::chrono::milliseconds replyDelay{0};
    };

    Simulator(Setup setup, PseudoTerminal &pty, Meter &meter, Faults &faults, RequestLog &log);

    // Returns when *stop becomes non-zero (set by a signal handler; signals
    // are let through only while waiting, with waitMask) or the line drops.
    void run(const volatile std::sig_atomic_t *stop, const sigset_t &waitMask);

private:
    void readRequests();
    void handleLine(const ReceivedLine &line, SteadyTime received, SteadyTime complete);
    void queueFlood();
    void writeDue();
    void handleDeviceEvents();
    void lineLost();

    Setup setup;
    PseudoTerminal &pty;
    Meter &meter;
    Faults &faults;
    RequestLog &log;
    ClientWatch watch;
    RequestReader reader{maxRequestLength};
    PacedLine line;
    ReceiveClock receiveClock;
    bool waitingToWrite = false;
    SteadyTime quietUntil{}; // after a hang-up on the master: do not poll it until then
};
