#pragma once
// TComThread: the event thread of an open port. It waits for line events
// (or its stop signal) and hands each batch to the thread the port lives in
// (the GUI thread), then blocks until that batch has been processed or the
// stop signal is set, so at most one batch is in flight and every read
// happens on the GUI thread.
//
// Stopping (closing the port) processes a batch that was handed over before
// the stop signal, unless the stop itself comes from inside the processing
// of a batch (an error handler closing the port, or the operator closing it
// from a dialog opened by a handler): then the batch is abandoned and the
// thread ends without waiting for it.

#include "link/ComEvents.h"

#include <memory>
#include <thread>

class ComDevice;
class TCustomComPort;

class TComThread {
public:
    // Sets the device's event mask on the calling thread, then starts.
    TComThread(TCustomComPort &port, ComDevice &device, uint32_t eventMask);
    ~TComThread();

    TComThread(const TComThread &) = delete;
    TComThread &operator=(const TComThread &) = delete;

    // Sets the stop signal and waits until the thread has ended. GUI thread.
    void stop();

    struct HandOff;

private:
    void run();

    ComDevice &device;
    std::shared_ptr<HandOff> handOff;
    std::thread thread;
};
