// The worst-hour search against an independent dense evaluation: random
// tests are laid out second by second and every whole-second window start is
// tried, in integer tenths, so the search's claim (the best window has an edge
// on a record boundary) is checked rather than assumed.
#include "assessment/WorstHour.h"

#include <QtTest>

#include <algorithm>
#include <random>

namespace {

struct Dense {
    int64_t bestTenthSeconds = -1; // sum of tenths over the best window's seconds
    RecordSeconds bestStart = 0;   // earliest start reaching it
    int64_t covered = 0;
    int optima = 1; // whole-second starts reaching it
};

int64_t medianGap(const std::vector<RecordSeconds> &moments)
{
    std::vector<int64_t> gaps;
    for (size_t i = 1; i < moments.size(); ++i)
        if (moments[i] > moments[i - 1])
            gaps.push_back(moments[i] - moments[i - 1]);
    if (gaps.empty())
        return 0;
    std::sort(gaps.begin(), gaps.end());
    return gaps[(gaps.size() - 1) / 2];
}

// Values are whole tenths; the second t holds the value of the last record
// whose moment is not after t.
Dense denseSearch(const std::vector<RecordSeconds> &moments, const std::vector<int> &tenths, int64_t window)
{
    Dense d;
    const RecordSeconds begin = moments.front();
    const RecordSeconds end = moments.back() + medianGap(moments);
    std::vector<int64_t> perSecond(size_t(end - begin), 0);
    size_t k = 0;
    for (RecordSeconds t = begin; t < end; ++t) {
        while (k + 1 < moments.size() && moments[k + 1] <= t)
            ++k;
        perSecond[size_t(t - begin)] = tenths[k];
    }
    const int64_t span = end - begin;
    const int64_t w = std::min(window, span);
    d.covered = w;
    int64_t sum = 0;
    for (int64_t t = 0; t < w; ++t)
        sum += perSecond[size_t(t)];
    d.bestTenthSeconds = sum;
    d.bestStart = begin;
    for (int64_t s = 1; s + w <= span; ++s) {
        sum += perSecond[size_t(s + w - 1)] - perSecond[size_t(s - 1)];
        if (sum > d.bestTenthSeconds) {
            d.bestTenthSeconds = sum;
            d.bestStart = begin + s;
            d.optima = 1;
        } else if (sum == d.bestTenthSeconds) {
            ++d.optima;
        }
    }
    return d;
}

} // namespace

class AssessmentWindowTest : public QObject {
    Q_OBJECT
private slots:
    void samplingIntervalIsTheMedianGap_data()
    {
        QTest::addColumn<QList<qint64>>("moments");
        QTest::addColumn<qint64>("interval");
        QTest::newRow("regular minutes") << QList<qint64>{0, 60, 120, 180} << qint64(60);
        QTest::newRow("one long pause does not move it") << QList<qint64>{0, 60, 3660, 3720} << qint64(60);
        QTest::newRow("an even count takes the lower middle gap") << QList<qint64>{0, 30, 120} << qint64(30);
        QTest::newRow("equal moments are no gap") << QList<qint64>{0, 0, 0, 90, 90} << qint64(90);
        QTest::newRow("one record has none") << QList<qint64>{500} << qint64(0);
        QTest::newRow("only equal moments have none") << QList<qint64>{7, 7} << qint64(0);
    }
    void samplingIntervalIsTheMedianGap()
    {
        QFETCH(QList<qint64>, moments);
        std::vector<IndexSample> s;
        for (qint64 m : moments)
            s.push_back({m, 25});
        QTEST(qint64(samplingInterval(s)), "interval");
    }

    void randomTestsMatchTheDenseSearch()
    {
        std::mt19937_64 rng(20261208);
        auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        int shortTests = 0, ties = 0;
        for (int run = 0; run < 400; ++run) {
            const int n = pick(1, 220);
            const int base = pick(1, 120);
            std::vector<RecordSeconds> moments;
            std::vector<int> tenths;
            RecordSeconds t = pick(0, 1000000);
            const bool coarse = run % 5 == 0; // few distinct values: many equal windows
            for (int i = 0; i < n; ++i) {
                moments.push_back(t);
                tenths.push_back(coarse ? 250 + 10 * pick(0, 2) : pick(150, 400));
                const int kind = pick(0, 19);
                t += kind == 0 ? 0 : kind == 1 ? pick(200, 1500) : kind < 6 ? pick(1, 3 * base) : base;
            }
            std::vector<IndexSample> samples;
            for (int i = 0; i < n; ++i)
                samples.push_back({moments[size_t(i)], tenths[size_t(i)] / 10.0});

            const WorstWindow w = findWorstWindow(samples);
            const RecordSeconds end = moments.back() + medianGap(moments);
            if (end == moments.front()) {
                QVERIFY(!w.found);
                continue;
            }
            const Dense d = denseSearch(moments, tenths, WorstWindowSeconds);
            const QString where = QStringLiteral("run %1, %2 records").arg(run).arg(n);
            QVERIFY2(w.found, qPrintable(where));
            QCOMPARE(qint64(w.coveredSeconds), qint64(d.covered));
            QCOMPARE(w.shorterThanWindow, d.covered < WorstWindowSeconds);
            shortTests += w.shorterThanWindow;
            QVERIFY2(std::fabs(double(w.integral * 10) - double(d.bestTenthSeconds)) < 1e-6, qPrintable(where));
            QVERIFY2(std::fabs(w.mean - double(d.bestTenthSeconds) / 10 / double(d.covered)) < 1e-9, qPrintable(where));
            QCOMPARE(qint64(w.start), qint64(d.bestStart));
            QCOMPARE(qint64(w.end), qint64(d.bestStart + d.covered));
            // The records reported at the window's ends hold at its first and
            // last second.
            auto holds = [&](int k, RecordSeconds at) {
                const RecordSeconds next = size_t(k) + 1 < moments.size() ? moments[size_t(k) + 1] : end;
                return moments[size_t(k)] <= at && at < next;
            };
            QVERIFY2(holds(w.firstSample, w.start), qPrintable(where));
            QVERIFY2(holds(w.lastSample, w.end - 1), qPrintable(where));
            // Runs with several equally bad windows check that the earliest wins.
            ties += d.optima > 1;
        }
        QVERIFY(shortTests > 10);
        QVERIFY(ties > 20);
    }

    // A step of value that is not on any sample grid: the best start lies
    // between the candidates a whole-sample search would try.
    void bestStartInsideARecord()
    {
        // [0,1800) 30, [1800,2800) 20, [2800,3800) 40, [3800,4800) 20.
        const std::vector<IndexSample> s = {{0, 30}, {1800, 20}, {2800, 40}, {3800, 20}};
        const WorstWindow w = findWorstWindow(s);
        QCOMPARE(qint64(w.start), qint64(200));
        QCOMPARE(qint64(w.end), qint64(3800));
        QCOMPARE(w.mean, 30.0);
        QCOMPARE(w.firstSample, 0);
        QCOMPARE(w.lastSample, 2);
    }

    void nothingToSearch()
    {
        QVERIFY(!findWorstWindow({}).found);
        QVERIFY(!findWorstWindow({{100, 30}}).found);
        QVERIFY(!findWorstWindow({{100, 30}, {100, 31}}).found);
    }
};

QTEST_GUILESS_MAIN(AssessmentWindowTest)
#include "test_assessment_window.moc"
