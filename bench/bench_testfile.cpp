// The test file with 100,000 records: loading it into a table as the viewer
// stores it, and saving such a table. The load's figure includes reading the
// file; peak_rss_mb is the process's peak resident size after the load runs
// (run with --benchmark_filter=Load for the load alone).

#include "core/SharedState.h"
#include "core/ViewerSink.h"
#include "recordings/TestFile.h"
#include "recordings/ViewerTable.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kRecords = 100000;

// The viewer's storage: the sparse table and the three series.
struct TableViewer : NullViewerSink {
    ViewerTable table;
    std::vector<std::pair<double, double>> series[3];
    void setViewerCell(int row, int column, QAnyStringView text) override
    {
        table.setCell(row, column, text.toString());
    }
    void addChartPoint(int s, double x, double y) override { series[s].emplace_back(x, y); }
};

QByteArray recordText(int i)
{
    const int t = 200 + i % 150;
    return QByteArray::number(t / 10) + ',' + QByteArray::number(t % 10);
}

// A file as the writer makes it, built without the writer.
QByteArray fileBytes()
{
    QByteArray out =
        "\r\n\r\n[TESTE=]\r\n[CAB1=Fundição Ação]\r\n[CAB2=Forno 3]\r\n[CAB3=Empresa]\r\n[CAB4=Observações]\r\n";
    for (int i = 1; i <= kRecords; ++i) {
        out += "{R" + QByteArray::number(i) + "-" + QByteArray::number(8 + i / 3600 % 24) + ":" +
               QByteArray::number(10 + i / 60 % 50) + ":" + QByteArray::number(10 + i % 50) + "\t" + recordText(i) +
               "\t" + recordText(i + 7) + "\t" + recordText(i + 13) + "\t27,85\t27,34\t01/02/2024\t}\r\n";
    }
    return out;
}

double peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void BM_LoadTestFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cem-mil.tvq");
    {
        QFile f(path);
        const QByteArray bytes = fileBytes();
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            state.SkipWithError("cannot write the file");
            return;
        }
    }
    for (auto _ : state) {
        SharedState shared;
        TableViewer viewer;
        loadTestFile(path, viewer, shared);
        benchmark::DoNotOptimize(viewer.table.rowCount());
        if (shared.viewerRecordCount != kRecords || viewer.series[2].size() != size_t(kRecords))
            state.SkipWithError("the file did not load whole");
    }
    state.counters["records"] = kRecords;
    state.counters["peak_rss_mb"] = peakRssMb();
}
BENCHMARK(BM_LoadTestFile)->Unit(benchmark::kMillisecond);

// The reader alone: the bytes already in memory, a viewer that keeps nothing.
void BM_ReadTestFileBytes(benchmark::State &state)
{
    const QByteArray bytes = fileBytes();
    for (auto _ : state) {
        SharedState shared;
        NullViewerSink viewer;
        readTestFile(bytes, viewer, shared);
        benchmark::DoNotOptimize(shared.viewerRecordCount);
    }
}
BENCHMARK(BM_ReadTestFileBytes)->Unit(benchmark::kMillisecond);

void BM_SaveTestFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cem-mil.tvq");
    SharedState shared;
    TableViewer viewer;
    readTestFile(fileBytes(), viewer, shared);
    const TestHeader header = {QStringLiteral("Fundição Ação"), QStringLiteral("Forno 3"), QStringLiteral("Empresa"),
                               QStringLiteral("Observações")};
    for (auto _ : state)
        benchmark::DoNotOptimize(saveTestFile(path, header, viewer.table).any());
    state.counters["bytes"] = double(QFile(path).size());
}
BENCHMARK(BM_SaveTestFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
