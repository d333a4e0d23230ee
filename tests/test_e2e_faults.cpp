// The client against a misbehaving meter, end to end: the main window
// in-process and offscreen, the simulator with its fault options on a
// pseudo-terminal, its request log read back. After each fault the link must
// go on: the next well-formed replies shown within the reply time-out and one
// poll cycle, the retries (and nothing else) in the log.
#include "core/SharedState.h"
#include "forms/ErrorReport.h"
#include "forms/Forms.h"
#include "forms/TesteTemperatura.h"
#include "forms/Visualizar.h"
#include "support/Controls.h"
#include "support/ModalCatcher.h"
#include "support/Simulator.h"
#include "support/TestData.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QString noReply = QStringLiteral("Sem resposta do medidor");
constexpr int timeOutMs = 300; // TempoResposta in the settings the tests write
constexpr int cycleMs = 3000;  // "@M", "@G", "@B", one a second

bool isLive(const QByteArray &r)
{
    return r == "@M\r\n" || r == "@G\r\n" || r == "@B\r\n";
}

QByteArrayList sequenceRequests(const SimulatorProcess &sim)
{
    QByteArrayList out;
    for (const QByteArray &r : sim.requests())
        if (!isLive(r))
            out << r.chopped(2);
    return out;
}

// The live requests are the cycle M, G, B in turn, none repeated or skipped.
bool liveCycleIntact(const QByteArrayList &requests)
{
    const QByteArray cycle[3] = {"@M\r\n", "@G\r\n", "@B\r\n"};
    for (qsizetype i = 0; i < requests.size(); ++i)
        if (requests[i] != cycle[i % 3])
            return false;
    return true;
}

} // namespace

class EndToEndFaultsTest : public QObject {
    Q_OBJECT

    QTemporaryDir config;

    std::unique_ptr<TForm1> mainWindow(SimulatorProcess &sim, bool testsPage = false)
    {
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        shared() = SharedState();
        if (!sim.writeSettings(config.path(), 1, 1, timeOutMs))
            return {};
        auto w = std::make_unique<TForm1>();
        if (testsPage)
            control<QTabWidget>(*w, "PageControl1")->setCurrentWidget(control<QWidget>(*w, "TabSheet3"));
        w->show();
        return w;
    }

private slots:
    void silentMeterIsPolledOnAndSaidSo()
    {
        SimulatorProcess sim;
        QVERIFY2(sim.start({"--silent-after", "5"}), qPrintable(sim.errorText()));
        auto w = mainWindow(sim);
        QVERIFY(w);
        QVERIFY(sim.waitForRequests(6, 8000));
        QCOMPARE(w->statusText(StatusPanel::Activity), QString());
        QTRY_COMPARE_WITH_TIMEOUT(w->statusText(StatusPanel::Activity), noReply, timeOutMs + 1500);
        QCOMPARE(w->statusText(StatusPanel::Link), QStringLiteral("Conectado"));
        // Polling goes on, one request per time-out, in its cycle.
        QVERIFY(sim.waitForRequests(8, 2 * timeOutMs + 2000));
        const QList<LoggedRequest> log = sim.loggedRequests();
        for (int i = 6; i < 8; ++i) {
            const double gap = log[i].seconds - log[i - 1].seconds;
            // The next request goes out at the first tick after the time-out,
            // and never sooner than the live poll's second.
            const double expected = qMax(1000, timeOutMs) / 1000.0;
            QVERIFY2(gap > expected - 0.05 && gap < expected + 0.6, qPrintable(QString::number(gap)));
        }
        QVERIFY(liveCycleIntact(sim.requests()));
    }

    void unfinishedReplies_data()
    {
        QTest::addColumn<QStringList>("fault");
        QTest::newRow("a frame cut in half") << QStringList{"--cut-frame", "3:6"};
        QTest::newRow("a frame without its line feed") << QStringList{"--cut-frame", "3:17"};
        QTest::newRow("a record opened after a reply") << QStringList{"--inject-after", "2::A\\r\\n"};
        QTest::newRow("a record opened right before a reply") << QStringList{"--inject-after", "2::A"};
        QTest::newRow("a line that never ends") << QStringList{"--inject-after", "2::W1111111111111111111111"};
    }

