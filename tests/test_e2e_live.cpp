// End to end through the real serial code: the main window, in-process and
// offscreen, against the meter simulator on a pseudo-terminal.
#include "core/SettingsLocation.h"
#include "forms/ErrorReport.h"
#include "forms/TesteTemperatura.h"
#include "support/Controls.h"
#include "support/ModalCatcher.h"
#include "support/Simulator.h"
#include "widgets/TVrLabel.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

class EndToEndLiveTest : public QObject {
    Q_OBJECT

    QTemporaryDir config;

    void resetState()
    {
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        shared() = SharedState();
    }

private slots:
    void pollsTheMeterOncePerSecond()
    {
        resetState();
        SimulatorProcess sim;
        QVERIFY2(sim.start({"--baud", "19200", "--wet", "25.3", "--dry", "26.1", "--globe", "31", "--drift", "0"}),
                 qPrintable(sim.errorText()));
        QVERIFY(sim.writeSettings(config.path(), 1, 1));

        TForm1 w;
        QCOMPARE(w.statusText(0), QStringLiteral("Comm1"));
        QCOMPARE(w.statusText(1), QStringLiteral("Conectado"));
        QVERIFY(control<QAction>(w, "Comm11")->isChecked());

        QTRY_COMPARE_WITH_TIMEOUT(control<TVrLabel>(w, "VrLabel1")->Caption(), QStringLiteral("25,3°C"), 5000);
        QCOMPARE(control<TVrLabel>(w, "VrLabel2")->Caption(), QStringLiteral("26,1°C"));
        QCOMPARE(control<TVrLabel>(w, "VrLabel3")->Caption(), QStringLiteral("31°C"));
        QCOMPARE(control<TVrLabel>(w, "VrLabel6")->Caption(), QStringLiteral("27,01°C"));
        QCOMPARE(control<TVrLabel>(w, "VrLabel10")->Caption(), QStringLiteral("26,52°C"));

        QVERIFY(sim.waitForRequests(5, 8000));
        const QList<LoggedRequest> log = sim.loggedRequests();
        const QByteArrayList order{"@M\r\n", "@G\r\n", "@B\r\n", "@M\r\n", "@G\r\n"};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(log[i].bytes, order[i]);
        for (int i = 1; i < 5; ++i) {
            const double gap = log[i].seconds - log[i - 1].seconds;
            QVERIFY2(gap > 0.9 && gap < 1.6, qPrintable(QString::number(gap)));
        }
        QTRY_VERIFY_WITH_TIMEOUT(
            !control<QLabel>(w, "Label6")->text().isEmpty() && !control<QLabel>(w, "Label7")->text().isEmpty(), 3000);
        QVERIFY(control<QLabel>(w, "Label6")->text().endsWith(QStringLiteral("°C")));
    }

    void unitSwitchReachesTheMeter()
    {
        resetState();
        SimulatorProcess sim;
        QVERIFY(sim.start({"--drift", "0", "--wet", "20"}));
        QVERIFY(sim.writeSettings(config.path(), 2, 2));
        TForm1 w;
        QTRY_COMPARE_WITH_TIMEOUT(control<TVrLabel>(w, "VrLabel1")->Caption(), QStringLiteral("20°C"), 5000);
        // The menu is reached between live requests, as from the "Testes" page.
        control<QTabWidget>(w, "PageControl1")->setCurrentWidget(control<QWidget>(w, "TabSheet3"));
        QTRY_VERIFY(shared().readyToSend);
        control<QAction>(w, "oF1")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(w.statusText(2), QStringLiteral("Parâmetro ajustado..."), 3000);
        control<QTabWidget>(w, "PageControl1")->setCurrentWidget(control<QWidget>(w, "TabSheet1"));
        QTRY_COMPARE_WITH_TIMEOUT(control<TVrLabel>(w, "VrLabel1")->Caption(), QStringLiteral("68°F"), 5000);
        QVERIFY(sim.requests().contains("@U1\r\n"));
    }

    void readsTheTestList()
    {
        resetState();
        SimulatorProcess sim;
        QVERIFY(sim.start({"--sizes", "10,0,25"}));
        QVERIFY(sim.writeSettings(config.path(), 1, 1));
        TForm1 w;
        control<QAction>(w, "LerTestes1")->trigger();
        // Nothing but live requests while "Medições" is shown.
        QTest::qWait(1500);
        QVERIFY(!sim.requests().contains("@T\r\n"));
        control<QTabWidget>(w, "PageControl1")->setCurrentWidget(control<QWidget>(w, "TabSheet3"));
        QTRY_COMPARE_WITH_TIMEOUT(w.statusText(2), QStringLiteral("Leitura finalizada."), 5000);
        QCOMPARE(control<QTreeWidget>(w, "TreeView1")->topLevelItemCount(), 3);
        QCOMPARE(control<QTreeWidget>(w, "TreeView1")->topLevelItem(0)->text(0),
                 QStringLiteral("Teste 1 -> Registros = 10"));
        QCOMPARE(control<QTreeWidget>(w, "TreeView1")->topLevelItem(1)->text(0),
                 QStringLiteral("Teste 2 -> Registros = 0"));
        QCOMPARE(control<QTreeWidget>(w, "TreeView1")->topLevelItem(2)->text(0),
                 QStringLiteral("Teste 3 -> Registros = 25"));
        QCOMPARE(control<QLineEdit>(w, "Edit2")->text(), QStringLiteral("3"));
        QVERIFY(control<QMenu>(w, "Unidade1")->isEnabled());

        QByteArrayList sequence;
        for (const QByteArray &r : sim.requests())
            if (!r.startsWith("@M") && !r.startsWith("@G") && !r.startsWith("@B"))
                sequence << r;
        QCOMPARE(sequence, (QByteArrayList{"@T\r\n", "@R0\r\n", "@R1\r\n", "@R2\r\n", "@F\r\n"}));
    }

    void meterThatVanishesLeavesTheLinkClosed()
    {
        resetState();
        SimulatorProcess sim;
        QVERIFY(sim.start({"--drop-after", "2"}));
        QVERIFY(sim.writeSettings(config.path(), 5, 5));
        TForm1 w;
        QCOMPARE(w.statusText(1), QStringLiteral("Conectado"));
        QTRY_VERIFY_WITH_TIMEOUT(!w.session().port().Connected(), 8000);
        // Reported as a line error: the port closed, the link panel empty,
        // and the window still answering.
        QCOMPARE(w.statusText(0), QStringLiteral("Comm5"));
        QCOMPARE(w.statusText(1), QString());
        QCOMPARE(w.statusText(2), QString());
        w.Timer1Timer();
    }
};

int main(int argc, char **argv)
{
    GuardedApplication app(argc, argv);
    GuardedApplication::setApplicationName(QStringLiteral("VESTARA"));
    EndToEndLiveTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_e2e_live.moc"
