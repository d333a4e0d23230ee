// CPU time used by the client against a meter paced like the real line
// (simulator at 19200 baud): on "Medições" the live poll (one request a
// second); on "Testes" the test list read ("Ler Testes": "@T", "@R" n per
// test, "@F", on 10 ms ticks) started again each time it ends, so that the
// page is measured at work; and "Testes" idle, with nothing to do, where the
// wake-ups (voluntary context switches of the whole process) are counted
// too. CPU time, not wall time, so that a
// loaded machine changes the figure little. The simulator runs in its own
// process and is not counted. VESTARA_POLL_SECONDS sets the length of each
// run (default 60).
#include "forms/ErrorReport.h"
#include "forms/TesteTemperatura.h"
#include "support/Controls.h"
#include "support/Simulator.h"

#include <QEventLoop>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

double processCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long processWakeUps()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_nvcsw;
}

enum class Page { Medicoes, Testes, TestesIdle };

void pollFor(benchmark::State &st, Page page)
{
    const int seconds =
        qEnvironmentVariableIsSet("VESTARA_POLL_SECONDS") ? qEnvironmentVariableIntValue("VESTARA_POLL_SECONDS") : 60;
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    SimulatorProcess sim;
    if (!sim.start({"--baud", "19200"}) || !sim.writeSettings(config.path(), 1, 1)) {
        st.SkipWithError("simulator did not start");
        return;
    }
    shared() = SharedState();
    TForm1 w;
    w.show();
    control<QTabWidget>(w, "PageControl1")
        ->setCurrentWidget(page == Page::Medicoes ? control<QWidget>(w, "TabSheet1")
                                                  : control<QWidget>(w, "TabSheet3"));
    QTimer again; // "Ler Testes" once more whenever the last read has ended
    if (page == Page::Testes) {
        QObject::connect(&again, &QTimer::timeout, &w, [&w] {
            if (!shared().sequenceActive)
                w.LerTestes1Click();
        });
        again.start(100);
    }
    for (auto _ : st) {
        QEventLoop settle;
        QTimer::singleShot(2000, &settle, &QEventLoop::quit);
        settle.exec();
        const int requestsBefore = int(sim.requests().size());
        const double cpu0 = processCpuSeconds();
        const long wakeUps0 = processWakeUps();
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        const double cpu = processCpuSeconds() - cpu0;
        st.counters["wakeups_per_second"] = double(processWakeUps() - wakeUps0) / seconds;
        st.SetIterationTime(seconds);
        st.counters["cpu_percent"] = 100.0 * cpu / seconds;
        st.counters["cpu_seconds"] = cpu;
        st.counters["requests"] = int(sim.requests().size()) - requestsBefore;
    }
}

void BM_PollingCpuMedicoes(benchmark::State &st)
{
    pollFor(st, Page::Medicoes);
}
void BM_PollingCpuTestes(benchmark::State &st)
{
    pollFor(st, Page::Testes);
}
void BM_PollingCpuTestesIdle(benchmark::State &st)
{
    pollFor(st, Page::TestesIdle);
}

BENCHMARK(BM_PollingCpuMedicoes)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_PollingCpuTestes)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_PollingCpuTestesIdle)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    GuardedApplication app(argc, argv);
    GuardedApplication::setApplicationName(QStringLiteral("VESTARA"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
