// The "Avaliação" page on a long test: 100,000 records every 10 s (about
// 11,5 days) downloaded into the viewer, then one recomputation as a change
// of choice makes it: the flush of the viewer, the assessment of the table,
// the result texts and the shading on the chart of 3 × 100,000 points.
// The table is written through the viewer's sink; the chart's points are set
// in one go, so that the set-up does not time the chart's own growth.
// Run offscreen.
#include "assessment/RecordTime.h"
#include "forms/AssessmentPage.h"
#include "forms/Visualizar.h"
#include "support/Controls.h"

#include <QApplication>
#include <QComboBox>
#include <QLineSeries>

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdio>

namespace {

constexpr int records = 100000;

void download(TForm5 &viewer)
{
    RecordSeconds t = *recordMoment(QStringLiteral("01/01/26"), QStringLiteral("00:00:00"));
    char text[32];
    std::array<QList<QPointF>, 3> points;
    for (int r = 0; r < records; ++r, t += 10) {
        const int row = r + 1;
        const QString moment = recordMomentText(t); // "dd/mm/aa hh:mm:ss"
        viewer.setViewerCell(row, 0, QString::number(row));
        viewer.setViewerCell(row, 7, moment.left(8));
        viewer.setViewerCell(row, 1, moment.mid(9));
        const double day = std::sin(double(t % 86400) / 86400 * 2 * M_PI);
        const double wet = std::round((22 + 3 * day) * 10) / 10, dry = 30, globe = 35;
        const double values[5] = {wet, dry, globe, 0.7 * wet + 0.3 * globe, 0.7 * wet + 0.2 * globe + 0.1 * dry};
        for (int c = 0; c < 5; ++c) {
            const int n = std::snprintf(text, sizeof text, "%.2f", values[c]);
            for (int i = 0; i < n; ++i)
                if (text[i] == '.')
                    text[i] = ',';
            viewer.setViewerCell(row, 2 + c, QLatin1StringView(text, n));
            if (c < 3)
                points[size_t(c)].append(QPointF(r, values[c]));
        }
    }
    QCoreApplication::processEvents();
    for (size_t s = 0; s < points.size(); ++s)
        viewer.Series[s]->replace(points[s]);
}

void BM_AssessmentPageRecompute(benchmark::State &state)
{
    TForm5 viewer;
    download(viewer);
    AssessmentPage &page = *viewer.TabSheet4;
    int index = 0;
    for (auto _ : state) {
        index = 1 - index;
        control<QComboBox>(page, "ComboIndice")->setCurrentIndex(index); // recomputes at once
    }
    if (page.result().recordsUsed != records || !page.shadedRange())
        state.SkipWithError("the page did not assess every record");
    state.SetItemsProcessed(int64_t(state.iterations()) * records);
}
BENCHMARK(BM_AssessmentPageRecompute)->Unit(benchmark::kMillisecond);

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
