// The download of one stored test, end to end: the main window in-process and
// offscreen, a double-click on the test tree, the viewer, and the meter
// simulator on a pseudo-terminal logging every request it receives.
#include "core/SharedState.h"
#include "forms/ErrorReport.h"
#include "forms/Forms.h"
#include "forms/LibraryDownloads.h"
#include "forms/TesteTemperatura.h"
#include "forms/Visualizar.h"
#include "recordings/ViewerTable.h"
#include "support/Controls.h"
#include "support/ModalCatcher.h"
#include "support/Simulator.h"
#include "widgets/TVrProgressBar.h"

#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

// The requests of the sequences: the log without the live polling.
QByteArrayList sequenceRequests(const SimulatorProcess &sim)
{
    QByteArrayList out;
    for (const QByteArray &r : sim.requests())
        if (!r.startsWith("@M") && !r.startsWith("@G") && !r.startsWith("@B"))
            out << r;
    return out;
}

// "@R" i, "@t" i, then "@r" j and "@A" for each record j from `first`.
QByteArrayList downloadRequests(int test, int records)
{
    QByteArrayList out{"@R" + QByteArray::number(test) + "\r\n", "@t" + QByteArray::number(test) + "\r\n"};
    for (int j = 0; j < records; ++j)
        out << "@r" + QByteArray::number(j) + "\r\n"
            << "@A\r\n";
    return out;
}

} // namespace

class EndToEndDownloadTest : public QObject {
    Q_OBJECT

    QTemporaryDir config;

    // A main window on the "Testes" page (so that no live request takes the
    // line) wired to the simulator as COM1.
    std::unique_ptr<TForm1> mainWindow(SimulatorProcess &sim)
    {
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        shared() = SharedState();
        if (!sim.writeSettings(config.path(), 1, 1))
            return {};
        auto w = std::make_unique<TForm1>();
        control<QTabWidget>(*w, "PageControl1")->setCurrentWidget(control<QWidget>(*w, "TabSheet3"));
        w->show();
        return w;
    }

    // "Ler Testes" through its menu item, to the end of the read.
    static bool readTestList(TForm1 &w, int expectedNodes)
    {
        control<QAction>(w, "LerTestes1")->trigger();
        return QTest::qWaitFor([&] { return w.statusText(2) == QStringLiteral("Leitura finalizada."); }, 10000) &&
               control<QTreeWidget>(w, "TreeView1")->topLevelItemCount() == expectedNodes;
    }

