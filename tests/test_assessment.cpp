// Heat-stress assessment: limits for a metabolic rate, record moments, the
// index read from the viewer's table, the worst hour of constructed tests
// whose answer is known by hand, the verdict and its texts.
#include "assessment/HeatAssessment.h"
#include "assessment/HeatLimits.h"
#include "assessment/RecordTime.h"
#include "recordings/ViewerTable.h"
#include "support/TestData.h"

#include <QtTest>

#include <cmath>

Q_DECLARE_METATYPE(LimitCriterion)
Q_DECLARE_METATYPE(MetabolicClass)
Q_DECLARE_METATYPE(AssessedIndex)
Q_DECLARE_METATYPE(Verdict)

namespace {

constexpr int None = -1;

// One record of a constructed test: date, time and the index text, written
// into both index columns; the temperatures are left empty unless given.
struct Rec {
    Rec() = default;
    Rec(QString d, QString t, QString i, QString w = {}, QString dr = {}, QString g = {})
        : date(std::move(d))
        , time(std::move(t))
        , index(std::move(i))
        , wet(std::move(w))
        , dry(std::move(dr))
        , globe(std::move(g))
    {
    }
    QString date;
    QString time;
    QString index;
    QString wet, dry, globe;
};

ViewerTable tableOf(const QList<Rec> &recs)
{
    ViewerTable t;
    int row = 1;
    for (const Rec &r : recs) {
        t.setCell(row, 0, QString::number(row));
        t.setCell(row, 1, r.time);
        t.setCell(row, 2, r.wet);
        t.setCell(row, 3, r.dry);
        t.setCell(row, 4, r.globe);
        t.setCell(row, 5, r.index);
        t.setCell(row, 6, r.index);
        t.setCell(row, 7, r.date);
        ++row;
    }
    return t;
}

// count records every `step` seconds from date/time; value(i) gives the index.
QList<Rec> series(const QString &date, const QString &time, int count, int step,
                  const std::function<QString(int)> &value)
{
    const RecordSeconds start = *recordMoment(date, time);
    QList<Rec> recs;
    for (int i = 0; i < count; ++i) {
        const QString moment = recordMomentText(start + RecordSeconds(i) * step);
        recs.append({moment.left(8), moment.mid(9), value(i)});
    }
    return recs;
}

RecordSeconds at(const char *date, const char *time)
{
    return *recordMoment(QString::fromLatin1(date), QString::fromLatin1(time));
}

AssessmentOptions options(double watts = 300, LimitCriterion c = LimitCriterion::Nr15, double increment = 0)
{
    AssessmentOptions o;
    o.metabolicRateW = watts;
    o.criterion = c;
    o.clothingIncrement = increment;
    return o;
}

} // namespace

Q_DECLARE_METATYPE(Rec)

