// The main window's side of the link: port items, the port search, sendCommand,
// line errors and the status texts, over the scripted platform and over real
// pseudo-terminals.

#include "control/PortSelection.h"
#include "link/ComPort.h"
#include "support/FakeComPlatform.h"
#include "support/Pty.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct RecordingView : PortSelectionView {
    QString panels[3];
    QStringList history; // "0:>1", "1:Conectado", ...
    int checked = -1;    // -1: never set
    bool timerEnabled = false;

    void setStatusText(StatusPanel panel, const QString &text) override
    {
        panels[int(panel)] = text;
        history << QStringLiteral("%1:%2").arg(int(panel)).arg(text);
    }
    void setPortChecked(int k) override { checked = k; }
    void setSearchTimerEnabled(bool enabled) override { timerEnabled = enabled; }

    QStringList panelHistory(int panel) const
    {
        QStringList texts;
        for (const QString &h : history)
            if (h.startsWith(QString::number(panel) + QLatin1Char(':')))
                texts << h.mid(2);
        return texts;
    }
};

struct Rig {
    SharedState state;
    RecordingView view;
    std::shared_ptr<FakeComPlatform> platform;
    TComPort port;
    PortSelection selection{state, port, view};

    explicit Rig(std::shared_ptr<FakeComPlatform> fake = std::make_shared<FakeComPlatform>())
        : platform(fake)
        , port(nullptr, fake)
    {
    }
    Rig(std::nullptr_t) : port(nullptr) {} // the real platform

    // Runs the search until Timer2 is disabled; the number of ticks.
    int runSearch()
    {
        int ticks = 0;
        while (view.timerEnabled && ticks < 200) {
            selection.Timer2Timer();
            ++ticks;
        }
        return ticks;
    }
    QStringList opens() const { return platform->log().filter(QStringLiteral("open ")); }
};

} // namespace

class TestPortSelection : public QObject {
    Q_OBJECT

private slots:
    void searchFindsPseudoTerminalOnCom3();
    void search_data();
    void search();
    void searchWhileOpenClosesFirst();
    void searchRestartedMidway();
    void portItem_data();
    void portItem();
    void sendCommand_data();
    void sendCommand();
    void failedCloseAfterFailedWriteReachesCaller();
    void stalledWriteClosesThePort();
    void lineErrorStatus();
    void openStoredPort_data();
    void openStoredPort();
    void disconnect();
};

void TestPortSelection::searchFindsPseudoTerminalOnCom3()
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    Pty pty;
    QVERIFY(pty.isOpen());
    writePortMap(config.path(), {{QStringLiteral("COM3"), pty.slavePath()}});

    Rig rig(nullptr);
    rig.state.readyToSend = false;
    rig.state.replyState = 4;
    rig.state.replyField = "12";
    rig.selection.Procurar1Click();
    QVERIFY(rig.view.timerEnabled);
    // COM1 and COM2 cost three ticks each; COM3 opens on the seventh and is
    // confirmed on the eighth.
    QCOMPARE(rig.runSearch(), 8);
    QCOMPARE(rig.view.panelHistory(0), QStringList({">1", ">2", ">3", "Comm3"}));
    QCOMPARE(rig.view.panels[1], QStringLiteral("Conectado"));
    QCOMPARE(rig.state.portNumber, 3);
    QCOMPARE(rig.state.portSearchState, 0);
    QCOMPARE(rig.state.replyState, 0);
    QVERIFY(rig.state.replyField.empty());
    QVERIFY(rig.state.readyToSend);
    QVERIFY(rig.port.Connected());
    QCOMPARE(rig.port.Port(), QStringLiteral("COM3"));

    rig.selection.sendCommand("@M\r\n");
    QCOMPARE(pty.read(4, 2000), QByteArray("@M\r\n"));
    QVERIFY(!rig.state.readyToSend);
}

void TestPortSelection::search_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QString>("panel0");
    QTest::addColumn<QString>("panel1");
    QTest::addColumn<int>("portNumber");

    QTest::newRow("nothing opens") << QStringList{"COM99"} << 48 << ">16"
                                   << "" << 17;
    QTest::newRow("COM1 opens") << QStringList{} << 2 << "Comm1"
                                << "Conectado" << 1;
    QTest::newRow("COM16, the last tried") << QStringList{"COM16"} << 47 << "Comm16"
                                           << "Conectado" << 16;
    QTest::newRow("COM17 is never tried") << QStringList{"COM17"} << 48 << ">16"
                                          << "" << 17;
}

void TestPortSelection::search()
{
    QFETCH(QStringList, present);
    Rig rig;
    rig.platform->present = present;
    rig.selection.Procurar1Click();
    QTEST(rig.runSearch(), "ticks");
    QVERIFY(!rig.view.timerEnabled);
    QTEST(rig.view.panels[0], "panel0");
    QTEST(rig.view.panels[1], "panel1");
    QTEST(rig.state.portNumber, "portNumber");
    QCOMPARE(rig.state.portSearchState, 0);
    QCOMPARE(rig.port.Connected(), rig.view.panels[1] == QLatin1String("Conectado"));
}