    // After one bad reply the live values come again within the time-out and
    // one cycle, and the meter sees the live cycle and nothing else.
    void unfinishedReplies()
    {
        QFETCH(QStringList, fault);
        SimulatorProcess sim;
        QVERIFY2(sim.start(QStringList{"--wet", "25.3", "--drift", "0"} + fault), qPrintable(sim.errorText()));
        auto w = mainWindow(sim);
        QVERIFY(w);
        QVERIFY(sim.waitForRequests(3, 6000));
        shared().wetReading = 0;
        control<QLabel>(*w, "Label6")->clear();
        QTRY_COMPARE_WITH_TIMEOUT(double(shared().wetReading), 25.3, timeOutMs + cycleMs + 1500);
        QTRY_VERIFY_WITH_TIMEOUT(!control<QLabel>(*w, "Label6")->text().isEmpty(), cycleMs + 1500);
        QTRY_COMPARE_WITH_TIMEOUT(w->statusText(StatusPanel::Activity), QString(), 2000);
        QVERIFY(liveCycleIntact(sim.requests()));
    }

    void meterThatLosesEveryLineFeedIsStillPolled()
    {
        SimulatorProcess sim;
        QVERIFY(sim.start({"--no-lf-after", "3"}));
        auto w = mainWindow(sim);
        QVERIFY(w);
        QTRY_COMPARE_WITH_TIMEOUT(w->statusText(StatusPanel::Activity), noReply, 4000 + timeOutMs + 1500);
        const int before = int(sim.requests().size());
        QVERIFY(sim.waitForRequests(before + 2, 2 * timeOutMs + 2000));
        QVERIFY(liveCycleIntact(sim.requests()));
        QVERIFY(shared().replyField.size() <= ReplyParser::fieldLimit);
    }

    // A flood of noise full of ":H" and line feeds: no clock command was
    // sent, so no "Relógio ajustado." box opens, and the window closes at once.
    void noiseOpensNoBoxAndTheWindowCloses()
    {
        SimulatorProcess sim;
        QVERIFY(sim.start({"--noise-flood", "1500", "--seed", "7", "--baud", "19200"}));
        auto w = mainWindow(sim);
        QVERIFY(w);
        ModalCatcher catcher;
        QVERIFY(sim.waitForRequests(3, 6000));
        QTest::qWait(2000); // the flood goes on
        QVERIFY2(catcher.boxes.isEmpty(), qPrintable(catcher.texts().join('|')));
        QVERIFY(w->findChildren<QMessageBox *>().isEmpty());
        QElapsedTimer closing;
        closing.start();
        QVERIFY(w->close());
        QVERIFY(closing.elapsed() < 2000);
        QVERIFY(!w->isVisible());
    }

    void absurdCounts_data()
    {
        QTest::addColumn<QStringList>("fault");
        QTest::addColumn<QByteArrayList>("requests");
        QTest::addColumn<QStringList>("nodes");
        QTest::newRow("the largest 32-bit test count")
            << QStringList{"--sizes", "4", "--test-count", "2147483647"} << QByteArrayList{"@T", "@R0", "@F"}
            << QStringList{"Teste 1 -> Registros = 4"};
        QTest::newRow("a negative record count")
            << QStringList{"--sizes", "4,5", "--record-count", "-1"} << QByteArrayList{"@T", "@R0", "@R1", "@F"}
            << QStringList{"Teste 1 -> Registros = 0", "Teste 2 -> Registros = 0"};
        QTest::newRow("a record count past 32 bits")
            << QStringList{"--sizes", "4", "--record-count", "99999999999"} << QByteArrayList{"@T", "@R0", "@F"}
            << QStringList{"Teste 1 -> Registros = 0"};
    }