class AssessmentTest : public QObject {
    Q_OBJECT
private slots:
    void limit_data()
    {
        QTest::addColumn<LimitCriterion>("criterion");
        QTest::addColumn<double>("watts");
        QTest::addColumn<int>("tenths");
        const auto nr = LimitCriterion::Nr15;
        const auto iso = LimitCriterion::Iso7243Acclimatised;
        const auto non = LimitCriterion::Iso7243NonAcclimatised;
        QTest::newRow("NR-15 first row, 100 W, is 33,7") << nr << 100.0 << 337;
        QTest::newRow("NR-15 101 W still rounds to 33,7") << nr << 101.0 << 337;
        QTest::newRow("NR-15 102 W is 33,6") << nr << 102.0 << 336;
        QTest::newRow("NR-15 178 W is 30,8") << nr << 178.0 << 308;
        QTest::newRow("NR-15 332 W is 27,7") << nr << 332.0 << 277;
        QTest::newRow("NR-15 last row, 606 W, is 24,7") << nr << 606.0 << 247;
        QTest::newRow("NR-15 has no limit at 99 W") << nr << 99.0 << None;
        QTest::newRow("NR-15 has no limit just below 100 W") << nr << 99.99 << None;
        QTest::newRow("NR-15 has no limit at 607 W") << nr << 607.0 << None;
        QTest::newRow("ISO acclimatised gives the NR-15 value inside the table") << iso << 332.0 << 277;
        QTest::newRow("ISO acclimatised gives a limit beyond NR-15's table") << iso << 650.0 << 244;
        QTest::newRow("ISO acclimatised at 1000 W is exactly 22,2") << iso << 1000.0 << 222;
        QTest::newRow("ISO not acclimatised 115 W is 30,8") << non << 115.0 << 308;
        QTest::newRow("ISO not acclimatised 300 W is 25,0") << non << 300.0 << 250;
        QTest::newRow("ISO not acclimatised 520 W is 21,6") << non << 520.0 << 216;
        QTest::newRow("ISO not acclimatised 1000 W is exactly 17,6") << non << 1000.0 << 176;
        QTest::newRow("a rate of zero has no limit") << iso << 0.0 << None;
        QTest::newRow("a negative rate has no limit") << non << -300.0 << None;
        QTest::newRow("a rate that is not a number has no limit") << iso << double(NAN) << None;
        QTest::newRow("an infinite rate has no limit") << iso << double(INFINITY) << None;
    }
    void limit()
    {
        QFETCH(LimitCriterion, criterion);
        QFETCH(double, watts);
        QFETCH(int, tenths);
        const auto got = limitTenths(criterion, watts);
        QCOMPARE(got.value_or(None), tenths);
    }

    void classes_data()
    {
        QTest::addColumn<MetabolicClass>("cls");
        QTest::addColumn<double>("watts");
        QTest::addColumn<int>("acclimatised");
        QTest::addColumn<int>("notAcclimatised");
        QTest::newRow("class 0, resting") << MetabolicClass::Resting << 115.0 << 330 << 308;
        QTest::newRow("class 1, low") << MetabolicClass::Low << 180.0 << 308 << 281;
        QTest::newRow("class 2, moderate") << MetabolicClass::Moderate << 300.0 << 282 << 250;
        QTest::newRow("class 3, high") << MetabolicClass::High << 415.0 << 266 << 230;
        QTest::newRow("class 4, very high") << MetabolicClass::VeryHigh << 520.0 << 255 << 216;
    }
    void classes()
    {
        QFETCH(MetabolicClass, cls);
        QCOMPARE(metabolicRate(cls), FETCHED(double, watts));
        QCOMPARE(limitTenths(LimitCriterion::Nr15, metabolicRate(cls)).value_or(None), FETCHED(int, acclimatised));
        QCOMPARE(limitTenths(LimitCriterion::Iso7243NonAcclimatised, metabolicRate(cls)).value_or(None),
                 FETCHED(int, notAcclimatised));
        QVERIFY(!metabolicClassName(cls).isEmpty());
    }

    // Every whole rate of NR-15's table lies clearly on one side of a half
    // tenth, so no rounding detail can move a row; the limits fall as the
    // rate rises, one tenth at a time at most.
    void nr15TableRowsAreUnambiguous()
    {
        int previous = 338;
        for (int m = 100; m <= 606; ++m) {
            const long double t = limitFormula(LimitCriterion::Nr15, m) * 10.0L;
            const long double fromHalf = std::fabs(t - std::floor(t) - 0.5L);
            QVERIFY2(fromHalf > 1e-4L, qPrintable(QString::number(m)));
            const int tenths = *limitTenths(LimitCriterion::Nr15, m);
            QVERIFY(tenths == previous || tenths == previous - 1);
            previous = tenths;
        }
        QCOMPARE(previous, 247);
    }

