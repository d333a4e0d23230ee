// "Carregar teste" and "Salvar dados" at full size: a test file of 100,000
// records read into the real viewer (table and chart, drawn once on the
// "Grafico" page) and saved from it again, with the process's CPU time; and a
// file whose one record is numbered 2,000,000,000, to show that memory
// follows the records, not the largest record number.
//
// Run offscreen. peak_rss_mb is the process's peak resident size when the
// benchmark ends; the benchmarks run in the order below (sparse first, then
// the load), so the load's figure is its own. rss_growth_mb is the growth of
// the current resident size across one load.

#include "core/SharedState.h"
#include "forms/ViewerActions.h"
#include "forms/Visualizar.h"
#include "recordings/TestFile.h"
#include "recordings/ViewerTable.h"

#include <QApplication>
#include <QChartView>
#include <QFile>
#include <QLineSeries>
#include <QTabWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kRecords = 100000;

double peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

double currentRssMb()
{
    long pages = 0, resident = 0;
    if (std::FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

QByteArray temperature(int i)
{
    const int t = 200 + i % 150;
    return QByteArray::number(t / 10) + ',' + QByteArray::number(t % 10);
}

// The heap in use, as malloc counts it.
double heapBytes()
{
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks + m.hblkhd);
}

// A file as the writer makes it, built without the writer.
QByteArray fileBytes(int records)
{
    QByteArray out =
        "\r\n\r\n[TESTE=]\r\n[CAB1=Fundição]\r\n[CAB2=Forno 3]\r\n[CAB3=Empresa]\r\n[CAB4=Observações]\r\n";
    for (int i = 1; i <= records; ++i) {
        out += "{R" + QByteArray::number(i) + "-" + QByteArray::number(8 + i / 3600 % 24) + ":" +
               QByteArray::number(10 + i / 60 % 50) + ":" + QByteArray::number(10 + i % 50) + "\t" + temperature(i) +
               "\t" + temperature(i + 7) + "\t" + temperature(i + 13) + "\t27,85\t27,34\t01/02/2024\t}\r\n";
    }
    return out;
}

QString writeFile(const QTemporaryDir &dir, const char *name, const QByteArray &bytes)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::abort();
    return path;
}

// The viewer open on its chart, as the operator looks at a loaded test.
void loadAndDraw(const QString &path, bool &ok)
{
    TForm5 viewer;
    viewer.PageControl1->setCurrentWidget(viewer.TabSheet3);
    viewer.show();
    ok = loadIntoViewer(viewer, path);
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(viewer.Chart1->grab());
    ok = ok && viewer.windowTitle().endsWith(QStringLiteral(" Registros"));
}

void BM_LoadOneRecordNumberedTwoBillion(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "esparso.tvq",
                                   "\r\n\r\n[TESTE=]\r\n[CAB1=]\r\n[CAB2=]\r\n[CAB3=]\r\n[CAB4=]\r\n"
                                   "{R2000000000-08:00:00\t24,7\t30,1\t35,2\t27,85\t27,34\t01/02/2024\t}\r\n");
    double growth = 0;
    for (auto _ : state) {
        const double before = currentRssMb();
        bool ok = false;
        loadAndDraw(path, ok);
        growth = currentRssMb() - before;
        if (!ok || shared().viewerRecordCount != 2000000000)
            state.SkipWithError("the record was not read");
    }
    state.counters["rss_growth_mb"] = growth;
    state.counters["peak_rss_mb"] = peakRssMb();
}
BENCHMARK(BM_LoadOneRecordNumberedTwoBillion)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadIntoViewer(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "teste.tvq", fileBytes(kRecords));
    double growth = 0;
    for (auto _ : state) {
        const double before = currentRssMb();
        bool ok = false;
        loadAndDraw(path, ok);
        growth = std::max(growth, currentRssMb() - before);
        if (!ok || shared().viewerRecordCount != kRecords)
            state.SkipWithError("the records were not all read");
    }
    state.counters["peak_rss_mb"] = peakRssMb();
    state.counters["rss_growth_mb"] = growth;
    state.SetItemsProcessed(int64_t(state.iterations()) * kRecords);
}
BENCHMARK(BM_LoadIntoViewer)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->Iterations(3);

// page: 1 the table is shown, 2 the chart.
void BM_LoadedBytesPerRecord(benchmark::State &state)
{
    const int page = int(state.range(0));
    QTemporaryDir dir;
    const QString small = writeFile(dir, "pequeno.tvq", fileBytes(3));
    const QString large = writeFile(dir, "teste.tvq", fileBytes(kRecords));
    bool ok = true;
    auto heldWhileShown = [&](const QString &path) {
        TForm5 viewer;
        viewer.PageControl1->setCurrentIndex(page);
        viewer.show();
        ok = loadIntoViewer(viewer, path) && ok;
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(viewer.PageControl1->currentWidget()->grab());
        return heapBytes();
    };
    double perRecord = 0;
    for (auto _ : state) {
        const double few = heldWhileShown(small);
        const double many = heldWhileShown(large);
        perRecord = (many - few) / (kRecords - 3);
    }
    if (!ok)
        state.SkipWithError("the records were not read");
    state.counters["bytes_per_record"] = perRecord;
    state.counters["peak_rss_mb"] = peakRssMb();
}
BENCHMARK(BM_LoadedBytesPerRecord)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1);

// "Salvar dados" from a viewer holding the loaded test: encoding, the
// temporary file, its sync and the rename.
void BM_SaveFromViewer(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString source = writeFile(dir, "teste.tvq", fileBytes(kRecords));
    TForm5 viewer;
    if (!loadIntoViewer(viewer, source))
        state.SkipWithError("the records were not read");
    TestHeader header;
    for (int field = 1; field <= 4; ++field)
        header[size_t(field - 1)] = viewer.headerField(field);
    const QString target = dir.filePath(QStringLiteral("copia.tvq"));
    for (auto _ : state)
        saveTestFile(target, header, viewer.table());
    if (QFile(target).size() != QFile(source).size())
        state.SkipWithError("the saved file differs in size");
    state.SetItemsProcessed(int64_t(state.iterations()) * kRecords);
}
BENCHMARK(BM_SaveFromViewer)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // A loaded file is kept in the test library: a library of this run's own.
    QTemporaryDir library;
    qputenv("XDG_DATA_HOME", library.path().toUtf8());
    QApplication app(argc, argv);
    QLocale numbers(QLocale::Portuguese, QLocale::Brazil);
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(numbers);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
