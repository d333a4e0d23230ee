// vestara-sim: the heat-stress meter on a pseudo-terminal, for running and
// testing the client without the instrument. See --help.

#include "Console.h"
#include "DeviceLink.h"
#include "Faults.h"
#include "Meter.h"
#include "PseudoTerminal.h"
#include "RequestLog.h"
#include "SimOptions.h"
#include "Simulator.h"
#include "StoredTests.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

constexpr uint64_t kDefaultSeed = 19200;

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

// SIGINT, SIGTERM and SIGHUP stop the loop cleanly (so the link is removed);
// they are blocked except while the loop waits, so none slips in between a
// check of the flag and the wait. Returns the mask to wait with.
sigset_t installStopSignals()
{
    sigset_t stopSignals, previous;
    sigemptyset(&stopSignals);
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&stopSignals, sig);
        sigaction(sig, &action, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);
    sigprocmask(SIG_BLOCK, &stopSignals, &previous);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigdelset(&previous, sig);
    return previous;
}

MeterSetup meterSetup(const SimOptions &o, Random &random)
{
    MeterSetup setup;
    setup.centres = {o.wet, o.dry, o.globe};
    setup.drift = o.drift;
    setup.fahrenheit = o.fahrenheit;
    setup.intervalUnit = o.intervalUnit;
    setup.interval = o.interval;
    setup.memoryCapacity = o.memoryCapacity;
    setup.testCountText = o.testCountText;
    setup.recordCountText = o.recordCountText;
    const int intervalSeconds = o.interval * (o.intervalUnit ? 60 : 1);
    setup.tests = makeStoredTests(plannedTestSizes(o, random), setup.centres, intervalSeconds, random);
    return setup;
}

FaultPlan faultPlan(const SimOptions &o)
{
    FaultPlan plan;
    plan.silentAfter = o.silentAfter;
    plan.dropAfter = o.dropAfter;
    plan.garbageBytes = o.garbageBytes;
    plan.garbageEvery = o.garbageEvery;
    for (const SimOptions::Cut &c : o.cuts)
        plan.cuts.push_back({c.reply, c.keep});
    for (const SimOptions::Inject &i : o.injections)
        plan.injections.push_back({i.reply, i.bytes});
    plan.noLineFeedAfter = o.noLineFeedAfter;
    plan.floodRate = o.floodRate;
    return plan;
}

int simulate(const SimOptions &o)
{
    const sigset_t waitMask = installStopSignals();
    if (o.exitWithParent) {
        const pid_t parent = getppid();
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            return 0; // the parent is already gone
    }
    prctl(PR_SET_TIMERSLACK, 1UL); // pacing wakes up every half millisecond

    Random random(o.seed.value_or(kDefaultSeed));
    Meter meter(meterSetup(o, random), random);
    RequestLog log;
    if (!o.logPath.empty() && !log.open(o.logPath))
        throw std::runtime_error("cannot write the log " + o.logPath + ": " + std::strerror(errno));
    PseudoTerminal pty;
    pty.open();
    Faults faults(faultPlan(o), random);
    Simulator simulator({o.baud, std::chrono::milliseconds(o.delayMs)}, pty, meter, faults, log);

    // Only now, with the device watched, may a client learn where it is.
    DeviceLink link;
    if (!o.linkPath.empty())
        link.create(o.linkPath, pty.slavePath());
    std::printf("%s\n", pty.slavePath().c_str());
    std::fflush(stdout);
    console(meter.describe() + " on " + pty.slavePath() + (o.linkPath.empty() ? "" : " (link " + o.linkPath + ")") +
            ", " + (o.baud ? std::to_string(o.baud) + " bit/s" : "unpaced"));
    simulator.run(&stopRequested, waitMask);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const OptionsResult parsed = parseOptions(argc, argv);
    if (parsed.help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (!parsed.error.empty()) {
        console(parsed.error + " (see --help)");
        return 2;
    }
    try {
        return simulate(parsed.options);
    } catch (const std::exception &e) {
        console(e.what());
        return 1;
    }
}