void TestPortSelection::searchWhileOpenClosesFirst()
{
    Rig rig;
    rig.state.portNumber = 2;
    rig.selection.openStoredPort();
    QVERIFY(rig.port.Connected());
    rig.selection.Procurar1Click();
    QVERIFY(!rig.port.Connected());
    QCOMPARE(rig.view.panelHistory(1), QStringList({"Conectado", "Desconectado", ""}));
    QCOMPARE(rig.view.panels[0], QStringLiteral("Comm2")); // shown before the count restarts
    QCOMPARE(rig.state.portNumber, 1);
    QVERIFY(rig.view.timerEnabled);
}

void TestPortSelection::searchRestartedMidway()
{
    Rig rig;
    rig.platform->present = {QStringLiteral("COM99")};
    rig.selection.Procurar1Click();
    rig.selection.Timer2Timer(); // tries COM1
    rig.selection.Timer2Timer(); // COM1 failed: step 2 next
    rig.selection.Procurar1Click();
    QCOMPARE(rig.state.portNumber, 1);
    rig.selection.Timer2Timer(); // the pending step advances the count
    rig.selection.Timer2Timer(); // tries COM2
    QCOMPARE(rig.opens(), QStringList({"open COM1", "open COM2"}));
}

void TestPortSelection::portItem_data()
{
    QTest::addColumn<bool>("com1Open");
    QTest::addColumn<int>("k");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("panel1History");
    QTest::addColumn<QString>("panel0");
    QTest::addColumn<bool>("connected");

    const QStringList both{"COM1", "COM2"};
    QTest::newRow("Comm2 while COM1 is open")
        << true << 2 << both << QStringList{"Conectado", "Desconectado", "Conectado"} << "Comm0" << true;
    QTest::newRow("Comm2 absent while COM1 is open")
        << true << 2 << QStringList{"COM1"} << QStringList{"Conectado", "Desconectado"} << "No Comm" << false;
    QTest::newRow("Comm4 absent while closed") << false << 4 << both << QStringList{} << "No Comm" << false;
    QTest::newRow("Comm3 while closed") << false << 3 << QStringList{} << QStringList{"Conectado"} << "Comm0" << true;
}

void TestPortSelection::portItem()
{
    QFETCH(bool, com1Open);
    QFETCH(int, k);
    QFETCH(QStringList, present);
    Rig rig;
    rig.platform->present = present;
    if (com1Open)
        rig.selection.openStoredPort(); // portNumber 0: COM1
    rig.selection.CommClick(k);
    QCOMPARE(rig.view.checked, k);
    QTEST(rig.view.panelHistory(1), "panel1History");
    QTEST(rig.view.panels[0], "panel0");
    QTEST(rig.port.Connected(), "connected");
    QCOMPARE(rig.port.Port(), QStringLiteral("COM%1").arg(k));
    QCOMPARE(rig.state.portNumber, 0); // the item does not change the stored number
}

void TestPortSelection::sendCommand_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<int>("writeLimit");
    QTest::addColumn<int>("failure");
    QTest::addColumn<bool>("readyBefore");
    QTest::addColumn<bool>("readyAfter");
    QTest::addColumn<bool>("connectedAfter");
    QTest::addColumn<QString>("panel1");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("closed: dropped, flag kept set") << false << -1 << 0 << true << true << false << "" << QByteArray();
    QTest::newRow("closed: dropped, flag kept clear")
        << false << -1 << 0 << false << false << false << "" << QByteArray();
    QTest::newRow("written") << true << -1 << 0 << true << false << true << "Conectado" << QByteArray("@T\r\n");
    // No reply can come over the port the failed write closed: the line is free.
    QTest::newRow("write refused") << true << -1 << EIO << true << true << false << "Desconectado" << QByteArray();
    QTest::newRow("write cut short by the time-out")
        << true << 2 << 0 << true << true << false << "Desconectado" << QByteArray("@T");
}

void TestPortSelection::sendCommand()
{
    QFETCH(bool, open);
    QFETCH(int, writeLimit);
    QFETCH(int, failure);
    QFETCH(bool, readyBefore);
    Rig rig;
    if (open) {
        rig.selection.openStoredPort();
        rig.platform->device()->writeLimit = writeLimit;
    }
    FakeComDevice *device = rig.platform->device();
    if (failure)
        rig.platform->failures.insert(QStringLiteral("write"), failure);
    rig.view.setStatusText(StatusPanel::Activity, QStringLiteral("Lendo ..."));
    rig.state.readyToSend = readyBefore;

    const bool written = rig.selection.sendCommand("@T\r\n");

    QCOMPARE(written, open && rig.port.Connected());
    QTEST(rig.state.readyToSend, "readyAfter");
    QTEST(rig.port.Connected(), "connectedAfter");
    QTEST(rig.view.panels[1], "panel1");
    const bool closedByWrite = open && !rig.port.Connected();
    QCOMPARE(rig.view.panels[2], closedByWrite ? QString() : QStringLiteral("Lendo ..."));
    if (open && rig.port.Connected())
        QTEST(device->written(), "written");
    else if (!open)
        QVERIFY(rig.platform->log().filter(QStringLiteral("write")).isEmpty());
}

