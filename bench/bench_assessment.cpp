// Heat-stress assessment of a long test: 100,000 records every 10 s (about
// 11,5 days), the index wandering with a daily cycle. The search alone, and
// the whole assessment from the viewer's table (reading dates, times and
// decimal-comma texts).
#include "assessment/HeatAssessment.h"
#include "assessment/RecordTime.h"
#include "assessment/WorstHour.h"
#include "recordings/ViewerTable.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

constexpr int Records = 100000;

std::vector<IndexSample> samples()
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> noise(-0.8, 0.8);
    std::vector<IndexSample> s;
    s.reserve(Records);
    RecordSeconds t = *recordMoment(QStringLiteral("01/01/26"), QStringLiteral("00:00:00"));
    for (int i = 0; i < Records; ++i) {
        const double day = std::sin(double(t % 86400) / 86400 * 2 * M_PI);
        s.push_back({t, std::round((26 + 4 * day + noise(rng)) * 10) / 10});
        t += (i % 97 == 0) ? 13 : 10; // a few uneven gaps
    }
    return s;
}

void BM_WorstHourSearch(benchmark::State &st)
{
    const auto s = samples();
    for (auto _ : st) {
        WorstWindow w = findWorstWindow(s);
        benchmark::DoNotOptimize(w);
    }
    st.SetItemsProcessed(st.iterations() * Records);
}
BENCHMARK(BM_WorstHourSearch)->Unit(benchmark::kMillisecond);

void BM_AssessTable(benchmark::State &st)
{
    ViewerTable table;
    int row = 1;
    for (const IndexSample &x : samples()) {
        const QString moment = recordMomentText(x.moment);
        const QString value = QString::number(x.value, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','));
        table.setCell(row, 0, QString::number(row));
        table.setCell(row, 1, moment.mid(9));
        table.setCell(row, 5, value);
        table.setCell(row, 6, value);
        table.setCell(row, 7, moment.left(8));
        ++row;
    }
    AssessmentOptions o;
    o.metabolicRateW = 300;
    for (auto _ : st) {
        AssessmentResult r = assessTest(table, o);
        if (r.recordsUsed != Records)
            st.SkipWithError("records left out");
        benchmark::DoNotOptimize(r);
    }
    st.SetItemsProcessed(st.iterations() * Records);
}
BENCHMARK(BM_AssessTable)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
