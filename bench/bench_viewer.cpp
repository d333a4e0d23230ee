// The test viewer under a long download: 100,000 records written as the reply
// parser writes them (eight cells as Latin-1 views, three chart points), the
// event loop turning every 100 records as it does between serial batches; and
// the time to paint the table's viewport once the test is in, while scrolling.
// Run offscreen; the peak resident size is that of the whole process.
#include "forms/Visualizar.h"

#include <QApplication>
#include <QChartView>
#include <QDeadlineTimer>
#include <QLineSeries>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int records = 100000;
constexpr int recordsPerTurn = 100;

double peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

void download(TForm5 &viewer)
{
    char number[16];
    char time[16];
    char wet[16];
    char dry[16];
    char globe[16];
    for (int r = 0; r < records; ++r) {
        const int row = r + 1;
        const int nr = std::snprintf(number, sizeof number, "%d", 1000 + r);
        const int nt = std::snprintf(time, sizeof time, "%02d:%02d:%02d", r / 3600 % 24, r / 60 % 60, r % 60);
        const double w = 20 + r % 70 / 10.0, d = 25 + r % 50 / 10.0, g = 30 + r % 90 / 10.0;
        const int nw = std::snprintf(wet, sizeof wet, "%.1f", w);
        const int nd = std::snprintf(dry, sizeof dry, "%.1f", d);
        const int ng = std::snprintf(globe, sizeof globe, "%.1f", g);
        wet[nw - 2] = dry[nd - 2] = globe[ng - 2] = ','; // as the parser turns periods into commas
        viewer.setViewerCell(row, 0, QLatin1StringView(number, nr));
        viewer.setViewerCell(row, 7, QLatin1StringView("12/05/24"));
        viewer.setViewerCell(row, 1, QLatin1StringView(time, nt));
        viewer.setViewerCell(row, 2, QLatin1StringView(wet, nw));
        viewer.addChartPoint(0, r, w);
        viewer.setViewerCell(row, 3, QLatin1StringView(dry, nd));
        viewer.addChartPoint(1, r, d);
        viewer.setViewerCell(row, 4, QLatin1StringView(globe, ng));
        viewer.addChartPoint(2, r, g);
        viewer.setViewerCell(row, 5, QLatin1StringView("29,71"));
        viewer.setViewerCell(row, 6, QLatin1StringView("28,84"));
        viewer.setViewerRecordCount(row);
        if (row % recordsPerTurn == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
}

// page: 1 the table is shown during the download, 2 the chart.
void BM_ViewerDownload(benchmark::State &state)
{
    const int page = int(state.range(0));
    for (auto _ : state) {
        TForm5 viewer;
        viewer.PageControl1->setCurrentIndex(page);
        viewer.show();
        QCoreApplication::processEvents();
        download(viewer);
        // The view is told of the last records, and a shown chart takes the
        // last points, within their intervals: the wait is idle and not
        // counted, what it runs (the last announcement, hand-over and paint) is.
        auto caughtUp = [&] {
            return viewer.StringGrid1->model()->rowCount() == records &&
                   (page != 2 || viewer.Series[2]->count() == records);
        };
        QDeadlineTimer deadline(10000);
        while (!caughtUp() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        QCoreApplication::processEvents();
        if (viewer.StringGrid1->model()->rowCount() != records || viewer.seriesPoints(2).size() != records)
            state.SkipWithError("the viewer did not take every record");
    }
    state.counters["peakRSS_MB"] = peakResidentMegabytes();
    state.SetItemsProcessed(int64_t(state.iterations()) * records);
}
BENCHMARK(BM_ViewerDownload)->Arg(1)->Arg(2)->Iterations(3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// One page down and a synchronous paint of the table's viewport.
void BM_ViewerTableScrollPaint(benchmark::State &state)
{
    TForm5 viewer;
    viewer.show();
    QCoreApplication::processEvents();
    download(viewer);
    QScrollBar *bar = viewer.StringGrid1->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    for (auto _ : state) {
        bar->setValue(bar->value() + bar->pageStep() > bar->maximum() ? 0 : bar->value() + bar->pageStep());
        viewer.StringGrid1->viewport()->repaint();
    }
    state.counters["peakRSS_MB"] = peakResidentMegabytes();
}
BENCHMARK(BM_ViewerTableScrollPaint)->Unit(benchmark::kMicrosecond);

// A repaint of the chart page with 3 × 100,000 points.
void BM_ViewerChartPaint(benchmark::State &state)
{
    TForm5 viewer;
    viewer.PageControl1->setCurrentIndex(2);
    viewer.show();
    QCoreApplication::processEvents();
    download(viewer);
    for (auto _ : state)
        viewer.Chart1->viewport()->repaint();
}
BENCHMARK(BM_ViewerChartPaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