    void moment_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<qint64>("seconds");
        const qint64 bad = -1;
        QTest::newRow("the count starts at 01/01/00 midnight") << "01/01/00"
                                                               << "00:00:00" << qint64(0);
        QTest::newRow("the next day") << "02/01/00"
                                      << "00:00:00" << qint64(86400);
        QTest::newRow("29 February of a leap year") << "29/02/24"
                                                    << "12:30:15" << qint64(762525015);
        QTest::newRow("the last second of 2099") << "31/12/99"
                                                 << "23:59:59" << qint64(3155759999);
        QTest::newRow("a four-digit year is the same day") << "29/02/2024"
                                                           << "12:30:15" << qint64(762525015);
        QTest::newRow("single digits and blanks around") << " 10/3/26 "
                                                         << " 8:0:0" << qint64(826444800);
        QTest::newRow("29 February of a common year") << "29/02/25"
                                                      << "12:00:00" << bad;
        QTest::newRow("31 April") << "31/04/26"
                                  << "12:00:00" << bad;
        QTest::newRow("day 32") << "32/01/26"
                                << "12:00:00" << bad;
        QTest::newRow("day 0") << "00/01/26"
                               << "12:00:00" << bad;
        QTest::newRow("month 13") << "12/13/26"
                                  << "12:00:00" << bad;
        QTest::newRow("three-digit year") << "12/03/026"
                                          << "12:00:00" << bad;
        QTest::newRow("letters in the date") << "ab/cd/ef"
                                             << "12:00:00" << bad;
        QTest::newRow("empty date") << ""
                                    << "12:00:00" << bad;
        QTest::newRow("a fourth date field") << "12/03/26/1"
                                             << "12:00:00" << bad;
        QTest::newRow("hour 24") << "12/03/26"
                                 << "24:00:00" << bad;
        QTest::newRow("minute 60") << "12/03/26"
                                   << "10:60:00" << bad;
        QTest::newRow("second 60") << "12/03/26"
                                   << "10:00:60" << bad;
        QTest::newRow("time without seconds") << "12/03/26"
                                              << "10:00" << bad;
        QTest::newRow("empty field in the time") << "12/03/26"
                                                 << "10::00" << bad;
        QTest::newRow("a sign in the time") << "12/03/26"
                                            << "-1:00:00" << bad;
        QTest::newRow("period instead of colon") << "12/03/26"
                                                 << "10.00.00" << bad;
    }
    void moment()
    {
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(qint64, seconds);
        const auto got = recordMoment(date, time);
        QCOMPARE(got ? qint64(*got) : qint64(-1), seconds);
        if (got && date.trimmed().size() == 8)
            QCOMPARE(recordMomentText(*got), date.trimmed() + QLatin1Char(' ') + time.trimmed());
    }

    void spacingAcrossCalendarEnds()
    {
        QCOMPARE(qint64(at("01/02/26", "00:00:10") - at("31/01/26", "23:59:50")), qint64(20));
        QCOMPARE(qint64(at("01/01/26", "00:00:00") - at("31/12/25", "23:59:00")), qint64(60));
        QCOMPARE(qint64(at("01/03/24", "00:00:00") - at("28/02/24", "00:00:00")), qint64(2 * 86400));
        QCOMPARE(qint64(at("01/03/25", "00:00:00") - at("28/02/25", "00:00:00")), qint64(86400));
        QCOMPARE(recordMomentText(at("01/01/00", "00:00:00") - 1), QStringLiteral("31/12/1999 23:59:59"));
    }

    // Hot spells and tests built so that the worst hour is known by hand.
    void worstHour_data()
    {
        QTest::addColumn<QList<Rec>>("recs");
        QTest::addColumn<qint64>("start");
        QTest::addColumn<qint64>("end");
        QTest::addColumn<int>("firstRow");
        QTest::addColumn<int>("lastRow");
        QTest::addColumn<double>("mean");
        QTest::addColumn<bool>("shorter");

        // 4 h of one-minute records at 25,0; 10:00 to 10:59 at 30,0.
        QTest::newRow("a hot hour in the middle")
            << series("10/03/26", "08:00:00", 240, 60, [](int i) { return i >= 120 && i < 180 ? "30,0" : "25,0"; })
            << qint64(at("10/03/26", "10:00:00")) << qint64(at("10/03/26", "11:00:00")) << 121 << 180 << 30.0 << false;
        // 3 h at 25,0, the last 30 min at 31,0: the window ends where the last
        // record's minute ends, half of it hot.
        QTest::newRow("a hot spell at the very end")
            << series("10/03/26", "08:00:00", 180, 60, [](int i) { return i >= 150 ? "31,0" : "25,0"; })
            << qint64(at("10/03/26", "10:00:00")) << qint64(at("10/03/26", "11:00:00")) << 121 << 180 << 28.0 << false;
        // 23:00 to 00:59 across the end of January, hot from 23:45 to 00:44.
        QTest::newRow("a hot hour across midnight and the month's end")
            << series("31/01/26", "23:00:00", 120, 60, [](int i) { return i >= 45 && i < 105 ? "33,4" : "26,0"; })
            << qint64(at("31/01/26", "23:45:00")) << qint64(at("01/02/26", "00:45:00")) << 46 << 105 << 33.4 << false;
        // Steps [0,600) 26, [600,1200) 26, [1200,1260) 40, [1260,2460) 30, then
        // 26 every 600 s. Every window holding 1200..2460 is equally bad:
        // (40·60 + 30·1200 + 26·2340)/3600 = 27,5666..., the earliest from 0 s.
        QTest::newRow("uneven intervals weigh each record by its duration")
            << QList<Rec>{{"10/03/26", "08:00:00", "26"}, {"10/03/26", "08:10:00", "26"},
                          {"10/03/26", "08:20:00", "40"}, {"10/03/26", "08:21:00", "30"},
                          {"10/03/26", "08:41:00", "26"}, {"10/03/26", "08:51:00", "26"},
                          {"10/03/26", "09:01:00", "26"}, {"10/03/26", "09:11:00", "26"}}
            << qint64(at("10/03/26", "08:00:00")) << qint64(at("10/03/26", "09:00:00")) << 1 << 6 << 99240.0 / 3600
            << false;
        // Steps [0,1800) 30, [1800,2800) 20, [2800,3800) 40, [3800,4800) 20
        // (the last for the median gap, 1000 s). The integral rises by 10 per
        // second of start up to 200 s and falls after: the window starts inside
        // the first record and ends where the third ends; 108000/3600 = 30.
        QTest::newRow("the best window ends where a record ends and starts inside one")
            << QList<Rec>{{"10/03/26", "08:00:00", "30"},
                          {"10/03/26", "08:30:00", "20"},
                          {"10/03/26", "08:46:40", "40"},
                          {"10/03/26", "09:03:20", "20"}}
            << qint64(at("10/03/26", "08:03:20")) << qint64(at("10/03/26", "09:03:20")) << 1 << 3 << 30.0 << false;
        // 59 one-minute records: 29 at 27, 30 at 29; mean over 59 minutes.
        QTest::newRow("a test of 59 minutes gives the mean over what exists")
            << series("10/03/26", "08:00:00", 59, 60, [](int i) { return i < 29 ? "27" : "29"; })
            << qint64(at("10/03/26", "08:00:00")) << qint64(at("10/03/26", "08:59:00")) << 1 << 59
            << (29 * 27.0 + 30 * 29.0) / 59 << true;
        QTest::newRow("a test of exactly 60 minutes is a full hour")
            << series("10/03/26", "08:00:00", 60, 60, [](int i) { return i < 30 ? "27" : "29"; })
            << qint64(at("10/03/26", "08:00:00")) << qint64(at("10/03/26", "09:00:00")) << 1 << 60 << 28.0 << false;
        // Records of the same moment: only the last of them holds.
        QTest::newRow("of records with the same moment only the last counts")
            << QList<Rec>{{"10/03/26", "08:00:00", "25"},
                          {"10/03/26", "08:00:00", "90"},
                          {"10/03/26", "08:00:00", "27"},
                          {"10/03/26", "08:30:00", "29"}}
            << qint64(at("10/03/26", "08:00:00")) << qint64(at("10/03/26", "09:00:00")) << 3 << 4 << 28.0 << false;
    }
    void worstHour()
    {
        QFETCH(QList<Rec>, recs);
        QFETCH(qint64, start);
        QFETCH(qint64, end);
        const AssessmentResult r = assessTest(tableOf(recs), options());
        QVERIFY(r.windowFound);
        QCOMPARE(recordMomentText(r.windowStart), recordMomentText(start));
        QCOMPARE(recordMomentText(r.windowEnd), recordMomentText(end));
        QCOMPARE(qint64(r.windowSeconds), end - start);
        QCOMPARE(r.firstRow, FETCHED(int, firstRow));
        QCOMPARE(r.lastRow, FETCHED(int, lastRow));
        QVERIFY2(std::fabs(r.mean - FETCHED(double, mean)) < 1e-9, qPrintable(QString::number(r.mean, 'g', 17)));
        QCOMPARE(r.shorterThanHour, FETCHED(bool, shorter));
        QCOMPARE(r.recordsUsed, recs.size());
        QCOMPARE(r.leftOutMoment + r.leftOutValue, 0);
    }

    // Unreadable moments are left out and counted; they neither add their
    // value nor open a gap: the neighbours stay one minute apart.
    void unreadableMomentsAreLeftOut()
    {
        QList<Rec> recs = series("10/03/26", "08:00:00", 60, 60, [](int) { return "25"; });
        const QList<Rec> broken = {{"32/01/26", "08:10:30", "60"}, {"", "08:20:30", "60"},
                                   {"ab/cd/ef", "08:30:30", "60"}, {"10/03/26", "24:00:00", "60"},
                                   {"10/03/26", "", "60"},         {"29/02/26", "08:40:30", "60"}};
        for (int i = 0; i < broken.size(); ++i)
            recs.insert(10 * (i + 1), broken[i]);
        const AssessmentResult r = assessTest(tableOf(recs), options());
        QCOMPARE(r.recordsRead, 66);
        QCOMPARE(r.leftOutMoment, 6);
        QCOMPARE(r.leftOutValue, 0);
        QCOMPARE(r.recordsUsed, 60);
        QCOMPARE(r.mean, 25.0);
        QCOMPARE(qint64(r.windowSeconds), qint64(3600));
        QVERIFY(!r.shorterThanHour);
        QCOMPARE(qint64(r.samplingInterval), qint64(60));
        QVERIFY(noteTexts(r).contains(QStringLiteral("6 registros ignorados (data, hora ou valor ilegível).")));
    }

    // A row is a record when it holds any text; empty rows (the empty row 1
    // of a test without records) are not counted.
    void emptyAndSingleRecordTests()
    {
        ViewerTable empty;
        AssessmentResult r = assessTest(empty, options());
        QCOMPARE(r.recordsRead, 0);
        QCOMPARE(r.verdict, Verdict::NoData);
        QVERIFY(!r.assessedTenths);
        QCOMPARE(verdictText(r), QStringLiteral("Sem conclusão: não há registros com data, hora e IBUTGi legíveis."));

        // One record has no sampling interval, so it covers no time.
        r = assessTest(tableOf({{"10/03/26", "08:00:00", "25"}}), options());
        QCOMPARE(r.recordsUsed, 1);
        QCOMPARE(r.verdict, Verdict::NoData);
    }

    void outOfOrderRowsAreSortedIn()
    {
        // The clock set back: the rows are read in time order.
        const QList<Rec> recs = {{"10/03/26", "08:30:00", "29"}, {"10/03/26", "08:00:00", "27"},
                                 {"10/03/26", "08:10:00", "27"}, {"10/03/26", "08:20:00", "27"},
                                 {"10/03/26", "08:40:00", "29"}, {"10/03/26", "08:50:00", "29"}};
        const AssessmentResult r = assessTest(tableOf(recs), options());
        QCOMPARE(r.outOfOrder, 1);
        QCOMPARE(r.recordsUsed, 6);
        QCOMPARE(r.windowStart, at("10/03/26", "08:00:00"));
        QCOMPARE(r.firstRow, 2);
        QCOMPARE(r.lastRow, 6);
        QCOMPARE(r.mean, 28.0);
        QVERIFY(!r.shorterThanHour);
    }

    // Where a record's index comes from.
    void indexSource_data()
    {
        QTest::addColumn<AssessedIndex>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("wet");
        QTest::addColumn<QString>("dry");
        QTest::addColumn<QString>("globe");
        QTest::addColumn<double>("value"); // NAN: left out
        const auto in = AssessedIndex::Indoor;
        const auto out = AssessedIndex::Outdoor;
        QTest::newRow("the index text is used") << in << "30,5"
                                                << "25"
                                                << "30"
                                                << "35" << 30.5;
        QTest::newRow("an empty index is computed indoors") << in << ""
                                                            << "25"
                                                            << "30"
                                                            << "35" << 28.0;
        QTest::newRow("an empty index is computed outdoors") << out << ""
                                                             << "25"
                                                             << "30"
                                                             << "35" << 27.5;
        QTest::newRow("an unreadable index is computed") << in << "x"
                                                         << "25"
                                                         << "30"
                                                         << "35" << 28.0;
        QTest::newRow("the text is used without temperatures") << out << "27,25"
                                                               << ""
                                                               << ""
                                                               << "" << 27.25;
        QTest::newRow("an unreadable wet value spoils the index text") << in << "30"
                                                                       << "2x"
                                                                       << "30"
                                                                       << "35" << double(NAN);
        QTest::newRow("an unreadable globe value spoils the index text") << out << "30"
                                                                         << "25"
                                                                         << "30"
                                                                         << "?" << double(NAN);
        QTest::newRow("an unreadable dry value does not matter indoors") << in << "30"
                                                                         << "25"
                                                                         << "x"
                                                                         << "35" << 30.0;
        QTest::newRow("an unreadable dry value spoils the outdoor index") << out << "30"
                                                                          << "25"
                                                                          << "x"
                                                                          << "35" << double(NAN);
        QTest::newRow("no index and a missing globe value") << in << ""
                                                            << "25"
                                                            << "30"
                                                            << "" << double(NAN);
        QTest::newRow("an index text with a period does not read") << in << "30.5"
                                                                   << ""
                                                                   << ""
                                                                   << "" << double(NAN);
        // What no meter measures (below -100 °C, above 200 °C) counts as text.
        QTest::newRow("an index of 1E308 is left out") << in << "1E308"
                                                       << ""
                                                       << ""
                                                       << "" << double(NAN);
        QTest::newRow("an index above 200 °C is computed from the temperatures") << in << "200,1"
                                                                                 << "25"
                                                                                 << "30"
                                                                                 << "35" << 28.0;
        QTest::newRow("-100 °C is still measured") << in << "-100"
                                                   << ""
                                                   << ""
                                                   << "" << -100.0;
        QTest::newRow("a wet value of 1E308 spoils the index text") << in << "30"
                                                                    << "1E308"
                                                                    << "30"
                                                                    << "35" << double(NAN);
        QTest::newRow("a dry value below -100 °C spoils the outdoor index") << out << "30"
                                                                            << "25"
                                                                            << "-100,5"
                                                                            << "35" << double(NAN);
    }
    void indexSource()
    {
        QFETCH(AssessedIndex, index);
        QFETCH(QString, text);
        QFETCH(double, value);
        const Rec rec{"", "", text, FETCHED(QString, wet), FETCHED(QString, dry), FETCHED(QString, globe)};
        QList<Rec> recs;
        for (const char *time : {"08:00:00", "08:01:00"}) {
            Rec r = rec;
            r.date = "10/03/26";
            r.time = time;
            recs << r;
        }
        AssessmentOptions o = options();
        o.index = index;
        const AssessmentResult r = assessTest(tableOf(recs), o);
        if (std::isnan(value)) {
            QCOMPARE(r.leftOutValue, 2);
            QCOMPARE(r.verdict, Verdict::NoData);
        } else {
            QCOMPARE(r.leftOutValue, 0);
            QVERIFY2(std::fabs(r.mean - value) < 1e-12, qPrintable(QString::number(r.mean, 'g', 17)));
            QVERIFY(r.shorterThanHour);
        }
    }

    void verdict_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<double>("watts");
        QTest::addColumn<LimitCriterion>("criterion");
        QTest::addColumn<double>("increment");
        QTest::addColumn<Verdict>("verdict");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("margin");
        QTest::addColumn<QString>("text");
        const auto nr = LimitCriterion::Nr15;
        const auto iso = LimitCriterion::Iso7243Acclimatised;
        const auto non = LimitCriterion::Iso7243NonAcclimatised;
        QTest::newRow("below the limit is within it")
            << "27" << 300.0 << nr << 0.0 << Verdict::Within << 282 << 12
            << "Dentro do limite: IBUTGi de 27,0 °C não ultrapassa o limite de 28,2 °C (margem de 1,2 °C).";
        QTest::newRow("at the limit is within it with no margin")
            << "28,2" << 300.0 << nr << 0.0 << Verdict::Within << 282 << 0
            << "Dentro do limite: IBUTGi de 28,2 °C não ultrapassa o limite de 28,2 °C (margem de 0,0 °C).";
        QTest::newRow("a half tenth rounds up before the comparison")
            << "28,15" << 300.0 << nr << 0.0 << Verdict::Within << 282 << 0
            << "Dentro do limite: IBUTGi de 28,2 °C não ultrapassa o limite de 28,2 °C (margem de 0,0 °C).";
        QTest::newRow("the clothing increment pushes the mean over the limit")
            << "27,8" << 300.0 << nr << 0.5 << Verdict::Exceeded << 282 << -1
            << "Acima do limite: IBUTGi de 28,3 °C ultrapassa o limite de 28,2 °C em 0,1 °C.";
        QTest::newRow("workers not acclimatised have the lower limit")
            << "27" << 300.0 << non << 0.0 << Verdict::Exceeded << 250 << -20
            << "Acima do limite: IBUTGi de 27,0 °C ultrapassa o limite de 25,0 °C em 2,0 °C.";
        QTest::newRow("NR-15 gives no verdict beyond its table")
            << "27" << 650.0 << nr << 0.0 << Verdict::RateOutsideNr15 << None << None
            << "Sem conclusão: a taxa metabólica de 650 W está fora do Quadro 1 da NR-15 (100 a 606 W).";
        QTest::newRow("ISO gives a verdict beyond NR-15's table")
            << "25" << 650.0 << iso << 0.0 << Verdict::Exceeded << 244 << -6
            << "Acima do limite: IBUTGi de 25,0 °C ultrapassa o limite de 24,4 °C em 0,6 °C.";
        QTest::newRow("a rate of zero is refused") << "27" << 0.0 << iso << 0.0 << Verdict::InvalidInput << None << None
                                                   << "Sem conclusão: a taxa metabólica deve ser maior que zero.";
        QTest::newRow("a negative clothing increment is refused")
            << "27" << 300.0 << nr << -1.0 << Verdict::InvalidInput << 282 << None
            << "Sem conclusão: o acréscimo pela vestimenta deve ser zero ou positivo.";
        QTest::newRow("an increment that is not a number is refused")
            << "27" << 300.0 << nr << double(NAN) << Verdict::InvalidInput << 282 << None
            << "Sem conclusão: o acréscimo pela vestimenta deve ser zero ou positivo.";
        QTest::newRow("an increment no int holds in tenths is refused")
            << "27" << 300.0 << nr << 1e300 << Verdict::InvalidInput << 282 << None
            << "Sem conclusão: o acréscimo pela vestimenta é grande demais.";
        QTest::newRow("indices of 1E308 give no verdict, not an overflow")
            << "1E308" << 300.0 << nr << 0.0 << Verdict::NoData << 282 << None
            << "Sem conclusão: não há registros com data, hora e IBUTGi legíveis.";
    }
    void verdict()
    {
        QFETCH(QString, value);
        const AssessmentResult r =
            assessTest(tableOf(series("10/03/26", "08:00:00", 90, 60, [&](int) { return value; })),
                       options(FETCHED(double, watts), FETCHED(LimitCriterion, criterion), FETCHED(double, increment)));
        QCOMPARE(r.verdict, FETCHED(Verdict, verdict));
        QCOMPARE(r.limitTenths.value_or(None), FETCHED(int, limit));
        QCOMPARE(r.marginTenths.value_or(None), FETCHED(int, margin));
        QCOMPARE(verdictText(r), FETCHED(QString, text));
    }

    // Less than an hour of records gives a mean but no verdict, whichever
    // side of the limit that mean lies.
    void shortTestsGiveNoVerdict_data()
    {
        QTest::addColumn<int>("minutes"); // records a minute apart
        QTest::addColumn<QString>("value");
        QTest::addColumn<Verdict>("verdict");
        QTest::addColumn<QString>("text");
        QTest::newRow("25 minutes below the limit")
            << 25 << "25" << Verdict::ShortTest
            << "Sem conclusão: o teste cobre só 25 min; a avaliação pede os 60 minutos mais críticos.";
        QTest::newRow("59 minutes above the limit")
            << 59 << "33" << Verdict::ShortTest
            << "Sem conclusão: o teste cobre só 59 min; a avaliação pede os 60 minutos mais críticos.";
        QTest::newRow("a whole hour gives the verdict")
            << 60 << "25" << Verdict::Within
            << "Dentro do limite: IBUTGi de 25,0 °C não ultrapassa o limite de 28,2 °C (margem de 3,2 °C).";
    }
    void shortTestsGiveNoVerdict()
    {
        QFETCH(QString, value);
        const AssessmentResult r = assessTest(
            tableOf(series("10/03/26", "08:00:00", FETCHED(int, minutes), 60, [&](int) { return value; })), options());
        QCOMPARE(r.verdict, FETCHED(Verdict, verdict));
        QCOMPARE(verdictText(r), FETCHED(QString, text));
        QCOMPARE(r.meanTenths.value_or(None), value.toInt() * 10);
        QCOMPARE(r.limitTenths.value_or(None), 282);
    }

    void fahrenheitTestsAreAssessedInCelsius()
    {
        AssessmentOptions o = options();
        o.unit = RecordedUnit::Fahrenheit;
        const AssessmentResult r =
            assessTest(tableOf(series("10/03/26", "08:00:00", 60, 60, [](int) { return "82,4"; })), o);
        QVERIFY(std::fabs(r.mean - 28.0) < 1e-12);
        QCOMPARE(r.assessedTenths.value_or(None), 280);
        QCOMPARE(r.verdict, Verdict::Within);
        QCOMPARE(r.marginTenths.value_or(None), 2);
    }

    void texts()
    {
        QCOMPARE(tenthsText(277), QStringLiteral("27,7 °C"));
        QCOMPARE(tenthsText(0), QStringLiteral("0,0 °C"));
        QCOMPARE(tenthsText(-3), QStringLiteral("-0,3 °C"));
        QCOMPARE(tenthsText(-25), QStringLiteral("-2,5 °C"));

        const AssessmentResult cross = assessTest(
            tableOf(series("31/01/26", "23:00:00", 120, 60, [](int i) { return i >= 45 && i < 105 ? "33" : "26"; })),
            options(650, LimitCriterion::Iso7243Acclimatised, 1.5));
        QCOMPARE(windowText(cross),
                 QStringLiteral("De 31/01/26 23:45:00 a 01/02/26 00:45:00 (registros das linhas 46 a 105)"));
        QCOMPARE(noteTexts(cross),
                 QStringList({QStringLiteral("A taxa metabólica de 650 W está fora da faixa da NR-15 (100 a 606 W)."),
                              QStringLiteral("Inclui acréscimo de 1,5 °C pela vestimenta.")}));
        QCOMPARE(cross.meanTenths.value_or(None), 330);
        QCOMPARE(cross.assessedTenths.value_or(None), 345);

        const AssessmentResult shortTest =
            assessTest(tableOf(series("10/03/26", "08:00:00", 45, 50, [](int) { return "25"; })), options());
        QCOMPARE(noteTexts(shortTest),
                 QStringList(QStringLiteral("Teste com menos de 60 minutos: média sobre 37 min 30 s.")));
        QCOMPARE(criterionName(LimitCriterion::Iso7243NonAcclimatised), QStringLiteral("ISO 7243 (não aclimatizado)"));
    }
};

QTEST_GUILESS_MAIN(AssessmentTest)
#include "test_assessment.moc"
