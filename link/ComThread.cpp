#include "link/ComThread.h"

#include "link/ComPlatform.h"
#include "link/ComPort.h"

#include <QMetaObject>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace {

// The reading of a batch's error and receive steps, in their order: each
// status read returns and clears the error flags, so both sets travel with
// the batch. A failure ends the reading where it happened.
void readAhead(ComDevice &device, ComBatch &b)
{
    b.readAhead = true;
    ComStatus st;
    if (b.events.testFlag(evError)) {
        if (int e = device.status(st)) {
            b.errorStepFailure = {CError_ClearComFailed, e};
            return;
        }
        b.errorFlags = st.errors;
    }
    if (!b.events.testFlag(evRxChar))
        return;
    if (int e = device.status(st)) {
        b.receiveFailure = {CError_ClearComFailed, e};
        return;
    }
    b.receiveErrorFlags = st.errors;
    if (st.inQueue == 0)
        return;
    b.bytes.resize(qsizetype(st.inQueue));
    uint32_t got = 0;
    if (int e = device.read(b.bytes.data(), st.inQueue, got)) {
        b.receiveFailure = {CError_ReadFailed, e};
        b.bytes.clear();
        return;
    }
    b.bytes.truncate(qsizetype(got));
}

// Bytes and nothing else: such batches may be joined.
bool onlyBytes(const ComBatch &b)
{
    return b.readAhead && b.events == TComEvents(evRxChar) && !b.errorFlags && !b.receiveErrorFlags && !b.failed();
}

} // namespace

// What the two threads share: the batches handed over and not yet taken.
struct TComThread::HandOff {
    TCustomComPort *port;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<ComBatch> queue;
    qsizetype queuedBytes = 0;
    quint64 handedOver = 0;  // batches queued so far (joined ones count once)
    quint64 processed = 0;   // batches the GUI thread has finished
    bool posted = false;     // a call to processPending() is on its way
    bool processing = false; // the GUI thread is inside a batch
    bool failed = false;     // processing raised an error: the thread ends
    bool stopping = false;
    // The length the next reply has at least; the event thread takes it with
    // the reply's first bytes. Atomic: set by the GUI thread.
    std::atomic<int> expectedReply = 0;

    explicit HandOff(TCustomComPort *port) : port(port) {}

    // Event thread, under the lock: queues the batch, joining it to the last
    // one when both hold only bytes. Returns its number.
    quint64 push(ComBatch &&b)
    {
        queuedBytes += b.bytes.size();
        if (!queue.empty() && onlyBytes(b) && onlyBytes(queue.back())) {
            queue.back().bytes.append(b.bytes);
            return handedOver;
        }
        queue.push_back(std::move(b));
        return ++handedOver;
    }

    // GUI thread: processes the queued batches in order, unless a batch is
    // already being processed further up the stack.
    void processPending()
    {
        for (;;) {
            ComBatch b;
            {
                std::lock_guard lock(mutex);
                if (processing || stopping)
                    return;
                if (queue.empty()) {
                    posted = false;
                    return;
                }
                processing = true;
                b = std::move(queue.front());
                queue.pop_front();
                queuedBytes -= b.bytes.size();
            }
            const bool ok = port->processBatch(b);
            {
                std::lock_guard lock(mutex);
                processing = false;
                ++processed;
                if (!ok) {
                    failed = true;
                    queue.clear();
                    queuedBytes = 0;
                    posted = false;
                }
            }
            changed.notify_all();
            if (!ok)
                return;
        }
    }
};