    // The operator's double-click on tree node `index`.
    static void doubleClickNode(TForm1 &w, int index)
    {
        QTreeWidgetItem *item = control<QTreeWidget>(w, "TreeView1")->topLevelItem(index);
        QVERIFY(item);
        const QPoint at = control<QTreeWidget>(w, "TreeView1")->visualItemRect(item).center();
        QTest::mouseClick(control<QTreeWidget>(w, "TreeView1")->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(control<QTreeWidget>(w, "TreeView1")->viewport(), Qt::LeftButton, {}, at);
    }

    static void closeViewer()
    {
        if (Form5)
            Form5->close();
        QTRY_VERIFY(Form5.isNull());
    }

private slots:
    void cleanup() { closeViewer(); }

    void downloadsTheThirdTest()
    {
        SimulatorProcess sim;
        QVERIFY2(sim.start({"--sizes", "10,0,25"}), qPrintable(sim.errorText()));
        auto w = mainWindow(sim);
        QVERIFY(w);
        QVERIFY(readTestList(*w, 3));
        const int before = int(sequenceRequests(sim).size());

        doubleClickNode(*w, 2);
        QVERIFY(Form5);
        QVERIFY(!w->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(Form5->windowTitle(), QStringLiteral("Visualizar testes - 25 Registros"), 10000);

        QCOMPARE(sequenceRequests(sim).mid(before), downloadRequests(2, 25));
        QCOMPARE(Form5->table().rowCount(), 26);
        Form5->flushPending();
        for (QLineSeries *series : Form5->Series)
            QCOMPARE(series->count(), 25);
        QCOMPARE(Form5->Edit5->text(), QStringLiteral("25"));
        QCOMPARE(shared().viewerRecordCount, 25);
        QCOMPARE(control<TVrProgressBar>(*w, "VrProgressBar1")->MaxValue(), 25);
        QCOMPARE(control<TVrProgressBar>(*w, "VrProgressBar1")->Position(), 25);
        QCOMPARE(control<TVrProgressBar>(*w, "VrProgressBar1")->StartColor(),
                 QColor(0, 128, 0)); // green blocks turning lime
        QCOMPARE(control<TVrProgressBar>(*w, "VrProgressBar1")->EndColor(), QColor(0, 255, 0));
        // The step after the caption ends the sequence at the next tick.
        QTRY_VERIFY_WITH_TIMEOUT(!shared().sequenceActive, 1000);
        QCOMPARE(w->statusText(2), QStringLiteral("Leitura finalizada."));

        // Every record in its row: the register number, the meter's periods
        // shown as commas, the indices from the values shown.
        const QRegularExpression value(QStringLiteral("^-?\\d+,\\d$"));
        for (int row = 1; row <= 25; ++row) {
            const ViewerTable &t = Form5->table();
            QVERIFY2(!t.cell(row, 0).isEmpty() && !t.cell(row, 1).isEmpty() && !t.cell(row, 7).isEmpty(),
                     qPrintable(QString::number(row)));
            for (int column = 2; column <= 4; ++column)
                QVERIFY2(value.match(t.cell(row, column)).hasMatch(), qPrintable(t.cell(row, column)));
            const QLocale pt(QLocale::Portuguese, QLocale::Brazil);
            const double wet = pt.toDouble(t.cell(row, 2));
            const double globe = pt.toDouble(t.cell(row, 4));
            QCOMPARE(qRound(pt.toDouble(t.cell(row, 5)) * 100), qRound((0.7 * wet + 0.3 * globe) * 100));
            QCOMPARE(Form5->Series[0]->at(row - 1), QPointF(row - 1, wet));
        }

        closeViewer();
        QVERIFY(w->isEnabled());
    }

    void downloadsATestWithoutRecords()
    {
        SimulatorProcess sim;
        QVERIFY(sim.start({"--sizes", "10,0,25"}));
        auto w = mainWindow(sim);
        QVERIFY(w);
        QVERIFY(readTestList(*w, 3));
        const int before = int(sequenceRequests(sim).size());

        doubleClickNode(*w, 1);
        QTRY_COMPARE_WITH_TIMEOUT(Form5->windowTitle(), QStringLiteral("Visualizar testes - 0 Registros"), 10000);
        QCOMPARE(sequenceRequests(sim).mid(before), downloadRequests(1, 0));
        QCOMPARE(Form5->table().rowCount(), 2);
        for (int column = 0; column < ViewerTable::ColumnCount; ++column)
            QCOMPARE(Form5->table().cell(1, column), QString());
        QCOMPARE(Form5->Edit5->text(), QString());
        QCOMPARE(control<TVrProgressBar>(*w, "VrProgressBar1")->Position(), 0);
    }

    // The second download must start again at record 0: a record index left
    // over from the first would skip (or, past the count, drop) records.
    void secondDownloadRequestsEveryRecord()
    {
        SimulatorProcess sim;
        QVERIFY(sim.start({"--sizes", "10,0,25"}));
        auto w = mainWindow(sim);
        QVERIFY(w);
        QVERIFY(readTestList(*w, 3));

        doubleClickNode(*w, 2);
        QTRY_COMPARE_WITH_TIMEOUT(Form5->windowTitle(), QStringLiteral("Visualizar testes - 25 Registros"), 10000);
        closeViewer();
        QVERIFY(w->isEnabled());
        const int before = int(sequenceRequests(sim).size());

        doubleClickNode(*w, 0);
        QTRY_COMPARE_WITH_TIMEOUT(Form5->windowTitle(), QStringLiteral("Visualizar testes - 10 Registros"), 10000);
        QCOMPARE(sequenceRequests(sim).mid(before), downloadRequests(0, 10));
        QCOMPARE(Form5->table().rowCount(), 11);
        QCOMPARE(Form5->Edit5->text(), QStringLiteral("10"));
        QCOMPARE(control<TVrProgressBar>(*w, "VrProgressBar1")->MaxValue(), 10);
        QCOMPARE(control<TVrProgressBar>(*w, "VrProgressBar1")->Position(), 10);
    }

    void doubleClickWithoutSelectionDoesNothing()
    {
        SimulatorProcess sim;
        QVERIFY(sim.start({"--sizes", "3"}));
        auto w = mainWindow(sim);
        QVERIFY(w);
        // An empty tree, then a filled one with nothing selected.
        w->TreeView1DblClick();
        QVERIFY(Form5.isNull());
        QVERIFY(readTestList(*w, 1));
        control<QTreeWidget>(*w, "TreeView1")->clearSelection();
        w->TreeView1DblClick();
        QVERIFY(Form5.isNull());
        QVERIFY(w->isEnabled());
        QVERIFY(!shared().sequenceActive);
    }

    // Closed at the line's pace, after a few records: no request follows the
    // close, the main window is enabled, and the next "Ler Testes" works.
    void closingTheViewerStopsTheDownload()
    {
        SimulatorProcess sim;
        QVERIFY(sim.start({"--sizes", "10,0,400", "--baud", "19200"}));
        auto w = mainWindow(sim);
        QVERIFY(w);
        QVERIFY(readTestList(*w, 3));
        const int before = int(sequenceRequests(sim).size());

        doubleClickNode(*w, 2);
        QTRY_VERIFY_WITH_TIMEOUT(Form5 && Form5->Edit5->text().toInt() >= 5, 10000);
        Form5->close();
        QVERIFY(!shared().sequenceActive);
        QVERIFY(w->isEnabled());

        // The reply in flight is still read (it frees the line, and a record
        // reaches no viewer); after it the link stays quiet.
        QTRY_VERIFY_WITH_TIMEOUT(shared().readyToSend, 2000);
        const QByteArrayList atClose = sequenceRequests(sim);
        QTest::qWait(300); // ten ticks and many records' worth of line time
        const QByteArrayList after = sequenceRequests(sim);
        QCOMPARE(after, atClose);
        const int records = shared().recordIndex;
        QVERIFY2(records >= 5 && records < 400, qPrintable(QString::number(records)));
        const QByteArrayList sent = after.mid(before);
        QVERIFY(sent.size() >= 2 + 2 * records && sent.size() <= 2 + 2 * records + 2);
        QCOMPARE(sent, downloadRequests(2, records + 1).mid(0, sent.size()));

        QVERIFY(readTestList(*w, 3));
        QCOMPARE(control<QTreeWidget>(*w, "TreeView1")->topLevelItem(2)->text(0),
                 QStringLiteral("Teste 3 -> Registros = 400"));
        QCOMPARE(sequenceRequests(sim).mid(after.size()),
                 (QByteArrayList{"@T\r\n", "@R0\r\n", "@R1\r\n", "@R2\r\n", "@F\r\n"}));
    }

    // After "Memória apagada..." the tree, "Realizados" and the memory gauge
    // show the empty meter: the list is read again, no erased test remains
    // to be double-clicked.
    void erasingTheMemoryShowsTheEmptyMeter()
    {
        SimulatorProcess sim;
        QVERIFY(sim.start({"--sizes", "10,0,25", "--memory", "100"}));
        auto w = mainWindow(sim);
        QVERIFY(w);
        QVERIFY(readTestList(*w, 3));
        QCOMPARE(control<QLineEdit>(*w, "Edit2")->text(), QStringLiteral("3"));
        ModalCatcher boxes;
        boxes.entries = QStringList{"k4lt0x"};
        // Tests 1 and 3 are not in the library: erased all the same.
        LibraryDownloads::current()->answerWithoutBox = [](const QString &) { return EraseQuestion::Answer::Erase; };
        control<QAction>(*w, "Apagarmemria1")->trigger();
        QTRY_COMPARE(boxes.texts(), QStringList{"Memória apagada..."});
        QTRY_VERIFY_WITH_TIMEOUT(sequenceRequests(sim).endsWith("@F\r\n") &&
                                     w->statusText(2) == QStringLiteral("Leitura finalizada."),
                                 10000);
        QCOMPARE(control<QTreeWidget>(*w, "TreeView1")->topLevelItemCount(), 1); // a meter without tests still answers for test 0
        QCOMPARE(control<QTreeWidget>(*w, "TreeView1")->topLevelItem(0)->text(0), QStringLiteral("Teste 1 -> Registros = 0"));
        QCOMPARE(control<QLineEdit>(*w, "Edit2")->text(), QStringLiteral("0"));
        QCOMPARE(control<QProgressBar>(*w, "ProgressBar1")->value(), 100); // all of the memory free
        // After the list (5) and the first and last records of tests 1 and 3 (16) read before the erase.
        QCOMPARE(sequenceRequests(sim).mid(5 + 5 + 16), (QByteArrayList{"@X\r\n", "@T\r\n", "@R0\r\n", "@F\r\n"}));
    }

    // The meter goes away after 8 records: the viewer stays with them and its
    // caption says the download was interrupted, the link is reported lost
    // once (status bar, no error box), nothing more is sent, and closing the
    // viewer gives the main window back. A list read and an erase then say
    // the meter is not there (the erase cannot read which tests it would
    // lose), never showing stale counts or a confirmation.
    void meterVanishingMidDownloadKeepsWhatArrived()
    {
        SimulatorProcess sim;
        // 5 requests for the list, 2 for the test's header, 2 per record.
        QVERIFY(sim.start({"--sizes", "10,0,25", "--drop-after", QString::number(5 + 2 + 2 * 8)}));
        auto w = mainWindow(sim);
        QVERIFY(w);
        ModalCatcher boxes;
        QVERIFY(readTestList(*w, 3));

        doubleClickNode(*w, 2);
        QTRY_VERIFY_WITH_TIMEOUT(!w->session().port().Connected(), 10000);
        QVERIFY(Form5);
        QCOMPARE(w->statusText(1), QString());
        QCOMPARE(Form5->Edit5->text(), QStringLiteral("8"));
        QCOMPARE(Form5->table().rowCount(), 9);
        QTRY_COMPARE(Form5->windowTitle(), QStringLiteral("Visualizar testes - 8 Registros (interrompido)"));
        QVERIFY(!shared().sequenceActive);
        QVERIFY(!w->isEnabled());
        // Further ticks write nothing into the closed port and show nothing.
        for (int i = 0; i < 5; ++i)
            w->Timer1Timer();
        QTest::qWait(100);
        QCOMPARE(w->statusText(1), QString());
        QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.texts().join('|')));

        closeViewer();
        QVERIFY(w->isEnabled());
        control<QAction>(*w, "LerTestes1")->trigger();
        QTRY_COMPARE(w->statusText(2),
                     QStringLiteral("Leitura interrompida na contagem de testes: medidor desconectado."));
        QCOMPARE(control<QTreeWidget>(*w, "TreeView1")->topLevelItemCount(), 0);
        QCOMPARE(shared().testCount, 0);
        boxes.entries = QStringList{"k4lt0x"};
        control<QAction>(*w, "Apagarmemria1")->trigger();
        QTRY_COMPARE(boxes.texts(),
                     QStringList{"A memória não foi apagada: não foi possível ler os testes do medidor."});
    }
};

int main(int argc, char **argv)
{
    GuardedApplication app(argc, argv);
    GuardedApplication::setApplicationName(QStringLiteral("VESTARA"));
    EndToEndDownloadTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_e2e_download.moc"
