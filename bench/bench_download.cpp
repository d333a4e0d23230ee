// The download of one stored test at the line's pace: the main window and the
// viewer, offscreen and in-process, against vestara-sim at 19200 bit/s. From
// the double-click to the " - n Registros" caption, it reports the time, the
// least time the line needs for the bytes actually exchanged (both ways,
// 10 bits a byte), their ratio, and the client's CPU use meanwhile (the
// simulator runs in its own process and is not counted).
// The download is kept in the test library as it arrives (a library in a
// temporary folder); BM_DownloadUnarchived runs it kept nowhere, for the cost
// of archiving, and BM_DownloadTickDriven with every step waiting for
// Timer1's tick. VESTARA_DOWNLOAD_RECORDS sets the test's size (default 1000).
#include "forms/ErrorReport.h"
#include "forms/Forms.h"
#include "forms/LibraryDownloads.h"
#include "forms/TesteTemperatura.h"
#include "forms/Visualizar.h"
#include "support/Controls.h"
#include "support/Simulator.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double baud = 19200.0;
constexpr double bitsPerByte = 10.0;

double processCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop until done() holds or ms pass, as the program's own
// loop runs: woken by every event. (QTest::qWaitFor sleeps 10 ms between its
// rounds, which would pace the download by its sleeps instead of the line.)
// done() is checked when `changes` is emitted, and every 20 ms without it;
// the check's wake-ups are the benchmark's, not the client's.
template <class Done> bool runUntil(Done done, int ms, QObject *sender = nullptr, void (QWidget::*changes)(const QString &) = nullptr)
{
    QEventLoop loop;
    QTimer check;
    const auto quitWhenDone = [&] {
        if (done())
            loop.quit();
    };
    QObject::connect(&check, &QTimer::timeout, &loop, quitWhenDone);
    if (auto *widget = qobject_cast<QWidget *>(sender); widget && changes)
        QObject::connect(widget, changes, &loop, quitWhenDone);
    else
        check.start(20);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

qint64 requestBytes(const QByteArrayList &requests, qsizetype from)
{
    qint64 n = 0;
    for (qsizetype i = from; i < requests.size(); ++i)
        n += requests[i].size();
    return n;
}

// The median time from each "@r" request to its "@A", and from each "@A" to
// the next "@r", as the simulator logged them, beside the least time of the
// exchange between them on the line.
void printGaps(const QList<LoggedRequest> &log)
{
    std::vector<double> select, fetch;
    for (qsizetype i = 1; i < log.size(); ++i) {
        const double gap = (log[i].seconds - log[i - 1].seconds) * 1000.0;
        if (log[i].bytes == "@A\r\n")
            select.push_back(gap);
        else if (log[i].bytes.startsWith("@r"))
            fetch.push_back(gap);
    }
    auto median = [](std::vector<double> &v) {
        if (v.empty())
            return 0.0;
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    };
    std::printf("median request to request: \"@r\" to \"@A\" %.2f ms (line: %.2f ms), \"@A\" to \"@r\" %.2f ms\n",
                median(select), (4 + 4) * bitsPerByte / baud * 1000.0, median(fetch));
}

// The main window with the early step switched off: every sequence step
// waits for its tick, for comparison.
class TickDrivenMainWindow : public TForm1 {
public:
    void postStep(QObject *, std::function<void()>) override {}
};

// A library that keeps nothing: the download goes to the viewer only.
class UnarchivedMainWindow : public TForm1 {
public:
    UnarchivedMainWindow() { LibraryDownloads::current()->useArchive(std::make_unique<NullTestArchive>()); }
};

template <class MainWindow> void downloadAtLinePace(benchmark::State &st, const char *label)
{
    const int records = qEnvironmentVariableIsSet("VESTARA_DOWNLOAD_RECORDS")
                            ? qEnvironmentVariableIntValue("VESTARA_DOWNLOAD_RECORDS")
                            : 1000;
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("XDG_DATA_HOME", config.filePath("data").toUtf8());
    SimulatorProcess sim;
    if (!sim.start({"--sizes", QString::number(records), "--baud", QString::number(int(baud))}) ||
        !sim.writeSettings(config.path(), 1, 1)) {
        st.SkipWithError("simulator did not start");
        return;
    }
    shared() = SharedState();
    MainWindow w;
    control<QTabWidget>(w, "PageControl1")->setCurrentWidget(control<QWidget>(w, "TabSheet3"));
    w.show();
    qint64 received = 0;
    w.session().terminal().OnStrRecieved = [&received](QObject *, const QByteArray &text) { received += text.size(); };

    control<QAction>(w, "LerTestes1")->trigger();
    if (!runUntil([&] { return w.statusText(2) == QStringLiteral("Leitura finalizada."); }, 10000)) {
        st.SkipWithError("the test list was not read");
        return;
    }
    control<QTreeWidget>(w, "TreeView1")->setCurrentItem(control<QTreeWidget>(w, "TreeView1")->topLevelItem(0));
    const QString done = QStringLiteral(" - %1 Registros").arg(records);

    for (auto _ : st) {
        const qsizetype requestsBefore = sim.requests().size();
        const qint64 receivedBefore = received;
        const double cpu0 = processCpuSeconds();
        QElapsedTimer clock;
        clock.start();
        w.TreeView1DblClick();
        const bool finished = runUntil([&] { return Form5 && Form5->windowTitle().endsWith(done); },
                                       int(records) * 200 + 10000, Form5.data(), &QWidget::windowTitleChanged);
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        const double cpu = processCpuSeconds() - cpu0;
        if (!finished) {
            st.SkipWithError("the download did not finish");
            return;
        }
        // The log is written as requests arrive; the last one is in by now.
        const qint64 sent = requestBytes(sim.requests(), requestsBefore);
        const qint64 answered = received - receivedBefore;
        const double bound = double(sent + answered) * bitsPerByte / baud;
        st.SetIterationTime(seconds);
        st.counters["records"] = records;
        st.counters["line_bytes"] = double(sent + answered);
        st.counters["bound_s"] = bound;
        st.counters["ratio"] = seconds / bound;
        st.counters["cpu_percent"] = 100.0 * cpu / seconds;
        std::printf("%s download of %d records: %.2f s, line bound %.2f s (%lld bytes sent, %lld received), "
                    "ratio %.3f, client CPU %.1f %% of one core\n",
                    label, records, seconds, bound, static_cast<long long>(sent), static_cast<long long>(answered),
                    seconds / bound, 100.0 * cpu / seconds);
        printGaps(sim.loggedRequests().mid(requestsBefore));
        Form5->close();
        runUntil([] { return Form5.isNull(); }, 5000);
    }
}

void BM_DownloadAtLinePace(benchmark::State &st)
{
    downloadAtLinePace<TForm1>(st, "early steps:");
}
void BM_DownloadUnarchived(benchmark::State &st)
{
    downloadAtLinePace<UnarchivedMainWindow>(st, "unarchived:");
}
void BM_DownloadTickDriven(benchmark::State &st)
{
    downloadAtLinePace<TickDrivenMainWindow>(st, "tick-driven:");
}

BENCHMARK(BM_DownloadAtLinePace)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_DownloadUnarchived)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_DownloadTickDriven)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

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
