#include "link/ComEvents.h"

namespace {

struct EventBit {
    TComEvent event;
    uint32_t mask;
};

// Set order first, device bit second.
constexpr EventBit kEventBits[] = {
    {evRxChar, EventMask::RxChar},     {evTxEmpty, EventMask::TxEmpty}, {evRxFlag, EventMask::RxFlag},
    {evRing, EventMask::Ring},         {evBreak, EventMask::Break},     {evCTS, EventMask::Cts},
    {evDSR, EventMask::Dsr},           {evError, EventMask::Err},       {evRLSD, EventMask::Rlsd},
    {evRx80Full, EventMask::Rx80Full},
};

struct ErrorBit {
    TComError error;
    uint32_t flag;
};

constexpr ErrorBit kErrorBits[] = {
    {ceFrame, ErrorFlag::Frame},     {ceRxParity, ErrorFlag::RxParity},
    {ceOverrun, ErrorFlag::Overrun}, {ceBreak, ErrorFlag::Break},
    {ceIO, ErrorFlag::IO},           {ceMode, ErrorFlag::Mode},
    {ceRxOver, ErrorFlag::RxOver},   {ceTxFull, ErrorFlag::TxFull},
};

} // namespace

uint32_t eventsToMask(TComEvents events)
{
    uint32_t mask = 0;
    for (const EventBit &b : kEventBits)
        if (events.testFlag(b.event))
            mask |= b.mask;
    return mask;
}

TComEvents maskToEvents(uint32_t mask)
{
    TComEvents events;
    for (const EventBit &b : kEventBits)
        if (mask & b.mask)
            events |= b.event;
    return events;
}

TComErrors flagsToErrors(uint32_t flags, bool parityCheck)
{
    TComErrors errors;
    for (const ErrorBit &b : kErrorBits)
        if (flags & b.flag)
            errors |= b.error;
    if (!parityCheck)
        errors &= ~TComErrors(ceRxParity);
    return errors;
}
