// Reply parser throughput on a realistic mixed stream (live values, maxima,
// minima and stored records, as a download interleaves them) and on live
// frames alone; and the same mixed stream through the client's whole receive
// path (port thread, terminal, per-byte callback).
#include "link/ComPort.h"
#include "link/ComTerminal.h"
#include "link/protocol.h"
#include "support/FakeComPlatform.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

// Counts the writes into every window; each part derives from its null sink.
struct CountingSink : NullMainWindowSink, NullViewerSink, NullCalibrationSink, NullSampleRateSink {
    long long writes = 0;
    QObject window;
    WindowSlots windows;
    CountingSink()
    {
        windows.viewer.attach(&window, this);
        windows.calibration.attach(&window, this);
        windows.sampleRate.attach(&window, this);
    }
    void setStatusText(StatusPanel, const QString &) override { ++writes; }
    void setMaxMinLabel(MaxMinLabel, const QString &) override { ++writes; }
    void setMemoryMaximum(int) override { ++writes; }
    void setMemoryPosition(int) override { ++writes; }
    void showMessage(const QString &, const QString &) override { ++writes; }
    void setCalibrationReading(int, const QString &) override { ++writes; }
    void checkSampleUnit(bool) override { ++writes; }
    void setSampleInterval(const QString &) override { ++writes; }
    void setViewerCell(int, int, QAnyStringView) override { ++writes; }
    void addChartPoint(int, double, double) override { ++writes; }
    void setViewerRecordCount(int) override { ++writes; }
};

QByteArray mixedStream()
{
    QByteArray s;
    for (int i = 0; i < 200; ++i) {
        s += ":W25.3D26.1G31.0\r\n:G30.5D32.0G40.2\r\n:B20.1D21.7G22.9\r\n";
        s += ":R" + QByteArray::number(i) + "\r\n:r" + QByteArray::number(i) + "\r\n";
        s += ":A REG[" + QByteArray::number(1000 + i) + "]12/05/24 10:" + QByteArray::number(10 + i % 50) +
             ":30 UMI=24.7\001 SEC=25.1\001 GLO=30.0\001 FIM C";
    }
    return s;
}

void BM_ReplyParserMixedStream(benchmark::State &st)
{
    const QByteArray stream = mixedStream();
    SharedState state;
    CountingSink sink;
    ReplyParser parser(state, sink, sink.windows);
    for (auto _ : st) {
        state.recordIndex = 0;
        parser.feed(stream);
        benchmark::DoNotOptimize(sink.writes);
    }
    st.SetBytesProcessed(int64_t(st.iterations()) * stream.size());
}
BENCHMARK(BM_ReplyParserMixedStream);

void BM_ReplyParserLiveFrames(benchmark::State &st)
{
    QByteArray stream;
    for (int i = 0; i < 1000; ++i)
        stream += ":W25.3D26.1G31.0\r\n";
    SharedState state;
    CountingSink sink;
    ReplyParser parser(state, sink, sink.windows);
    for (auto _ : st)
        parser.feed(stream);
    st.SetBytesProcessed(int64_t(st.iterations()) * stream.size());
}
BENCHMARK(BM_ReplyParserLiveFrames);

// The client's real receive path: bytes read by the port's event thread from
// the (scripted) device, handed to the user-interface thread read by read,
// put on the terminal's screen and fed to the parser one at a time, as the
// main window wires them (there through the scheduler, which adds a flag
// test per byte). Includes the thread hand-off; bytes per second are counted
// against the CPU time of both threads.
void BM_ReceivePathMixedStream(benchmark::State &st)
{
    const QByteArray stream = mixedStream();
    auto platform = std::make_shared<FakeComPlatform>();
    TComPort port(nullptr, platform);
    TComTerminal terminal;
    terminal.setComPort(&port);
    SharedState state;
    CountingSink sink;
    ReplyParser parser(state, sink, sink.windows);
    qint64 delivered = 0;
    terminal.OnChars = [&](QObject *, QByteArrayView bytes) {
        for (char ch : bytes)
            parser.feed(ch);
        delivered += bytes.size();
    };
    port.Gathering().ends = QByteArray(ReplyParser::frameEnds); // as the meter session sets it
    port.setPort(QStringLiteral("1"));
    port.setConnected(true);
    for (auto _ : st) {
        state.recordIndex = 0;
        const qint64 target = delivered + stream.size();
        platform->device()->receive(stream);
        // Asleep until the hand-off wakes this thread, as the program's loop.
        while (delivered < target)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    port.setConnected(false);
    st.SetBytesProcessed(int64_t(st.iterations()) * stream.size());
}
// CPU time of the whole process, so that the event thread counts too.
BENCHMARK(BM_ReceivePathMixedStream)->MeasureProcessCPUTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