TComThread::TComThread(TCustomComPort &port, ComDevice &device, uint32_t eventMask, const ComGathering &gathering)
    : device(device)
    , gathering(gathering)
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
    using Clock = std::chrono::steady_clock;
    using std::chrono::microseconds;
    const std::weak_ptr<HandOff> weak = handOff;
    HandOff &h = *handOff;
    // Bytes queued and not yet announced to the GUI thread: since when, and
    // when the last of them came.
    std::optional<Clock::time_point> heldSince;
    Clock::time_point lastBytes;
    // Of the reply those bytes begin: the bytes still expected, and the
    // limit, longer by the time the line needs for the expected bytes.
    int replyLeft = 0;
    microseconds limit = gathering.limit;
    const auto announce = [&] {
        heldSince.reset();
        replyLeft = 0;
        limit = gathering.limit;
        {
            std::lock_guard lock(h.mutex);
            if (h.posted || h.queue.empty())
                return;
            h.posted = true;
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
    };
    for (;;) {
        microseconds timeout{-1};
        if (heldSince) {
            // The rest of a frame comes a byte time apart: rather than wake
            // for every byte, look again once the line has had time to send
            // a few, or all the reply is still expected to have. The stop
            // signal ends the pause.
            const microseconds rest = std::max(replyLeft, 0) * gathering.byteTime;
            const Clock::time_point until = std::min({Clock::now() + std::max(gathering.look, rest),
                                                      lastBytes + std::max(gathering.quiet, rest), *heldSince + limit});
            std::unique_lock lock(h.mutex);
            h.changed.wait_until(lock, until, [&h] { return h.stopping || h.failed; });
            timeout = microseconds(0);
        }
        uint32_t mask = 0;
        const ComWaitResult result = device.waitEvent(mask, timeout);
        if (result == ComWaitResult::Stopped)
            break;
        if (result == ComWaitResult::TimedOut) {
            const Clock::time_point now = Clock::now();
            if (now >= lastBytes + gathering.quiet || now >= *heldSince + limit)
                announce();
            continue;
        }
        if (result != ComWaitResult::Event)
            continue;
        {
            std::lock_guard lock(h.mutex);
            if (h.stopping || h.failed)
                break;
        }
        ComBatch b;
        b.events = maskToEvents(mask);
        if (h.port->linksTakeBytes)
            readAhead(device, b);
        const bool readHere = b.readAhead;
        const bool deviceFailed = b.failed();
        const bool gotBytes = !b.bytes.isEmpty();
        const int gotCount = int(b.bytes.size());
        // Bytes alone, in the middle of a frame: held back for what follows.
        // Before the length the reply is expected to have, a frame's last
        // byte is one of its values.
        const bool replyGoesOn = gotCount < (heldSince ? replyLeft : h.expectedReply.load());
        const bool hold = readHere && onlyBytes(b) &&
                          (gotBytes ? replyGoesOn || !gathering.ends.contains(b.bytes.back()) : heldSince.has_value());
        quint64 number;
        bool full;
        {
            std::lock_guard lock(h.mutex);
            if (h.stopping || h.failed)
                break;
            number = h.push(std::move(b));
            full = h.queuedBytes >= MaxQueuedBytes;
        }
        const Clock::time_point now = Clock::now();
        if (gotBytes && !heldSince) {
            // The first bytes since the last hand-over: a reply begins.
            replyLeft = h.expectedReply.exchange(0);
            limit = gathering.limit + replyLeft * gathering.byteTime;
        }
        replyLeft -= gotCount;
        if (hold && !heldSince)
            heldSince = now;
        if (hold && gotBytes)
            lastBytes = now;
        if (!hold || full || now - *heldSince >= limit)
            announce();
        if (deviceFailed)
            break; // the GUI thread raises the failure; nothing more is read
        // A batch left unread waits for the GUI thread to read it: poll()
        // would report the same bytes again.
        std::unique_lock lock(h.mutex);
        h.changed.wait(lock, [&h, readHere, number] {
            if (h.stopping || h.failed)
                return true;
            return readHere ? h.queuedBytes < MaxQueuedBytes : h.processed >= number;
        });
        if (h.stopping || h.failed)
            break;
    }
    device.setEventMask(0);
    device.purge(Purge::TxClear | Purge::RxClear);
}

void TComThread::expectReply(int bytes)
{
    handOff->expectedReply.store(bytes);
}

void TComThread::stop()
{
    if (!thread.joinable())
        return;
    const std::shared_ptr<HandOff> h = handOff;
    h->processPending(); // what was handed over, unless called from inside it
    {
        std::lock_guard lock(h->mutex);
        h->stopping = true;
    }
    h->changed.notify_all();
    device.raiseStop();
    std::this_thread::yield();
    thread.join();
}
