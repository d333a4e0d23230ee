#pragma once
// Line events and line errors of the serial port, and their translation to
// and from the device's event mask and error flags.

#include <QFlags>
#include <cstdint>

// Line events; the enumerator order is the bit order of the set.
enum TComEvent : uint32_t {
    evRxChar = 1u << 0,   // a byte was received
    evTxEmpty = 1u << 1,  // the transmit queue became empty
    evRxFlag = 1u << 2,   // the event character was received
    evRing = 1u << 3,     // ring indicator
    evBreak = 1u << 4,    // break received
    evCTS = 1u << 5,      // CTS changed
    evDSR = 1u << 6,      // DSR changed
    evError = 1u << 7,    // line-status error
    evRLSD = 1u << 8,     // receive-line-signal-detect changed
    evRx80Full = 1u << 9, // input queue 80 % full
};
Q_DECLARE_FLAGS(TComEvents, TComEvent)
Q_DECLARE_OPERATORS_FOR_FLAGS(TComEvents)

inline constexpr TComEvents allComEvents()
{
    return TComEvents::fromInt(0x3FF);
}

// Line errors; the enumerator order is the bit order of the set.
enum TComError : uint32_t {
    ceFrame = 1u << 0,
    ceRxParity = 1u << 1,
    ceOverrun = 1u << 2,
    ceBreak = 1u << 3,
    ceIO = 1u << 4,
    ceMode = 1u << 5,
    ceRxOver = 1u << 6,
    ceTxFull = 1u << 7,
};
Q_DECLARE_FLAGS(TComErrors, TComError)
Q_DECLARE_OPERATORS_FOR_FLAGS(TComErrors)

// The device's event-mask bits.
namespace EventMask {
constexpr uint32_t RxChar = 0x0001, RxFlag = 0x0002, TxEmpty = 0x0004, Cts = 0x0008, Dsr = 0x0010, Rlsd = 0x0020,
                   Break = 0x0040, Err = 0x0080, Ring = 0x0100, Rx80Full = 0x0400;
}

// The device's error flags.
namespace ErrorFlag {
constexpr uint32_t RxOver = 0x0001, Overrun = 0x0002, RxParity = 0x0004, Frame = 0x0008, Break = 0x0010,
                   TxFull = 0x0100, IO = 0x0400, Mode = 0x8000;
}

// Purge requests.
namespace Purge {
constexpr uint32_t TxAbort = 0x0001, RxAbort = 0x0002, TxClear = 0x0004, RxClear = 0x0008;
}

uint32_t eventsToMask(TComEvents events);
TComEvents maskToEvents(uint32_t mask);

// Device error flags as a set. A parity error counts only while parity is
// checked: without the check the device may still flag it, but the byte is
// taken as it came and nothing is wrong with the line.
TComErrors flagsToErrors(uint32_t flags, bool parityCheck);
