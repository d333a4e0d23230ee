// The test library at its intended size: 1,000 tests holding 10 million
// records, one of them of 100,000 records. The library is generated once
// (about a minute) into VESTARA_BENCH_LIBRARY, by default
// /tmp/vestara-bench-biblioteca.sqlite, and reused by later runs.
//
// BM_OpenLibrary: opening it as the program does (integrity check included).
// BM_FirstScreen: the Biblioteca window's model, newest first, first page.
// BM_SearchAllTests: a search over every test.
// BM_OpenLargeTest: the 100,000-record test into a viewer's table and chart.
// BM_BytesPerRecord: the file's size over the records it holds.
// BM_ArchiveOneSecond: what archiving costs per second of a paced download
// (25 records at 19200 baud, then the commit); core_percent is that cost as a
// share of one core.

#include "core/ViewerSink.h"
#include "recordings/ViewerTable.h"
#include "recordings/library/LibraryArchiver.h"
#include "recordings/library/LibraryModel.h"
#include "recordings/library/LibraryStore.h"
#include "support/LibraryData.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int Tests = 1000;
constexpr qint64 TotalRecords = 10'000'000;
constexpr int LargeTest = 100'000;

// The viewer's storage: the table and the three series.
struct TableViewer : NullViewerSink {
    ViewerTable table;
    std::vector<std::pair<double, double>> series[3];
    void setViewerCell(int row, int column, QAnyStringView text) override { table.setCell(row, column, text); }
    void addChartPoint(int s, double x, double y) override { series[s].emplace_back(x, y); }
};

QString libraryPath()
{
    const QString chosen = qEnvironmentVariable("VESTARA_BENCH_LIBRARY");
    return chosen.isEmpty() ? QStringLiteral("/tmp/vestara-bench-biblioteca.sqlite") : chosen;
}

const QStringList Companies = {QStringLiteral("Usina Açucareira"), QStringLiteral("Fundição Norte"),
                               QStringLiteral("Cerâmica Sul"), QStringLiteral("Vidraria Central"),
                               QStringLiteral("Padaria Estrela")};

std::unique_ptr<LibraryStore> store; // closed before Qt SQL's own statics go

LibraryStore &library()
{
    if (store)
        return *store;
    const bool exists = QFileInfo::exists(libraryPath());
    store = std::make_unique<LibraryStore>(libraryPath());
    if (!exists || store->testCount({}) < Tests) {
        const int others = int((TotalRecords - LargeTest) / (Tests - 1));
        for (int t = store->testCount({}); t < Tests; ++t) {
            const int records = t == 0 ? LargeTest : others;
            const TestHeader header{QStringLiteral("Forno %1").arg(t), QStringLiteral("Setor %1").arg(t % 12),
                                    Companies[t % Companies.size()], QStringLiteral("perto da porta %1").arg(t)};
            store->addTest(TestOrigin::meter(QStringLiteral("COM1"), t % 30 + 1, records), header,
                           libraryRecords(1, records, 10 + t % 50), TestState::Complete);
        }
    }
    return *store;
}

void BM_OpenLibrary(benchmark::State &state)
{
    library();
    for (auto _ : state) {
        LibraryStore store(libraryPath());
        benchmark::DoNotOptimize(store.path());
    }
}
BENCHMARK(BM_OpenLibrary)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FirstScreen(benchmark::State &state)
{
    LibraryStore &store = library();
    for (auto _ : state) {
        LibraryModel model(store);
        model.sort(LibraryModel::Start, Qt::DescendingOrder);
        benchmark::DoNotOptimize(model.index(0, 0).data());
    }
}
BENCHMARK(BM_FirstScreen)->Unit(benchmark::kMillisecond);

void BM_SearchAllTests(benchmark::State &state)
{
    LibraryStore &store = library();
    LibraryModel model(store);
    int found = 0;
    for (auto _ : state) {
        model.setSearch(QStringLiteral("fundicao porta 7"));
        found = model.matchingTests();
        model.setSearch(QString());
    }
    state.counters["found"] = found;
}
BENCHMARK(BM_SearchAllTests)->Unit(benchmark::kMillisecond);

void BM_OpenLargeTest(benchmark::State &state)
{
    LibraryStore &store = library();
    const qint64 large = store.tests({}).empty() ? 0 : [&] {
        LibraryQuery q;
        q.order = LibraryOrder::Records;
        q.descending = true;
        q.limit = 1;
        return store.tests(q).front().id;
    }();
    for (auto _ : state) {
        TableViewer viewer;
        store.loadTest(large, viewer);
        benchmark::DoNotOptimize(viewer.table.rowCount());
        state.counters["rows"] = viewer.table.rowCount() - 1;
    }
}
BENCHMARK(BM_OpenLargeTest)->Unit(benchmark::kMillisecond);

void BM_BytesPerRecord(benchmark::State &state)
{
    library();
    const double bytes = double(QFileInfo(libraryPath()).size());
    for (auto _ : state)
        benchmark::DoNotOptimize(bytes);
    state.counters["bytes_per_record"] = bytes / double(TotalRecords);
    state.counters["file_mb"] = bytes / 1e6;
}
BENCHMARK(BM_BytesPerRecord)->Iterations(1);

constexpr int Seconds = 2000; // a 50,000-record download

void BM_ArchiveOneSecond(benchmark::State &state)
{
    QTemporaryDir dir;
    LibraryStore store(dir.filePath(QStringLiteral("arquivo.sqlite")));
    NullViewerSink viewer;
    LibraryArchiver archiver(store, viewer);
    archiver.commitIntervalMs = 1 << 30; // committed below, once per simulated second
    archiver.begin(TestOrigin::meter(QStringLiteral("COM1"), 1, 1 << 30));
    constexpr int RecordsPerSecond = 25;
    std::vector<RecordRow> rows;
    for (int i = 1; i <= Seconds * RecordsPerSecond; ++i)
        rows.push_back(libraryRecord(i, 2));
    int n = 0;
    for (auto _ : state) {
        for (int i = 0; i < RecordsPerSecond; ++i) {
            const RecordRow &row = rows[size_t(n++)];
            for (int c : {0, 7, 1, 2, 3, 4, 5, 6})
                archiver.setViewerCell(n, c, row[size_t(c)]);
            archiver.setViewerRecordCount(n);
        }
        archiver.commit();
    }
    // Seconds of CPU per simulated second, as a percentage.
    state.counters["core_percent"] = benchmark::Counter(double(state.iterations()) / 100.0,
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["records"] = n;
}
BENCHMARK(BM_ArchiveOneSecond)->Unit(benchmark::kMicrosecond)->Iterations(Seconds);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    store.reset();
    return 0;
}
