// The table's rows keep their eight texts in one buffer, Latin-1 until a text
// needs more; cells written in any order and encoding read back as written.
// The model tells its views of new rows at a fixed cadence, and the viewer's
// readers see buffered chart points without the chart taking them.
#include "forms/AssessmentPage.h"
#include "forms/Visualizar.h"
#include "recordings/ChartEnvelope.h"
#include "recordings/ViewerTable.h"
#include "recordings/ViewerTableModel.h"

#include <QElapsedTimer>
#include <QLineSeries>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

using Writes = QList<QPair<int, QString>>; // column, text, in writing order

class ViewerTableTest : public QObject {
    Q_OBJECT
private slots:
    void cellsReadBackAsWritten_data();
    void cellsReadBackAsWritten();
    void viewsOfEveryEncodingAreKept();
    void blankRows_data();
    void blankRows();
    void firstRecordAfterAQuietSpellIsShownInTheNextTurn();
    void recordsArrivingEveryTurnAreAnnouncedAtMostEvery200ms();
    void readersSeeBufferedPointsWithoutTheChartTakingThem();
    void assessmentPageShownAssessesWhatArrivedAtOnce();
    void chartEnvelope_data();
    void chartEnvelope();
};

void ViewerTableTest::cellsReadBackAsWritten_data()
{
    QTest::addColumn<Writes>("writes");
    QTest::addColumn<QStringList>("expected"); // the eight cells

    QTest::newRow("a record written as the parser writes it: number, date, then the rest")
        << Writes{{0, "1000"}, {7, "12/05/24"}, {1, "08:10:10"}, {2, "24,7"},
                  {3, "30,1"}, {4, "35,2"},     {5, "29,71"},    {6, "28,84"}}
        << QStringList{"1000", "08:10:10", "24,7", "30,1", "35,2", "29,71", "28,84", "12/05/24"};
    QTest::newRow("a cell rewritten longer and shorter moves the cells after it")
        << Writes{{0, "1"}, {1, "a"}, {2, "b"}, {1, "longer text"}, {2, ""}, {1, "x"}}
        << QStringList{"1", "x", "", "", "", "", "", ""};
    QTest::newRow("a text beyond Latin-1 widens the row and keeps the earlier cells")
        << Writes{{0, "Fundição"}, {3, "€ 3"}, {5, "ñ"}} << QStringList{"Fundição", "", "", "€ 3", "", "ñ", "", ""};
    QTest::newRow("Latin-1 written into a widened row") << Writes{{4, "Ω"}, {2, "açúcar"}, {4, "1,5"}, {7, "fim"}}
                                                        << QStringList{"", "", "açúcar", "", "1,5", "", "", "fim"};
    QTest::newRow("a text outside the basic plane")
        << Writes{{6, QString::fromUcs4(U"\U0001F321 quente")}, {0, "7"}}
        << QStringList{"7", "", "", "", "", "", QString::fromUcs4(U"\U0001F321 quente"), ""};
    QTest::newRow("a long text") << Writes{{1, QString(70000, QLatin1Char('z'))}, {2, "depois"}}
                                 << QStringList{"", QString(70000, QLatin1Char('z')), "depois", "", "", "", "", ""};
}

void ViewerTableTest::cellsReadBackAsWritten()
{
    QFETCH(Writes, writes);
    QFETCH(QStringList, expected);
    ViewerTable table;
    for (const auto &[column, text] : writes) {
        table.setCell(1, column, text);
        table.setCell(5000, column, text); // a sparse row takes the same
    }
    for (int row : {1, 5000}) {
        const ViewerTable::Row *cells = table.row(row);
        QVERIFY(cells);
        for (int c = 0; c < ViewerTable::ColumnCount; ++c) {
            QCOMPARE(table.cell(row, c), expected[c]);
            QCOMPARE((*cells)[size_t(c)], expected[c]);
        }
        QCOMPARE((*cells)[size_t(ViewerTable::ColumnCount)], QString());
    }
    // The titles stay as they were.
    QCOMPARE(table.cell(0, 7), QStringLiteral("Data"));
}

void ViewerTableTest::viewsOfEveryEncodingAreKept()
{
    ViewerTable table;
    const char latin1[] = "Observa\xE7\xF5"
                          "es";
    table.setCell(1, 0, QLatin1StringView(latin1));
    table.setCell(1, 1, QUtf8StringView("Observações"));
    table.setCell(1, 2, QUtf8StringView("ascii"));
    table.setCell(1, 3, u"€");
    table.setCell(1, 4, QLatin1StringView("\xFF"));
    QCOMPARE(table.cell(1, 0), QStringLiteral("Observações"));
    QCOMPARE(table.cell(1, 1), QStringLiteral("Observações"));
    QCOMPARE(table.cell(1, 2), QStringLiteral("ascii"));
    QCOMPARE(table.cell(1, 3), QStringLiteral("€"));
    QCOMPARE(table.cell(1, 4), QStringLiteral("ÿ"));
}

void ViewerTableTest::blankRows_data()
{
    QTest::addColumn<QStringList>("texts"); // columns 0, 1, ...
    QTest::addColumn<bool>("blank");

    QTest::newRow("nothing but empty cells") << QStringList{"", "", ""} << true;
    QTest::newRow("spaces, tabs and a no-break space") << QStringList{" ", "\t", "\u00A0"} << true;
    QTest::newRow("an ideographic space in a widened row") << QStringList{"\u3000", " "} << true;
    QTest::newRow("one character among spaces") << QStringList{" ", " x "} << false;
    QTest::newRow("a character beyond Latin-1") << QStringList{"", "€"} << false;
}

