// The serial link over real pseudo-terminals: line settings on the device,
// exclusive opening, delivery of received bytes through the event thread,
// and a device that vanishes while open.

#include "link/ComPort.h"
#include "link/ComTerminal.h"
#include "support/Pty.h"

#include <QTemporaryDir>
#include <QtTest>

#include <ctime>
#include <termios.h>

namespace {

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

} // namespace

class TestComThread : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void openAppliesRawLineSettings();
    void openAndCloseEvents();
    void missingDevice_data();
    void missingDevice();
    void secondOpenRefused();
    void bytesInSeveralBatches();
    void vanishingDevice_data();
    void vanishingDevice();

private:
    std::unique_ptr<QTemporaryDir> config;
    std::unique_ptr<Pty> pty;
};

void TestComThread::init()
{
    config = std::make_unique<QTemporaryDir>();
    QVERIFY(config->isValid());
    qputenv("XDG_CONFIG_HOME", config->path().toLocal8Bit());
    pty = std::make_unique<Pty>();
    QVERIFY(pty->isOpen());
    writePortMap(config->path(), {{QStringLiteral("COM1"), pty->slavePath()}});
}

void TestComThread::cleanup()
{
    pty.reset();
    config.reset();
}

void TestComThread::openAppliesRawLineSettings()
{
    TComPort port;
    port.Open();
    termios tio{};
    QCOMPARE(tcgetattr(pty->masterFd(), &tio), 0); // the slave's settings
    QCOMPARE(cfgetospeed(&tio), speed_t(B19200));
    QCOMPARE(cfgetispeed(&tio), speed_t(B19200));
    QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    QVERIFY(tio.c_cflag & CLOCAL);
    QCOMPARE(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), tcflag_t(0));
    QCOMPARE(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP | INPCK), tcflag_t(0));
    QCOMPARE(tio.c_oflag & OPOST, tcflag_t(0));
}

void TestComThread::openAndCloseEvents()
{
    QStringList events;
    TComPort port;
    port.OnAfterOpen = [&](QObject *sender) {
        QCOMPARE(sender, &port);
        events << (port.Connected() ? "afterOpen connected" : "afterOpen closed");
    };
    port.OnAfterClose = [&](QObject *) { events << (port.Connected() ? "afterClose connected" : "afterClose closed"); };
    port.setPort(QStringLiteral("1"));
    port.setConnected(true);
    QVERIFY(port.Connected());
    QCOMPARE(port.SendText("@M\r\n"), 4);
    QCOMPARE(pty->read(4, 2000), QByteArray("@M\r\n"));
    port.setConnected(false);
    QCOMPARE(events, QStringList({"afterOpen connected", "afterClose closed"}));
}

void TestComThread::missingDevice_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("mappedTo"); // empty: COM2 not listed
    QTest::newRow("name not listed") << "2"
                                     << "";
    QTest::newRow("listed device absent") << "2"
                                          << "/dev/ttyVESTARA-none";
}

void TestComThread::missingDevice()
{
    QFETCH(QString, port);
    QFETCH(QString, mappedTo);
    if (!mappedTo.isEmpty())
        writePortMap(config->path(), {{"COM1", pty->slavePath()}, {"COM2", mappedTo}});
    TComPort comPort;
    bool told = false;
    comPort.OnAfterOpen = comPort.OnAfterClose = [&](QObject *) { told = true; };
    comPort.setPort(port);
    try {
        comPort.Open();
        QFAIL("opened");
    } catch (const EComPort &e) {
        QCOMPARE(e.Code(), 1);
        QCOMPARE(e.message(), QStringLiteral("Unable to open com port (win error code: 2)"));
    }
    QVERIFY(!comPort.Connected());
    QVERIFY(!told);
}

void TestComThread::secondOpenRefused()
{
    TComPort first;
    TComPort second;
    first.Open();
    try {
        second.Open();
        QFAIL("the same device opened twice");
    } catch (const EComPort &e) {
        QCOMPARE(e.Code(), 1);
        QCOMPARE(e.WinCode(), EBUSY);
    }
    QVERIFY(!second.Connected());
    // Released at the close, exclusive mode included.
    first.Close();
    second.Open();
    QVERIFY(second.Connected());
    QVERIFY_THROWS_EXCEPTION(EComPort, first.Open());
}

void TestComThread::bytesInSeveralBatches()
{
    QByteArray received;
    int buffers = 0;
    TComPort port;
    TComTerminal terminal;
    terminal.setComPort(&port);
    terminal.OnChar = [&](QObject *sender, char ch) {
        QCOMPARE(sender, &terminal);
        received.append(ch);
    };
    port.OnRxBuf = [&](QObject *, const char *, int) { ++buffers; };
    port.Open();

    QByteArray sent;
    for (int chunk = 0; chunk < 6; ++chunk) {
        QByteArray bytes;
        for (int i = 0; i < 50; ++i)
            bytes.append(char((chunk * 50 + i) % 256)); // NUL, control and high bytes
        bytes.append(":W25.3D26.1G31.0\r\n");
        QVERIFY(pty->write(bytes));
        sent += bytes;
        QTRY_COMPARE(received.size(), sent.size());
    }
    QCOMPARE(received, sent);
    QVERIFY(buffers >= 6);
    QTest::qWait(50);
    QCOMPARE(received, sent); // nothing twice
}

void TestComThread::vanishingDevice_data()
{
    QTest::addColumn<bool>("handlerCloses");
    QTest::newRow("error handler closes the port") << true;
    QTest::newRow("no error handler") << false;
}

void TestComThread::vanishingDevice()
{
    QFETCH(bool, handlerCloses);
    QStringList events;
    QByteArray received;
    TComPort port;
    TComTerminal terminal;
    terminal.setComPort(&port);
    port.OnAfterClose = [&](QObject *) { events << QStringLiteral("afterClose"); };
    if (handlerCloses) {
        port.OnError = [&](QObject *, TComErrors errors) {
            events << QStringLiteral("error %1").arg(errors.toInt(), 0, 16);
            port.Close();
        };
    }
    port.Open();
    pty->closeMaster();
    if (handlerCloses) {
        QTRY_COMPARE(events,
                     QStringList({QStringLiteral("error %1").arg(int(ceIO), 0, 16), QStringLiteral("afterClose")}));
        QVERIFY(!port.Connected());
    }

    // Nothing spins on the hung-up device. A plain event loop, as in the
    // program: QTest::qWait would sleep between its rounds and hide a spin.
    const double before = processCpuSeconds();
    QEventLoop loop;
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    loop.exec();
    const double used = processCpuSeconds() - before;
    QVERIFY2(used < 0.2, qPrintable(QStringLiteral("%1 s of CPU").arg(used)));

    // A write fails instead of hanging, and the port closes.
    if (!handlerCloses) {
        QVERIFY(port.Connected());
        QVERIFY_THROWS_EXCEPTION(EComPort, port.SendText("@M\r\n"));
        port.Close();
        QCOMPARE(events, QStringList{"afterClose"});
    }

    // The device comes back (here: as another pseudo-terminal) and opens.
    Pty back;
    writePortMap(config->path(), {{QStringLiteral("COM1"), back.slavePath()}});
    terminal.OnChar = [&](QObject *, char ch) { received.append(ch); };
    port.Open();
    QVERIFY(back.write("ok"));
    QTRY_COMPARE(received, QByteArray("ok"));
}

QTEST_GUILESS_MAIN(TestComThread)
#include "test_comthread.moc"
