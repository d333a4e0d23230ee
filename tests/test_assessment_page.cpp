// The viewer's page "Avaliação": a test whose worst hour is known, written
// into the viewer as a download and as a file write it; the page's window,
// mean, limit and verdict for each choice, the shading on the chart at the
// right x in both numberings, the recomputation while records arrive, and the
// printed page read back with pdftotext.
#include "core/SharedState.h"
#include "forms/AssessmentPage.h"
#include "forms/AssessmentPrint.h"
#include "forms/DecimalField.h"
#include "forms/Visualizar.h"
#include "recordings/ViewerTable.h"
#include "support/Controls.h"
#include "support/ModalCatcher.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMessageBox>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QValueAxis>

#include <optional>

namespace {

// 180 records a minute apart from 31/01/26 23:00:00. IBUTGi is 25 except
// records 60..119 (rows 61..120, 01/02/26 00:00:00 to 00:59:00) at 29,5;
// IBUTGe is 26 except records 30..89 (rows 31..90, from 23:30:00) at 31,2.
// So the worst IBUTGi hour runs 00:00:00 to 01:00:00 with a mean of 29,5 °C
// and the worst IBUTGe hour 23:30:00 to 00:30:00 with 31,2 °C.
constexpr int recordCount = 180;

QString dateOf(int record)
{
    return record < 60 ? QStringLiteral("31/01/26") : QStringLiteral("01/02/26");
}

QString timeOf(int record)
{
    const int minutes = (23 * 60 + record) % (24 * 60);
    return QStringLiteral("%1:%2:00")
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

double wetOf(int record)
{
    return 22 + record % 4 * 0.5;
}

// Writes record (0-based) as the filler does: row and x as given.
void writeRecord(ViewerSink &viewer, int record, int row, double x)
{
    const double temperatures[3] = {wetOf(record), 30.2, 35.3};
    viewer.setViewerCell(row, 0, QString::number(record + 1));
    viewer.setViewerCell(row, 7, dateOf(record));
    viewer.setViewerCell(row, 1, timeOf(record));
    for (int s = 0; s < 3; ++s) {
        viewer.setViewerCell(row, 2 + s, QString::number(temperatures[s]).replace(QLatin1Char('.'), QLatin1Char(',')));
        viewer.addChartPoint(s, x, temperatures[s]);
    }
    viewer.setViewerCell(row, 5, record >= 60 && record < 120 ? QStringLiteral("29,5") : QStringLiteral("25"));
    viewer.setViewerCell(row, 6, record >= 30 && record < 90 ? QStringLiteral("31,2") : QStringLiteral("26"));
}

// As a download: record j on row j + 1 at x = j.
void download(ViewerSink &viewer)
{
    for (int j = 0; j < recordCount; ++j)
        writeRecord(viewer, j, j + 1, j);
}

// As a file: record n (1-based) on row n at x = n.
void loadFile(ViewerSink &viewer)
{
    for (int j = 0; j < recordCount; ++j)
        writeRecord(viewer, j, j + 1, j + 1);
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

QAreaSeries *shadingOf(TForm5 &viewer)
{
    for (QAbstractSeries *s : viewer.Chart1->chart()->series())
        if (auto *area = qobject_cast<QAreaSeries *>(s))
            return area;
    return nullptr;
}

struct Choice {
    int index = 0;     // ComboIndice
    int criterion = 0; // ComboCriterio
    int rateItem = 2;  // ComboClasse: class 0..4, 5 = a rate in W
    double watts = 0;  // with rateItem 5
    double increment = 0;
};

void choose(AssessmentPage &page, const Choice &c)
{
    control<QComboBox>(page, "ComboIndice")->setCurrentIndex(c.index);
    control<QComboBox>(page, "ComboCriterio")->setCurrentIndex(c.criterion);
    control<QComboBox>(page, "ComboClasse")->setCurrentIndex(c.rateItem);
    if (c.rateItem == 5)
        control<DecimalField>(page, "EditTaxa")->setValue(c.watts);
    control<DecimalField>(page, "EditVestimenta")->setValue(c.increment);
}

} // namespace

Q_DECLARE_METATYPE(Choice)
Q_DECLARE_METATYPE(std::optional<double>)

class AssessmentPageTest : public QObject {
    Q_OBJECT
private slots:
    void init();

    void pageFollowsTheChart();
    void downloadedTestIsAssessed();
    void choicesRecompute_data();
    void choicesRecompute();
    void numberFields_data();
    void numberFields();
    void shortTestIsMarked();
    void shadingFollowsTheChartsNumbering_data();
    void shadingFollowsTheChartsNumbering();
    void shadingFollowsPointsThatComeLater();
    void shadingSpansTheTemperatureAxis();
    void rowOffset_data();
    void rowOffset();
    void recordsArrivingRecomputeAtMostEvery200ms();
    void fahrenheitTestIsConverted();
    void formulasCarryTheNumbers();
    void printsOneA4PageWithTheResult();
    void printFailureGoesToTheErrorReport();
};

void AssessmentPageTest::init()
{
    shared() = SharedState();
}

void AssessmentPageTest::pageFollowsTheChart()
{
    TForm5 viewer;
    QCOMPARE(viewer.PageControl1->count(), 4);
    QCOMPARE(viewer.PageControl1->tabText(2), QStringLiteral("Grafico"));
    QCOMPARE(viewer.PageControl1->tabText(3), QStringLiteral("Avaliação"));
    QCOMPARE(viewer.PageControl1->widget(3), static_cast<QWidget *>(viewer.TabSheet4));
    QCOMPARE(viewer.PageControl1->currentWidget(), viewer.TabSheet2); // still opens on the table
    // The chart's legend still names the three series only.
    viewer.show();
    viewer.PageControl1->setCurrentWidget(viewer.TabSheet3);
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    int shownMarkers = 0;
    for (QLegendMarker *m : viewer.Chart1->chart()->legend()->markers())
        shownMarkers += m->isVisible();
    QCOMPARE(viewer.Chart1->chart()->legend()->markers().size(), 4);
    QCOMPARE(shownMarkers, 3);
    // An empty test: no window, no verdict, no shading.
    const AssessmentResult &r = viewer.TabSheet4->result();
    QCOMPARE(r.verdict, Verdict::NoData);
    QCOMPARE(control<QLabel>(*viewer.TabSheet4, "LabelInicio")->text(), QStringLiteral("—"));
    QVERIFY(!viewer.TabSheet4->shadedRange());
    QCOMPARE(shadingOf(viewer)->upperSeries()->count(), 0);
}

void AssessmentPageTest::downloadedTestIsAssessed()
{
    TForm5 viewer;
    AssessmentPage &page = *viewer.TabSheet4;
    download(viewer);
    QTRY_COMPARE_WITH_TIMEOUT(page.result().recordsUsed, recordCount, 5000);

    QCOMPARE(control<QLabel>(page, "LabelInicio")->text(), QStringLiteral("01/02/26 00:00:00"));
    QCOMPARE(control<QLabel>(page, "LabelFim")->text(), QStringLiteral("01/02/26 01:00:00"));
    QCOMPARE(control<QLabel>(page, "LabelLinhas")->text(), QStringLiteral("61 a 120"));
    QCOMPARE(control<QLabel>(page, "LabelRegistros")->text(), QStringLiteral("180 usados, 0 deixados de fora"));
    QCOMPARE(control<QLabel>(page, "LabelMedia")->text(), QStringLiteral("29,5 °C (IBUTGi)"));
    // Class 2 (300 W) under NR-15: 56,7 - 11,5 log10 300 = 28,2.
    QCOMPARE(control<QLabel>(page, "LabelLimite")->text(), QStringLiteral("28,2 °C"));
    QCOMPARE(control<QLabel>(page, "LabelMargem")->text(), QStringLiteral("-1,3 °C"));
    QCOMPARE(control<QLabel>(page, "LabelConclusao")->text(),
             QStringLiteral("Acima do limite: IBUTGi de 29,5 °C ultrapassa o limite de 28,2 °C em 1,3 °C."));
    // The chart takes its points when its page is shown, or on a flush.
    viewer.flushPending();
    const auto range = page.shadedRange();
    QVERIFY(range);
    QCOMPARE(range->first, 60.0);
    QCOMPARE(range->second, 119.0);
}

void AssessmentPageTest::choicesRecompute_data()
{
    QTest::addColumn<Choice>("choice");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("mean");
    QTest::addColumn<QString>("limit");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QString>("verdictText");

    const QString midnight = QStringLiteral("01/02/26 00:00:00");
    QTest::newRow("a lighter class raises the limit above the mean")
        << Choice{0, 0, 1} << midnight << "29,5 °C (IBUTGi)"
        << "30,8 °C" << int(Verdict::Within)
        << "Dentro do limite: IBUTGi de 29,5 °C não ultrapassa o limite de 30,8 °C (margem de 1,3 °C).";
    QTest::newRow("resting gives 33,0 °C")
        << Choice{0, 0, 0} << midnight << "29,5 °C (IBUTGi)"
        << "33,0 °C" << int(Verdict::Within)
        << "Dentro do limite: IBUTGi de 29,5 °C não ultrapassa o limite de 33,0 °C (margem de 3,5 °C).";
    QTest::newRow("the outdoor index moves the window half an hour earlier")
        << Choice{1, 0, 1} << "31/01/26 23:30:00"
        << "31,2 °C (IBUTGe)"
        << "30,8 °C" << int(Verdict::Exceeded)
        << "Acima do limite: IBUTGe de 31,2 °C ultrapassa o limite de 30,8 °C em 0,4 °C.";
    QTest::newRow("the clothing increment is added to the mean")
        << Choice{0, 0, 1, 0, 2} << midnight << "29,5 °C (IBUTGi); com a vestimenta, 31,5 °C"
        << "30,8 °C" << int(Verdict::Exceeded)
        << "Acima do limite: IBUTGi de 31,5 °C ultrapassa o limite de 30,8 °C em 0,7 °C.";
    QTest::newRow("workers not acclimatised have the lower ISO limit")
        << Choice{0, 2, 2} << midnight << "29,5 °C (IBUTGi)"
        << "25,0 °C" << int(Verdict::Exceeded)
        << "Acima do limite: IBUTGi de 29,5 °C ultrapassa o limite de 25,0 °C em 4,5 °C.";
    QTest::newRow("a rate in watts inside NR-15's table")
        << Choice{0, 0, 5, 200} << midnight << "29,5 °C (IBUTGi)"
        << "30,2 °C" << int(Verdict::Within)
        << "Dentro do limite: IBUTGi de 29,5 °C não ultrapassa o limite de 30,2 °C (margem de 0,7 °C).";
    QTest::newRow("a rate beyond NR-15's table gives no verdict")
        << Choice{0, 0, 5, 700} << midnight << "29,5 °C (IBUTGi)"
        << "—" << int(Verdict::RateOutsideNr15)
        << "Sem conclusão: a taxa metabólica de 700 W está fora do Quadro 1 da NR-15 (100 a 606 W).";
    QTest::newRow("the same rate has an ISO 7243 limit")
        << Choice{0, 1, 5, 700} << midnight << "29,5 °C (IBUTGi)"
        << "24,0 °C" << int(Verdict::Exceeded)
        << "Acima do limite: IBUTGi de 29,5 °C ultrapassa o limite de 24,0 °C em 5,5 °C.";
}

void AssessmentPageTest::choicesRecompute()
{
    QFETCH(Choice, choice);
    QFETCH(QString, start);
    QFETCH(QString, mean);
    QFETCH(QString, limit);
    QFETCH(int, verdict);
    QFETCH(QString, verdictText);

    TForm5 viewer;
    AssessmentPage &page = *viewer.TabSheet4;
    download(viewer);
    page.recompute();
    QCOMPARE(page.result().verdict, Verdict::Exceeded); // the defaults: IBUTGi, NR-15, class 2

    // Each change of a control recomputes at once, without the event loop.
    choose(page, choice);
    QCOMPARE(control<QLabel>(page, "LabelInicio")->text(), start);
    QCOMPARE(control<QLabel>(page, "LabelMedia")->text(), mean);
    QCOMPARE(control<QLabel>(page, "LabelLimite")->text(), limit);
    QCOMPARE(int(page.result().verdict), verdict);
    QCOMPARE(control<QLabel>(page, "LabelConclusao")->text(), verdictText);
    QCOMPARE(control<DecimalField>(page, "EditTaxa")->isEnabled(), choice.rateItem == 5);
}

// What the operator types into the number fields: the comma or the point,
// shown with the comma; what does not read or lies out of bounds is refused
// with a message and the previous value stays.
void AssessmentPageTest::numberFields_data()
{
    QTest::addColumn<bool>("rate"); // EditTaxa, else EditVestimenta
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::newRow("a decimal point is half a degree, not five") << false << "0.5"
                                                                << "0,5" << 0.5 << "";
    QTest::newRow("text that does not read is refused")
        << false << "meio"
        << "0" << 0.0
        << "Acréscimo pela vestimenta: \"meio\" não é um número. Use a vírgula ou o ponto como separador decimal, "
           "como em 0,5. Continua 0 °C.";
    QTest::newRow("more than 12 °C is refused")
        << false << "13"
        << "0" << 0.0 << "Acréscimo pela vestimenta: 13 °C está fora da faixa de 0 a 12 °C. Continua 0 °C.";
    QTest::newRow("a rate in watts") << true << "1000"
                                     << "1000" << 1000.0 << "";
    QTest::newRow("a thousand with a point is one watt, refused")
        << true << "1.000"
        << "300" << 300.0 << "Taxa metabólica: 1 W está fora da faixa de 50 a 1000 W. Continua 300 W.";
}

void AssessmentPageTest::numberFields()
{
    QFETCH(bool, rate);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(double, value);
    QFETCH(QString, message);
    TForm5 viewer;
    AssessmentPage &page = *viewer.TabSheet4;
    download(viewer);
    control<QComboBox>(page, "ComboClasse")->setCurrentIndex(5); // "Outra taxa (W)"
    DecimalField *field =
        rate ? control<DecimalField>(page, "EditTaxa") : control<DecimalField>(page, "EditVestimenta");
    QStringList refusals;
    field->refuse = [&](const QString &m) { refusals << m; };
    const int before = page.recomputeCount();
    field->setText(typed);
    QCOMPARE(field->commit(), message.isEmpty());
    QCOMPARE(field->text(), shown);
    QCOMPARE(field->value(), value);
    QCOMPARE(rate ? page.options().metabolicRateW : page.options().clothingIncrement, value);
    if (message.isEmpty()) {
        QVERIFY(refusals.isEmpty());
        QCOMPARE(page.recomputeCount(), before + (value == (rate ? 300.0 : 0.0) ? 0 : 1));
    } else {
        QCOMPARE(refusals.size(), 1);
        QVERIFY2(refusals[0].contains(message), qPrintable(refusals[0]));
        QCOMPARE(page.recomputeCount(), before);
    }
}

// A test shorter than an hour: the mean is shown as what it is, no verdict.
void AssessmentPageTest::shortTestIsMarked()
{
    TForm5 viewer;
    AssessmentPage &page = *viewer.TabSheet4;
    for (int j = 0; j < 25; ++j)
        writeRecord(viewer, j, j + 1, j);
    page.recompute();
    QCOMPARE(page.result().verdict, Verdict::ShortTest);
    QCOMPARE(control<QLabel>(page, "LabelMedia")->text(),
             QStringLiteral("25,0 °C (IBUTGi) – média de só 25 min, não de uma hora"));
    QCOMPARE(control<QLabel>(page, "LabelMargem")->text(), QStringLiteral("—"));
    QCOMPARE(control<QLabel>(page, "LabelConclusao")->styleSheet(), QString());
}

void AssessmentPageTest::shadingFollowsTheChartsNumbering_data()
{
    QTest::addColumn<bool>("fromFile");
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("firstX");
    QTest::addColumn<double>("lastX");

    QTest::newRow("a download counts x from 0") << false << 0 << 60.0 << 119.0;
    QTest::newRow("a download, outdoor index") << false << 1 << 30.0 << 89.0;
    QTest::newRow("a file numbers x from 1") << true << 0 << 61.0 << 120.0;
    QTest::newRow("a file, outdoor index") << true << 1 << 31.0 << 90.0;
}

void AssessmentPageTest::shadingFollowsTheChartsNumbering()
{
    QFETCH(bool, fromFile);
    QFETCH(int, index);
    QFETCH(double, firstX);
    QFETCH(double, lastX);

    TForm5 viewer;
    AssessmentPage &page = *viewer.TabSheet4;
    fromFile ? loadFile(viewer) : download(viewer);
    viewer.flushPending();
    control<QComboBox>(page, "ComboIndice")->setCurrentIndex(index);
    page.recompute();

    QAreaSeries *area = shadingOf(viewer);
    QVERIFY(area);
    const QList<QPointF> top = area->upperSeries()->points();
    const QList<QPointF> bottom = area->lowerSeries()->points();
    QCOMPARE(top.size(), 2);
    QCOMPARE(bottom.size(), 2);
    QCOMPARE(top[0].x(), firstX);
    QCOMPARE(top[1].x(), lastX);
    QCOMPARE(bottom[0].x(), firstX);
    QCOMPARE(bottom[1].x(), lastX);
    // The chart's points at those x are the window's first and last records.
    const int firstRecord = index == 0 ? 60 : 30;
    const double wetAtFirst = viewer.Series[0]->at(int(firstX - viewer.Series[0]->at(0).x())).y();
    QCOMPARE(wetAtFirst, wetOf(firstRecord));
}

void AssessmentPageTest::shadingFollowsPointsThatComeLater()
{
    TForm5 viewer;
    AssessmentPage &page = *viewer.TabSheet4;
    // The table first, as a hidden chart may hold its points back.
    for (int j = 0; j < recordCount; ++j) {
        struct : NullViewerSink {
            TForm5 *viewer = nullptr;
            void setViewerCell(int row, int column, QAnyStringView text) override
            {
                viewer->setViewerCell(row, column, text);
            }
        } cells;
        cells.viewer = &viewer;
        writeRecord(cells, j, j + 1, j);
    }
    page.recompute();
    QCOMPARE(control<QLabel>(page, "LabelInicio")->text(), QStringLiteral("01/02/26 00:00:00"));
    QVERIFY(!page.shadedRange());
    QCOMPARE(shadingOf(viewer)->upperSeries()->count(), 0);
    // The points reach the chart: the band follows without a recomputation.
    const int passes = page.recomputeCount();
    for (int j = 0; j < recordCount; ++j)
        for (int s = 0; s < 3; ++s)
            viewer.addChartPoint(s, j, 20 + s);
    viewer.flushPending();
    QCOMPARE(page.recomputeCount(), passes);
    QVERIFY(page.shadedRange());
    QCOMPARE(shadingOf(viewer)->upperSeries()->at(0).x(), 60.0);
    QCOMPARE(shadingOf(viewer)->upperSeries()->at(1).x(), 119.0);
}

void AssessmentPageTest::shadingSpansTheTemperatureAxis()
{
    TForm5 viewer;
    download(viewer);
    viewer.flushPending();
    viewer.TabSheet4->recompute();
    QAreaSeries *area = shadingOf(viewer);
    auto *axisY = qobject_cast<QValueAxis *>(viewer.Chart1->chart()->axes(Qt::Vertical).first());
    QCOMPARE(area->upperSeries()->at(0).y(), axisY->max());
    QCOMPARE(area->lowerSeries()->at(0).y(), axisY->min());
    // ToolButton7 raises the axis: the band follows.
    viewer.ToolButton7Click();
    QCOMPARE(area->upperSeries()->at(0).y(), axisY->max());
    QVERIFY(axisY->max() > 35.3 + 5);
}

void AssessmentPageTest::rowOffset_data()
{
    QTest::addColumn<QStringList>("firstRows"); // UMI of rows 1, 2, ...
    QTest::addColumn<std::optional<double>>("smallestX");
    QTest::addColumn<std::optional<double>>("offset");

    QTest::newRow("a download: row 1 at x 0")
        << QStringList{"24", "25"} << std::optional<double>(0) << std::optional<double>(1);
    QTest::newRow("a file: row 1 at x 1")
        << QStringList{"24", "25"} << std::optional<double>(1) << std::optional<double>(0);
    QTest::newRow("a first record without a readable temperature has no point")
        << QStringList{"x", "25"} << std::optional<double>(1) << std::optional<double>(1);
    QTest::newRow("no readable temperature, no offset")
        << QStringList{"x", ""} << std::optional<double>(0) << std::optional<double>();
    QTest::newRow("no point, no offset") << QStringList{"24"} << std::optional<double>() << std::optional<double>();
}

void AssessmentPageTest::rowOffset()
{
    QFETCH(QStringList, firstRows);
    QFETCH(std::optional<double>, smallestX);
    QFETCH(std::optional<double>, offset);
    ViewerTable table;
    for (int i = 0; i < firstRows.size(); ++i) {
        table.setCell(i + 1, 0, QString::number(i + 1));
        table.setCell(i + 1, 2, firstRows[i]);
    }
    QCOMPARE(chartRowOffset(table, smallestX), offset);
}

void AssessmentPageTest::recordsArrivingRecomputeAtMostEvery200ms()
{
    TForm5 viewer;
    AssessmentPage &page = *viewer.TabSheet4;
    const int before = page.recomputeCount();
    QElapsedTimer clock;
    clock.start();
    // One record every few milliseconds, as the event loop turns.
    int next = 0;
    QTimer feed;
    feed.setInterval(3);
    connect(&feed, &QTimer::timeout, this, [&] {
        if (next < recordCount) {
            writeRecord(viewer, next, next + 1, next);
            ++next;
        }
    });
    feed.start();
    QTRY_VERIFY_WITH_TIMEOUT(next == recordCount, 20000);
    feed.stop();
    const qint64 elapsed = clock.elapsed();
    // The last records are assessed without another change.
    QTRY_COMPARE_WITH_TIMEOUT(page.result().recordsUsed, recordCount, 5000);
    QCOMPARE(control<QLabel>(page, "LabelInicio")->text(), QStringLiteral("01/02/26 00:00:00"));
    const int passes = page.recomputeCount() - before;
    QVERIFY2(passes >= 2, qPrintable(QString::number(passes))); // it followed the download
    QVERIFY2(passes <= elapsed / AssessmentPage::RecomputeIntervalMs + 2,
             qPrintable(QStringLiteral("%1 passes in %2 ms").arg(passes).arg(elapsed)));
}

void AssessmentPageTest::fahrenheitTestIsConverted()
{
    shared().fahrenheitUnit = 1; // the meter was last seen in °F
    TForm5 viewer;
    AssessmentPage &page = *viewer.TabSheet4;
    QCOMPARE(control<QComboBox>(page, "ComboUnidade")->currentText(), QStringLiteral("°F"));
    download(viewer);
    page.recompute();
    // 29,5 °F is -1,4 °C.
    QCOMPARE(control<QLabel>(page, "LabelMedia")->text(), QStringLiteral("-1,4 °C (IBUTGi)"));
    control<QComboBox>(page, "ComboUnidade")->setCurrentIndex(0);
    QCOMPARE(control<QLabel>(page, "LabelMedia")->text(), QStringLiteral("29,5 °C (IBUTGi)"));
}

void AssessmentPageTest::formulasCarryTheNumbers()
{
    TForm5 viewer;
    AssessmentPage &page = *viewer.TabSheet4;
    download(viewer);
    choose(page, Choice{0, 2, 1, 0, 1.5});
    const QStringList lines = control<QLabel>(page, "LabelFormulas")->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.value(0), QStringLiteral("IBUTG_max = 59,9 − 14,1·log₁₀(180) = 28,1 °C"));
    QCOMPARE(lines.value(1), QStringLiteral("IBUTGi médio = Σ(IBUTGi·Δt) / 3600 s = 29,5 °C"));
    QCOMPARE(lines.value(2), QStringLiteral("IBUTGi médio + acréscimo = 29,5 °C + 1,5 °C = 31,0 °C"));
    QCOMPARE(lines.value(3), QStringLiteral("margem = 28,1 °C − 31,0 °C = −2,9 °C"));
    choose(page, Choice{0, 0, 5, 50});
    QCOMPARE(control<QLabel>(page, "LabelFormulas")->text(),
             QStringLiteral("IBUTG_max = 56,7 − 11,5·log₁₀(50): sem limite, M fora do Quadro 1 da NR-15 (100 a 606 W)\n"
                            "IBUTGi médio = Σ(IBUTGi·Δt) / 3600 s = 29,5 °C"));
}

void AssessmentPageTest::printsOneA4PageWithTheResult()
{
    TForm5 viewer;
    viewer.setHeaderField(1, QStringLiteral("Forno 3"));
    viewer.setHeaderField(2, QStringLiteral("Fundição"));
    viewer.setHeaderField(3, QStringLiteral("Metalúrgica Exemplo"));
    viewer.setHeaderField(4, QStringLiteral("Medição junto ao forno"));
    download(viewer);
    AssessmentPage &page = *viewer.TabSheet4;

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("avaliacao.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    page.printAssessment(printer); // neither the page nor the chart was shown

    const QString text = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    const QString flat = text.simplified();
    for (const QString &expected :
         {QStringLiteral("Forno 3"), QStringLiteral("Fundição"), QStringLiteral("Metalúrgica Exemplo"),
          QStringLiteral("Medição junto ao forno"), QStringLiteral("01/02/26 00:00:00"),
          QStringLiteral("01/02/26 01:00:00"), QStringLiteral("29,5 °C"),
          QStringLiteral("Acima do limite: IBUTGi de 29,5 °C ultrapassa o limite de 28,2 °C em 1,3 °C."),
          QStringLiteral("IBUTG_max = 56,7 − 11,5·log₁₀(300) = 28,2 °C"),
          QStringLiteral("NR-15 Anexo 3 (Portaria 1.359/2019), Quadro 1"),
          QStringLiteral("classe 2 – Moderada (300 W)"), QStringLiteral("180 usados, 0 deixados de fora"),
          QStringLiteral("Temperatura"), QStringLiteral("UMI")})
        QVERIFY2(flat.contains(expected), qPrintable(QStringLiteral("%1 not in:\n%2").arg(expected, text)));
    QCOMPARE(text.count(QLatin1Char('\f')), 1);
    const QString info = run(QStringLiteral("pdfinfo"), {file});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\n"))), qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("(A4)")), qPrintable(info));
}

void AssessmentPageTest::printFailureGoesToTheErrorReport()
{
    TForm5 viewer;
    download(viewer);
    AssessmentPage &page = *viewer.TabSheet4;
    bool asked = false;
    page.askPrinter = [&asked](QPrinter &printer) {
        asked = true;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QStringLiteral("/nonexistent-folder/avaliacao.pdf"));
        return true;
    };
    ModalCatcher catcher;
    QTest::mouseClick(control<QPushButton>(page, "BotaoImprimir"), Qt::LeftButton);
    QVERIFY(asked);
    QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes.size(), 1, 5000);
    QCOMPARE(catcher.boxes[0].text, QStringLiteral("Não foi possível iniciar a impressão da avaliação."));
    QCOMPARE(catcher.boxes[0].icon, int(QMessageBox::Critical));

    // A cancelled dialog prints nothing and reports nothing.
    page.askPrinter = [](QPrinter &) { return false; };
    QTest::mouseClick(control<QPushButton>(page, "BotaoImprimir"), Qt::LeftButton);
    QCOMPARE(catcher.boxes.size(), 1);
}

QTEST_MAIN(AssessmentPageTest)
#include "test_assessment_page.moc"
