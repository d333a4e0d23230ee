// Soak of the link logic: the polling scheduler and the reply parser, driven
// by hand (a hand clock, Timer1 fired at its interval) through 100,000 live
// polls against a scripted meter that misbehaves every few hundred replies:
// silence, a frame cut short, a lost line feed, a stray record opening, noise
// with colons and line feeds, an endless line, a huge number. Every fault
// must be recovered from, that is, a fresh live value read within the reply
// time-out and one poll cycle, and the memory must stay flat.
//
// Counters: polls, faults, recovered (must equal faults), worst recovery in
// hand-clock ms, RSS growth in KiB over the run, the reply field's capacity.
#include "control/PollScheduler.h"
#include "link/CommandSender.h"
#include "link/ReplyTurn.h"
#include "link/protocol.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>

namespace {

long residentKiB()
{
    long pages = 0, resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * 4;
}

struct Soak : SchedulerHost, CommandSender, NullMainWindowSink {
    SharedState state;
    WindowSlots windows; // no viewer or dialog open
    ReplyParser parser{state, *this, windows};
    PollScheduler scheduler{state, *this, *this, windows.viewer};

    std::mt19937 random{20261208};
    int64_t now = 0;
    int interval = PollScheduler::IntervalAtStart;
    int64_t nextTick = 0;
    QByteArray pending;
    QString activity;

    long long polls = 0;
    long long faults = 0;
    long long recovered = 0;
    int64_t worstRecoveryMs = 0;
    int untilFault = 300;
    int64_t faultAt = -1; // when the fault in progress happened
    int serial = 0;       // the wet value of the next live reply

    QByteArray healthy(const QByteArray &c)
    {
        if (c == "@M\r\n")
            return ":W" + QByteArray::number(++serial) + ".5D26.1G31.0\r\n";
        if (c == "@G\r\n")
            return ":G30.5D32.0G40.2\r\n";
        return ":B20.1D21.0G22.2\r\n";
    }

    QByteArray faulty(const QByteArray &c)
    {
        const QByteArray good = healthy(c);
        switch (random() % 8) {
        case 0: return {};                                               // silence
        case 1: return good.left(int(random() % (good.size() - 1)) + 1); // cut
        case 2: return good.chopped(1);                                  // no line feed
        case 3: return good + ":A\r\n";                                  // stray record opening
        case 4: {                                                        // noise
            QByteArray noise;
            for (int i = 0; i < 64; ++i)
                noise += "x:A[=\001C\n\r:W9"[random() % 15];
            return noise + good;
        }
        case 5: return ":W" + QByteArray(4096, '7');    // a line that does not end
        case 6: return ":W1.0e4000D-1e4931G1e5000\r\n"; // absurd numbers
        default: return good.left(3) + "\n" + good;     // a frame broken by a line feed
        }
    }

    bool sendCommand(const QByteArray &c) override
    {
        takeLine(state, c);
        ++polls;
        if (--untilFault == 0) {
            untilFault = 200 + int(random() % 400);
            ++faults;
            if (faultAt < 0)
                faultAt = now;
            pending += faulty(c);
        } else {
            pending += healthy(c);
        }
        return true;
    }

    void run(long long until)
    {
        while (polls < until) {
            now += 10;
            if (now < nextTick)
                continue;
            const long double wetBefore = state.wetReading;
            scheduler.Timer1Timer();
            nextTick = now + interval;
            const QByteArray bytes = std::exchange(pending, {});
            scheduler.received(parser, QByteArrayView(bytes));
            // Recovered: a fresh, well-formed live value after the fault.
            if (faultAt >= 0 && state.wetReading != wetBefore && state.wetReading >= 1) {
                worstRecoveryMs = std::max(worstRecoveryMs, now - faultAt);
                faultAt = -1;
                ++recovered;
            }
        }
    }

    bool liveReadingsPageShown() override { return true; }
    void resetTerminalScreen() override {}
    void setOptionsMenuEnabled(bool) override {}
    void setPollInterval(int ms) override { interval = ms; }
    void clearTestTree() override {}
    void showTestCount(int) override {}
    void addTestNode(const QString &) override {}
    void setDownloadProgress(int, int) override {}
    void setDownloadPosition(int) override {}
    void setUnitMenuEnabled(bool) override {}
    void setStatusText(StatusPanel panel, const QString &t) override
    {
        if (panel == StatusPanel::Activity)
            activity = t;
    }
    QString statusText(StatusPanel panel) const override
    {
        return panel == StatusPanel::Activity ? activity : QString();
    }
    int64_t monotonicMs() override { return now; }
    void setValueLabel(ValueLabel, const QString &) override {}
    void setGaugeValue(int, double) override {}
    void setTestCountText(const QString &) override {}
};

void BM_SoakLivePollingWithFaults(benchmark::State &st)
{
    long growth = 0;
    std::unique_ptr<Soak> soak;
    for (auto _ : st) {
        soak = std::make_unique<Soak>();
        // The first tenth warms the allocator up; the growth is measured over the rest.
        soak->run(10000);
        const long before = residentKiB();
        soak->run(100000);
        growth = residentKiB() - before;
    }
    // The last fault may still be in progress when the run stops.
    const long long unrecovered = soak->faults - soak->recovered - (soak->faultAt >= 0 ? 1 : 0);
    st.counters["polls"] = double(soak->polls);
    st.counters["faults"] = double(soak->faults);
    st.counters["recovered"] = double(soak->recovered);
    st.counters["worst_recovery_ms"] = double(soak->worstRecoveryMs);
    st.counters["rss_growth_KiB"] = double(growth);
    st.counters["field_capacity"] = double(soak->state.replyField.capacity());
    st.counters["hand_hours"] = double(soak->now) / 3.6e6;
    if (unrecovered != 0)
        st.SkipWithError("a fault was not recovered from");
}
BENCHMARK(BM_SoakLivePollingWithFaults)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
