#include "link/ComThread.h"

#include "link/ComPlatform.h"
#include "link/ComPort.h"

#include <QMetaObject>

#include <condition_variable>
#include <mutex>

// What the two threads share about the batch in flight.
struct TComThread::HandOff {
    TCustomComPort *port;
    std::mutex mutex;
    std::condition_variable changed;
    bool pending = false;    // a batch waits for the GUI thread
    bool processing = false; // the GUI thread is inside it
    bool failed = false;     // processing raised an error: the thread ends
    bool stopping = false;
    TComEvents batch;

    explicit HandOff(TCustomComPort *port) : port(port) {}

    // GUI thread: processes the pending batch, if any and not already begun.
    void processPending()
    {
        TComEvents events;
        {
            std::lock_guard lock(mutex);
            if (!pending || processing)
                return;
            processing = true;
            events = batch;
        }
        const bool ok = port->processBatch(events);
        {
            std::lock_guard lock(mutex);
            processing = false;
            pending = false;
            failed = failed || !ok;
        }
        changed.notify_all();
    }
};

TComThread::TComThread(TCustomComPort &port, ComDevice &device, uint32_t eventMask)
    : device(device)
    , handOff(std::make_shared<HandOff>(&port))
{
    device.setEventMask(eventMask);
    thread = std::thread([this] { run(); });
}

TComThread::~TComThread()
{
    stop();
}

void TComThread::run()
{
    const std::weak_ptr<HandOff> weak = handOff;
    HandOff &h = *handOff;
    for (;;) {
        uint32_t mask = 0;
        const ComWaitResult result = device.waitEvent(mask);
        if (result == ComWaitResult::Stopped)
            break;
        if (result == ComWaitResult::Failed)
            continue;
        {
            std::lock_guard lock(h.mutex);
            if (h.stopping)
                break;
            h.pending = true;
            h.batch = maskToEvents(mask);
        }
        // The port as context: if it is destroyed the call is dropped; if
        // this thread is gone by then, the hand-off is too.
        QMetaObject::invokeMethod(
            h.port,
            [weak] {
                if (auto alive = weak.lock())
                    alive->processPending();
            },
            Qt::QueuedConnection);
        std::unique_lock lock(h.mutex);
        h.changed.wait(lock, [&h] { return !h.pending || h.stopping; });
        if (h.stopping || h.failed)
            break;
    }
    device.setEventMask(0);
    device.purge(Purge::TxClear | Purge::RxClear);
}

void TComThread::stop()
{
    if (!thread.joinable())
        return;
    const std::shared_ptr<HandOff> h = handOff;
    bool drain;
    {
        std::lock_guard lock(h->mutex);
        drain = h->pending && !h->processing;
    }
    if (drain)
        h->processPending();
    {
        std::lock_guard lock(h->mutex);
        h->stopping = true;
    }
    h->changed.notify_all();
    device.raiseStop();
    std::this_thread::yield();
    thread.join();
}
