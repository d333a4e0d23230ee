#include "Simulator.h"

#include "Console.h"

#include <cerrno>
#include <poll.h>
#include <time.h>
#include <unistd.h>

namespace {

using namespace std::chrono;

double monotonicSeconds(SteadyTime t)
{
    // steady_clock is CLOCK_MONOTONIC here, the clock other programs read too.
    return duration<double>(t.time_since_epoch()).count();
}

timespec toTimespec(nanoseconds d)
{
    if (d < nanoseconds::zero())
        d = nanoseconds::zero();
    const auto s = duration_cast<seconds>(d);
    return {time_t(s.count()), long((d - s).count())};
}

} // namespace

Simulator::Simulator(Setup setup, PseudoTerminal &pty, Meter &meter, Faults &faults, RequestLog &log)
    : setup(setup)
    , pty(pty)
    , meter(meter)
    , faults(faults)
    , log(log)
    , watch(pty.slavePath())
    , line(setup.baud)
    , receiveClock(setup.baud)
{
}

void Simulator::run(const volatile std::sig_atomic_t *stop, const sigset_t &waitMask)
{
    while (!*stop) {
        queueFlood();
        writeDue();
        if (faults.dropLineNow() && (line.empty() || waitingToWrite)) {
            // What went out before the drop reaches the client, as on a real
            // line (a client that stopped reading gets no more time); then
            // the device goes away.
            pty.waitUntilRead(std::chrono::milliseconds(500));
            pty.close();
            console("line dropped (device closed) as asked");
            return;
        }

        const SteadyTime now = steady_clock::now();
        const bool masterQuiet = now < quietUntil;
        pollfd fds[2];
        nfds_t count = 0;
        // A master that reported a hang-up would report it again at once: it
        // sits out the quiet time instead of being polled.
        fds[count++] = {masterQuiet ? -1 : pty.master(), short(POLLIN | (waitingToWrite ? POLLOUT : 0)), 0};
        if (watch.fd() >= 0)
            fds[count++] = {watch.fd(), POLLIN, 0};

        std::optional<SteadyTime> wake;
        if (!line.empty() && !waitingToWrite)
            wake = line.nextDue();
        if (masterQuiet && (!wake || quietUntil < *wake))
            wake = quietUntil;
        if (faults.flooding() && line.empty() && (!wake || faults.nextFloodByte() < *wake))
            wake = faults.nextFloodByte();
        timespec timeout{};
        if (wake)
            timeout = toTimespec(*wake - now);
        const int ready = ppoll(fds, count, wake ? &timeout : nullptr, &waitMask);
        if (ready < 0)
            continue; // EINTR: a signal, checked at the top
        const short masterEvents = fds[0].revents;
        if (masterEvents & POLLOUT)
            waitingToWrite = false;
        if (masterEvents & POLLIN)
            readRequests();
        else if (masterEvents & (POLLHUP | POLLERR))
            lineLost();
        if (count > 1 && fds[1].revents)
            handleDeviceEvents();
    }
}

void Simulator::readRequests()
{
    // One read per wake-up, so that a client that never stops writing cannot
    // keep the replies from going out.
    char buffer[4096];
    ssize_t n = 0;
    do
        n = ::read(pty.master(), buffer, sizeof buffer);
    while (n < 0 && errno == EINTR);
    if (n < 0 && errno == EIO)
        lineLost();
    if (n <= 0)
        return;
    const SteadyTime received = steady_clock::now();
    const SteadyTime firstByte = receiveClock.arrive(size_t(n), received);
    for (const ReceivedLine &l : reader.feed(std::string_view(buffer, size_t(n))))
        handleLine(l, received, receiveClock.completeAt(firstByte, l.end));
}

// `at` is when the simulator read the line's last bytes, `complete` when
// they would have arrived on a line at the set rate: the reply may not start
// before that.
void Simulator::handleLine(const ReceivedLine &received, SteadyTime at, SteadyTime complete)
{
    if (received.tooLong) {
        console("dropped a request line of " + std::to_string(received.length) + " bytes");
        return;
    }
    log.record(monotonicSeconds(at), received.bytes);
    const bool mayAnswer = faults.answerRequest();
    const std::optional<Request> request = parseRequest(withoutLineEnd(received.bytes));
    if (!request) {
        console("ignored request (unknown or malformed) " + escapeBytes(received.bytes));
        return;
    }
    if (!mayAnswer)
        return;
    const std::optional<std::string> reply = meter.answer(*request);
    if (!meter.lastNote().empty())
        console(meter.lastNote());
    if (!reply)
        return;
    if (line.queuedBytes() + reply->size() > maxQueuedBytes) {
        console("reply dropped: the client is not reading");
        return;
    }
    line.queue(faults.shapeReply(*reply), complete + setup.replyDelay);
}

void Simulator::queueFlood()
{
    // Noise goes out only while no reply is waiting, so it never splits a
    // frame; a reply waits behind at most one burst. A line about to be
    // dropped gets no more.
    if (!faults.flooding() || faults.dropLineNow() || !line.empty() || waitingToWrite || pty.master() < 0)
        return;
    const SteadyTime now = steady_clock::now();
    std::string noise = faults.floodDue(now, maxFloodBurst);
    if (!noise.empty())
        line.queue(std::move(noise), now);
}

void Simulator::writeDue()
{
    while (!waitingToWrite && pty.master() >= 0) {
        const std::string_view bytes = line.due(steady_clock::now());
        if (bytes.empty())
            return;
        const ssize_t n = ::write(pty.master(), bytes.data(), bytes.size());
        if (n > 0)
            line.consume(size_t(n));
        else if (n < 0 && errno == EINTR)
            continue;
        else if (n < 0 && errno == EAGAIN)
            waitingToWrite = true;
        else {
            line.clear();
            return;
        }
    }
}

void Simulator::handleDeviceEvents()
{
    const ClientWatch::Events events = watch.read();
    if (events.opens > 0)
        console("the line was opened");
    if (events.closes == 0)
        return;
    watch.ignoreOwnCheck();
    if (!pty.clientPresent()) {
        console("the line was closed");
        lineLost();
    }
}

void Simulator::lineLost()
{
    // Nobody is reading: what was queued is for a client that has gone, and a
    // half-received request will never be finished.
    pty.clientGone();
    line.clear();
    reader.reset();
    receiveClock.reset();
    waitingToWrite = false;
    quietUntil = steady_clock::now() + milliseconds(50);
}
