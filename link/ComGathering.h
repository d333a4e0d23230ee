#pragma once
// How the port's event thread gathers received bytes before it hands them to
// the GUI thread. At 19200 bit/s a read returns a byte or two; handing each
// over would wake the GUI thread some 2,000 times a second. So the bytes of
// consecutive reads are held back: the event thread looks for more every
// `look` instead of waking for every byte, and hands them over together as
// soon as a read ends with a byte of `ends` (a frame's last byte), the line
// has been quiet for `quiet`, or `limit` has passed since the first of them
// was read. Bytes still held when the port closes are handed over before it
// closes, as any others.
//
// A byte that ends a frame thus reaches the GUI thread at most `look` after
// it came; one in the middle of a frame waits for the rest of the frame, up to
// `limit`. The costs are set for the meter's 19200 bit/s, two bytes a look.
//
// When the reply to the request just written is expected to have n bytes at
// least (link/ReplyLengths.h), the looks start only once the line has had the
// time to send them (`byteTime`, set by the port from its line settings), and
// the limit is that much longer. Until that many bytes have come, a frame's
// last byte is taken for one of the reply's values (the 'C' of "SEC"). A
// stored record then takes a few looks instead of thirty, and its last byte
// is seen as soon as before.

#include <QByteArray>

#include <chrono>

struct ComGathering {
    QByteArray ends = QByteArrayLiteral("\n");
    std::chrono::microseconds look{1000};
    std::chrono::microseconds quiet{1000};
    std::chrono::microseconds limit{8000};
    std::chrono::microseconds byteTime{0}; // 0: replies are not waited for
};
