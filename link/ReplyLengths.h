#pragma once
// How many bytes the reply to a request will have at least, learnt from the
// last reply to the same request. The event thread uses it to sleep through
// the bulk of a long reply (a stored record is some sixty bytes, thirty
// milliseconds at 19200 bit/s) instead of looking at the line every
// millisecond, and to not take a frame-end byte inside it (the 'C' of "SEC")
// for the reply's end (link/ComGathering.h).
//
// A request is told apart by its first two bytes ("@A", "@r", ...). Its
// reply is every byte received after it was written and before the next
// request: the meter answers one request at a time. The expectation leaves
// a margin below the last length (values with fewer digits make a shorter
// reply); a reply that turns out shorter only makes its last byte wait the
// difference, and is learnt. GUI thread.

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

class ReplyLengths {
public:
    // A request is written: its reply starts with the next byte received.
    // Returns the bytes that reply is expected to have at least (0: unknown).
    int written(QByteArrayView request);
    // Bytes received, in order.
    void received(qsizetype bytes) { counted += bytes; }
    // The port was opened again: a reply under way is not learnt.
    void restart() { request.clear(); }

private:
    QHash<QByteArray, qsizetype> lengths;
    QByteArray request; // the key of the last request written
    qsizetype counted = 0;
};