void TestPortSelection::failedCloseAfterFailedWriteReachesCaller()
{
    Rig rig;
    rig.selection.openStoredPort();
    rig.platform->failures.insert(QStringLiteral("write"), EIO);
    rig.platform->failures.insert(QStringLiteral("purge"), EIO);
    try {
        rig.selection.sendCommand("@M\r\n");
        QFAIL("no error");
    } catch (const EComPort &e) {
        QCOMPARE(e.message(), QStringLiteral("PurgeComm function failed (win error code: 5)"));
    }
    QVERIFY(rig.port.Connected());
    // The next command tries again.
    rig.platform->failures.remove(QStringLiteral("write"));
    rig.selection.sendCommand("@M\r\n");
    QCOMPARE(rig.platform->device()->written(), QByteArray("@M\r\n"));
    rig.platform->failures.clear();
}

void TestPortSelection::stalledWriteClosesThePort()
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    Pty pty;
    writePortMap(config.path(), {{QStringLiteral("COM1"), pty.slavePath()}});
    Rig rig(nullptr);
    rig.state.portNumber = 1;
    rig.selection.openStoredPort();
    QVERIFY(rig.port.Connected());

    // Suspend the device's output, as a stalled adapter would.
    const int stall = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    QVERIFY(stall >= 0);
    QCOMPARE(tcflow(stall, TCOOFF), 0);
    QElapsedTimer timer;
    timer.start();
    rig.selection.sendCommand("@M\r\n");
    const qint64 elapsed = timer.elapsed();
    ::close(stall);

    // 1000 ms + 100 ms per byte, and not much more.
    QVERIFY2(elapsed >= 1350 && elapsed < 3000, qPrintable(QString::number(elapsed)));
    QVERIFY(!rig.port.Connected());
    QCOMPARE(rig.view.panels[1], QStringLiteral("Desconectado"));
}

void TestPortSelection::lineErrorStatus()
{
    Rig rig;
    rig.state.portNumber = 5;
    rig.selection.openStoredPort();
    QVERIFY(rig.port.Connected());
    QCOMPARE(rig.opens(), QStringList{"open COM5"});
    rig.view.setStatusText(StatusPanel::Activity, QStringLiteral("Lendo ..."));
    rig.platform->device()->raiseErrors(0x0008);
    QTRY_VERIFY(!rig.port.Connected());
    QCOMPARE(rig.view.panels[0], QStringLiteral("Comm5"));
    QCOMPARE(rig.view.panels[1], QString());
    QCOMPARE(rig.view.panels[2], QString());
}

void TestPortSelection::openStoredPort_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("opened"); // empty: the open fails
    QTest::addColumn<int>("checked");    // -1: untouched

    QTest::newRow("nothing stored") << 0 << QStringList{} << "COM1" << -1;
    QTest::newRow("stored 7") << 7 << QStringList{} << "COM7" << -1;
    QTest::newRow("stored 97, outside the range") << 97 << QStringList{} << "COM1" << -1;
    QTest::newRow("stored port absent") << 3 << QStringList{"COM1"} << "" << 0;
}

void TestPortSelection::openStoredPort()
{
    QFETCH(int, portNumber);
    QFETCH(QStringList, present);
    QFETCH(QString, opened);
    Rig rig;
    rig.platform->present = present;
    rig.state.portNumber = portNumber;
    rig.selection.openStoredPort();
    QCOMPARE(rig.port.Connected(), !opened.isEmpty());
    if (!opened.isEmpty()) {
        QCOMPARE(rig.port.Port(), opened);
        QCOMPARE(rig.view.panels[0], QStringLiteral("Comm%1").arg(portNumber));
        QCOMPARE(rig.view.panels[1], QStringLiteral("Conectado"));
    } else {
        QVERIFY(rig.view.history.isEmpty()); // silent
    }
    QTEST(rig.view.checked, "checked");
}

void TestPortSelection::disconnect()
{
    Rig rig;
    rig.selection.openStoredPort();
    rig.platform->failures.insert(QStringLiteral("purge"), EIO);
    QVERIFY_THROWS_EXCEPTION(EComPort, rig.selection.Desconectar1Click());
    QVERIFY(rig.port.Connected());
    rig.selection.closeAtExit(); // swallowed at shut-down
    rig.platform->failures.clear();
    rig.selection.Desconectar1Click();
    QVERIFY(!rig.port.Connected());
    QCOMPARE(rig.view.panels[1], QStringLiteral("Desconectado"));
    rig.selection.closeAtExit(); // closed already: nothing
    QCOMPARE(rig.view.panelHistory(1), QStringList({"Conectado", "Desconectado"}));
}

QTEST_GUILESS_MAIN(TestPortSelection)
#include "test_portselection.moc"