void ViewerTableTest::blankRows()
{
    QFETCH(QStringList, texts);
    QFETCH(bool, blank);
    ViewerTable table;
    for (int c = 0; c < texts.size(); ++c)
        table.setCell(1, c, texts[c]);
    QCOMPARE(table.row(1)->isBlank(), blank);
}

void ViewerTableTest::firstRecordAfterAQuietSpellIsShownInTheNextTurn()
{
    ViewerTableModel model;
    model.setCell(1, 0, u"1");
    QCoreApplication::processEvents();
    QCOMPARE(model.rowCount(), 1);
    QTest::qWait(ViewerTableModel::AnnounceIntervalMs + 50); // quiet
    model.setCell(2, 0, u"2");
    QCOMPARE(model.rowCount(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(model.rowCount(), 2);
}

void ViewerTableTest::recordsArrivingEveryTurnAreAnnouncedAtMostEvery200ms()
{
    ViewerTableModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QElapsedTimer clock;
    clock.start();
    int row = 1;
    while (clock.elapsed() < 700) {
        for (int c = 0; c < ViewerTable::ColumnCount; ++c)
            model.setCell(row, c, QString::number(row));
        ++row;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qWait(2);
    }
    const qint64 elapsed = clock.elapsed();
    QTRY_COMPARE_WITH_TIMEOUT(model.rowCount(), row - 1, 5000);
    QVERIFY2(inserted.count() >= 2, qPrintable(QString::number(inserted.count()))); // it followed the writes
    QVERIFY2(inserted.count() <= elapsed / ViewerTableModel::AnnounceIntervalMs + 2,
             qPrintable(QStringLiteral("%1 announcements in %2 ms").arg(inserted.count()).arg(elapsed)));
    QCOMPARE(model.index(row - 2, 7).data().toString(), QString::number(row - 1));
}

void ViewerTableTest::readersSeeBufferedPointsWithoutTheChartTakingThem()
{
    TForm5 viewer; // the chart page is not shown
    QSignalSpy replaced(viewer.Series[1], &QXYSeries::pointsReplaced);
    viewer.addChartPoint(1, 2, 20);
    viewer.addChartPoint(1, 0, 18);
    viewer.flushPending();
    viewer.addChartPoint(1, 3, 21);
    viewer.addChartPoint(1, 1, 19); // before a point the chart has
    const int handedOver = replaced.count();
    QCOMPARE(viewer.seriesPoints(1), (QList<QPointF>{{0, 18}, {1, 19}, {2, 20}, {3, 21}}));
    QCOMPARE(replaced.count(), handedOver);
    QCOMPARE(viewer.Series[1]->count(), 2);
    viewer.flushPending();
    QCOMPARE(viewer.Series[1]->points(), viewer.seriesPoints(1));
}

void ViewerTableTest::assessmentPageShownAssessesWhatArrivedAtOnce()
{
    TForm5 viewer;
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    AssessmentPage &page = *viewer.TabSheet4;
    const int before = page.recomputeCount();
    viewer.setViewerCell(1, 0, u"1");
    viewer.flushPending(); // the table tells of the record: an assessment is due
    QCOMPARE(page.recomputeCount(), before);
    viewer.PageControl1->setCurrentWidget(&page);
    QCOMPARE(page.recomputeCount(), before + 1);
    // Nothing more is due.
    QTest::qWait(AssessmentPage::RecomputeIntervalMs + 100);
    QCOMPARE(page.recomputeCount(), before + 1);
}

void ViewerTableTest::chartEnvelope_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("runs");
    QTest::addColumn<int>("kept"); // -1: every point
    QTest::newRow("as many points as four per run are drawn as they are") << 40 << 10 << -1;
    QTest::newRow("a long series keeps at most four points a run") << 100000 << 2000 << 8000;
    QTest::newRow("a run of one point keeps it once") << 41 << 10 << 41;
}

// A saw tooth, a spike up and one down: the envelope keeps both ends, the
// extremes and the x order.
void ViewerTableTest::chartEnvelope()
{
    QFETCH(int, count);
    QFETCH(int, runs);
    QFETCH(int, kept);
    QList<QPointF> points;
    for (int i = 0; i < count; ++i)
        points.append(QPointF(i + 1, 20 + i % 7));
    points[count / 3].setY(99);
    points[count / 2].setY(-5);
    const QList<QPointF> drawn = ::chartEnvelope(points, runs);
    if (kept < 0) {
        QCOMPARE(drawn, points);
        return;
    }
    QVERIFY(drawn.size() <= kept);
    QCOMPARE(drawn.first(), points.first());
    QCOMPARE(drawn.last(), points.last());
    QVERIFY(drawn.contains(points[count / 3]));
    QVERIFY(drawn.contains(points[count / 2]));
    for (qsizetype i = 1; i < drawn.size(); ++i)
        QVERIFY(drawn[i - 1].x() < drawn[i].x());
    for (const QPointF &p : drawn)
        QCOMPARE(points[qsizetype(p.x()) - 1], p); // x is the place + 1
}

QTEST_MAIN(ViewerTableTest)
#include "test_viewertable.moc"
