// Latency of the receive path: a byte written on the pseudo-terminal's
// master side until the terminal hands it to OnChar on the GUI thread,
// through poll(), the event thread, the hand-off and the read. Reports the
// median and the 99th percentile in microseconds. /1: a byte that ends a
// frame (a line feed), handed over at once; /0: a byte in the middle of a
// frame, which the event thread holds until the line has been quiet
// (link/ComGathering.h).

#include "link/ComPort.h"
#include "link/ComTerminal.h"
#include "support/Pty.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void BM_ByteToOnChar(benchmark::State &state)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    Pty pty;
    writePortMap(config.path(), {{QStringLiteral("COM1"), pty.slavePath()}});

    QEventLoop loop;
    QTimer guard; // never hang on a lost byte
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    Clock::time_point arrived;
    int received = 0;
    TComPort port;
    TComTerminal terminal;
    terminal.setComPort(&port);
    terminal.OnChar = [&](QObject *, char) {
        arrived = Clock::now();
        ++received;
        loop.quit();
    };
    port.Open();

    std::vector<double> samples;
    samples.reserve(size_t(state.max_iterations));
    const char byte = state.range(0) ? '\n' : 'x';
    for (auto _ : state) {
        const int before = received;
        const Clock::time_point sent = Clock::now();
        pty.write(QByteArray(1, byte));
        guard.start(1000);
        while (received == before && guard.isActive())
            loop.exec();
        if (received == before) {
            state.SkipWithError("a byte did not arrive within 1 s");
            break;
        }
        const double seconds = std::chrono::duration<double>(arrived - sent).count();
        state.SetIterationTime(seconds);
        samples.push_back(seconds * 1e6);
    }
    port.Close();

    std::sort(samples.begin(), samples.end());
    if (!samples.empty()) {
        state.counters["median_us"] = samples[samples.size() / 2];
        state.counters["p99_us"] = samples[std::min(samples.size() - 1, samples.size() * 99 / 100)];
    }
}
BENCHMARK(BM_ByteToOnChar)->Arg(1)->Arg(0)->UseManualTime()->Iterations(2000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