    void absurdCounts()
    {
        QFETCH(QStringList, fault);
        SimulatorProcess sim;
        QVERIFY2(sim.start(fault), qPrintable(sim.errorText()));
        auto w = mainWindow(sim, true);
        QVERIFY(w);
        control<QAction>(*w, "LerTestes1")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(w->statusText(StatusPanel::Activity), QStringLiteral("Leitura finalizada."), 5000);
        QStringList nodes;
        for (int i = 0; i < control<QTreeWidget>(*w, "TreeView1")->topLevelItemCount(); ++i)
            nodes << control<QTreeWidget>(*w, "TreeView1")->topLevelItem(i)->text(0);
        QCOMPARE(nodes, FETCHED(QStringList, nodes));
        QTest::qWait(300);
        QCOMPARE(sequenceRequests(sim), FETCHED(QByteArrayList, requests));
    }

    void downloadRetriesACutRecord()
    {
        // Replies: the test list (3), "@R0", "@t0", "@r0", the first record,
        // "@r1", then the second record cut after 20 bytes.
        SimulatorProcess sim;
        QVERIFY(sim.start({"--sizes", "4", "--cut-frame", "9:20"}));
        auto w = mainWindow(sim, true);
        QVERIFY(w);
        control<QAction>(*w, "LerTestes1")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(w->statusText(StatusPanel::Activity), QStringLiteral("Leitura finalizada."), 5000);
        control<QTreeWidget>(*w, "TreeView1")->topLevelItem(0)->setSelected(true);
        w->TreeView1DblClick();
        QVERIFY(Form5);
        QTRY_VERIFY_WITH_TIMEOUT(Form5 && Form5->windowTitle().endsWith(QStringLiteral(" - 4 Registros")),
                                 timeOutMs + 3000);
        QCOMPARE(shared().viewerRecordCount, 4);
        QCOMPARE(sequenceRequests(sim), (QByteArrayList{"@T", "@R0", "@F", "@R0", "@t0", "@r0", "@A", "@r1", "@A", "@A",
                                                        "@r2", "@A", "@r3", "@A"}));
        delete Form5.data();
    }

    void downloadFromASilentMeterStopsAfterThreeRetries()
    {
        // 3 replies for the list, "@R0", "@t0", then pairs: silent from "@r12".
        SimulatorProcess sim;
        QVERIFY(sim.start({"--sizes", "30", "--silent-after", "29"}));
        auto w = mainWindow(sim, true);
        QVERIFY(w);
        control<QAction>(*w, "LerTestes1")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(w->statusText(StatusPanel::Activity), QStringLiteral("Leitura finalizada."), 5000);
        control<QTreeWidget>(*w, "TreeView1")->topLevelItem(0)->setSelected(true);
        w->TreeView1DblClick();
        QVERIFY(Form5);
        QTRY_VERIFY_WITH_TIMEOUT(!shared().sequenceActive, 4 * timeOutMs + 3000);
        QVERIFY(Form5->windowTitle().endsWith(QStringLiteral(" - 12 Registros (interrompido)")));
        QCOMPARE(shared().viewerRecordCount, 12);
        QCOMPARE(w->statusText(StatusPanel::Activity),
                 QStringLiteral("Leitura interrompida no registro 13 de 30: sem resposta do medidor."));
        QVERIFY(control<QMenu>(*w, "Unidade1")->isEnabled());
        const QByteArrayList requests = sequenceRequests(sim);
        QCOMPARE(requests.mid(requests.size() - 5), (QByteArrayList{"@A", "@r12", "@r12", "@r12", "@r12"}));
        QCOMPARE(requests.size(), 3 + 2 + 24 + 4);
        delete Form5.data();
    }
};

int main(int argc, char **argv)
{
    GuardedApplication app(argc, argv);
    GuardedApplication::setApplicationName(QStringLiteral("VESTARA"));
    EndToEndFaultsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_e2e_faults.moc"
