#pragma once
// TComThread: the event thread of an open port. It waits for line events (or
// its stop signal) and hands each batch to the thread the port lives in (the
// GUI thread), which processes the batches one at a time, in order.
//
// While a registered link takes received bytes, the event thread also does
// the batch's reading itself (the status reads of the error and receive steps
// and one read of every byte queued) and hands over what that read returned,
// a chunk, without waiting for the GUI thread. Chunks are gathered as
// link/ComGathering.h says (a frame's last byte, a quiet line or the time
// limit hands them over), and chunks that pile up while the GUI thread is
// busy are joined into one; past MaxQueuedBytes the event thread hands over
// at once and waits for the GUI thread to catch up. Otherwise (nobody takes the bytes: OnRxChar
// reads them) the batch is handed over unread and the event thread blocks
// until it has been processed, so at most one such batch is in flight.
//
// A device failure while reading ends the event thread once it has handed
// the failure over; the GUI thread raises it in the batch's order of steps.
// An error while the GUI thread processes a batch drops what is queued and
// ends the event thread at its next wake-up.
//
// Stopping (closing the port) processes the batches handed over before the
// stop signal, unless the stop itself comes from inside the processing of a
// batch (an error handler closing the port, or the operator closing it from a
// dialog opened by a handler): then they are abandoned and the thread ends
// without waiting for them.

#include "link/ComEvents.h"
#include "link/ComGathering.h"

#include <QByteArray>

#include <memory>
#include <thread>

class ComDevice;
class TCustomComPort;

// One batch of line events as the GUI thread gets it.
struct ComBatch {
    // A failed device call: the port's error code and the errno.
    struct Failure {
        int code = 0;
        int error = 0;
        explicit operator bool() const { return code != 0; }
    };

    TComEvents events;
    bool readAhead = false;         // the event thread did the reading below
    uint32_t errorFlags = 0;        // the error step's status read
    Failure errorStepFailure;       // ... when it failed
    uint32_t receiveErrorFlags = 0; // the receive step's status read
    Failure receiveFailure;         // its status read or read, when one failed
    QByteArray bytes;               // what the read returned

    bool failed() const { return bool(errorStepFailure) || bool(receiveFailure); }
};

class TComThread {
public:
    static constexpr qsizetype MaxQueuedBytes = 64 * 1024;

    // Sets the device's event mask on the calling thread, then starts.
    TComThread(TCustomComPort &port, ComDevice &device, uint32_t eventMask, const ComGathering &gathering);
    ~TComThread();

    TComThread(const TComThread &) = delete;
    TComThread &operator=(const TComThread &) = delete;

    // Sets the stop signal and waits until the thread has ended. GUI thread.
    void stop();

    // The next bytes to come start a reply of at least `bytes` bytes (0:
    // unknown). GUI thread, before the request is written.
    void expectReply(int bytes);

    struct HandOff;

private:
    void run();

    ComDevice &device;
    const ComGathering gathering;
    std::shared_ptr<HandOff> handOff;
    std::thread thread;
};
