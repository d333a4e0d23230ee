// The report and the export of long tests: the export of 100,000 records to
// a workbook, the opening of a report window of 10,000 records (its sheet and
// grid) and the printing of that report to PDF.
#include "forms/Relatorio.h"
#include "recordings/FileOpener.h"
#include "recordings/SpreadsheetExport.h"
#include "recordings/ViewerTable.h"
#include "sheet/ReportContent.h"
#include "sheet/SheetPainter.h"

#include <QApplication>
#include <QDir>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

ViewerTable tableOf(int records)
{
    ViewerTable table;
    for (int n = 1; n <= records; ++n) {
        const int s = n * 5;
        table.setCell(n, 0, QString::number(n));
        table.setCell(n, 1,
                      QStringLiteral("%1:%2:%3")
                          .arg(s / 3600 % 24, 2, 10, QChar('0'))
                          .arg(s / 60 % 60, 2, 10, QChar('0'))
                          .arg(s % 60, 2, 10, QChar('0')));
        table.setCell(n, 2, QStringLiteral("24,%1").arg(n % 10));
        table.setCell(n, 3, QStringLiteral("31,%1").arg(n % 10));
        table.setCell(n, 4, QStringLiteral("40,%1").arg(n % 10));
        table.setCell(n, 5, QStringLiteral("27,%1").arg(n % 100));
        table.setCell(n, 6, QStringLiteral("26,%1").arg(n % 100));
        table.setCell(n, 7, QStringLiteral("08/12/2026"));
    }
    return table;
}

struct NoOpener : FileOpener {
    bool open(const QString &) override { return true; }
};

const report::HeaderTexts header{QStringLiteral("Fulano"), QStringLiteral("Fundição"), QStringLiteral("Tavenor"),
                                 QStringLiteral("Forno 2")};

void BM_Export(benchmark::State &state)
{
    const ViewerTable table = tableOf(int(state.range(0)));
    QTemporaryDir dir;
    NoOpener opener;
    for (auto _ : state) {
        const QString path = exportSpreadsheet(table, opener, QDateTime::currentDateTime(), dir.path());
        state.PauseTiming();
        QFile::remove(path);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Export)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ReportContent(benchmark::State &state)
{
    const ViewerTable table = tableOf(int(state.range(0)));
    for (auto _ : state) {
        ReportContent content(table, header, QDateTime::currentDateTime());
        benchmark::DoNotOptimize(content.lastRow());
    }
}
BENCHMARK(BM_ReportContent)->Arg(10000)->Unit(benchmark::kMillisecond);

// The window as the viewer's "Imprimir" opens it: content, grid, shown.
void BM_ReportWindowOpens(benchmark::State &state)
{
    const ViewerTable table = tableOf(int(state.range(0)));
    for (auto _ : state) {
        TForm3 *window = TForm3::open(table, header);
        QApplication::processEvents();
        state.PauseTiming();
        delete window;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReportWindowOpens)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ReportPdf(benchmark::State &state)
{
    const ReportContent content(tableOf(int(state.range(0))), header, QDateTime::currentDateTime());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    int pages = 0;
    for (auto _ : state) {
        QPdfWriter pdf(path);
        pdf.setResolution(1200);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pages = printSheet(content.sheet(), content.printArea(), pdf, path);
    }
    state.counters["pages"] = pages;
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_ReportPdf)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
