// The end-to-end helper: the settings it writes are the ones the client reads,
// the request log comes back byte for byte, and a simulator never outlives
// the process that started it.

#include "core/Registry.h"
#include "core/Settings.h"
#include "core/SettingsLocation.h"
#include "link/PortNames.h"
#include "support/Simulator.h"
#include "support/SimulatorPort.h"

#include <QElapsedTimer>
#include <QtTest>

#include <time.h>

namespace {

double monotonicSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

bool processGone(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) == "Z"; // ended, not yet reaped
}

} // namespace

class SimulatorHelperTest : public QObject {
    Q_OBJECT

    SimulatorProcess sim;
    SimulatorPort port;

private slots:
    void cleanup()
    {
        port.close();
        sim.stop();
    }

    void settingsReadByTheClient_data()
    {
        QTest::addColumn<int>("com");
        QTest::addColumn<int>("porta");
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("fresh folder, COM1") << 1 << 1 << QByteArray();
        QTest::newRow("COM7 with another stored port") << 7 << 3 << QByteArray();
        QTest::newRow("existing password and mapping kept")
            << 2 << 2 << QByteArray("Password=segredo\nPorta=9\n[Portas]\nCOM5=/dev/ttyUSB0\n");
    }

    void settingsReadByTheClient()
    {
        QFETCH(int, com);
        QFETCH(int, porta);
        QFETCH(QByteArray, before);
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
        if (!before.isEmpty()) {
            QVERIFY(QDir().mkpath(home.filePath(QStringLiteral("Tavenor"))));
            QFile file(settingsFilePath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(before);
        }
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        QVERIFY(sim.writeSettings(home.path(), com, porta));

        const QString comName = QStringLiteral("COM%1").arg(com);
        QCOMPARE(comDevicePath(comName, settingsFilePath()), sim.devicePath());
        TRegistry registry;
        QVERIFY(registry.OpenKey(settingsKey, false));
        QCOMPARE(registry.ReadInteger(QStringLiteral("Porta")), porta);
        if (!before.isEmpty()) {
            QCOMPARE(registry.ReadString(QStringLiteral("Password")), QStringLiteral("segredo"));
            QCOMPARE(comDevicePath(QStringLiteral("COM5"), settingsFilePath()), QStringLiteral("/dev/ttyUSB0"));
        }
        // And the device behind the name answers.
        QVERIFY(port.open(comDevicePath(comName, settingsFilePath())));
        QCOMPARE(port.ask("@T\r\n"), QByteArray(":T3\r\n"));
    }

    void requestsComeBackExactly_data()
    {
        QTest::addColumn<QByteArrayList>("sent");
        QTest::newRow("the client's requests")
            << QByteArrayList{"@M\r\n", "@R12\r\n", "@c1>BE999980\r\n", "@H235959311224\r\n"};
        QTest::newRow("escapes and control bytes")
            << QByteArrayList{"@Q\\n\x07\r\n", QByteArray("\x00@\x1b\r\n", 5), "\\x41\r\n", "lone LF\n"};
        QTest::newRow("bytes beyond ASCII") << QByteArrayList{"@\xff\xe9\x80\r\n", "Medi\xc3\xa7\xc3\xa3o\r\n"};
    }

    void requestsComeBackExactly()
    {
        QFETCH(QByteArrayList, sent);
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        QVERIFY(port.open(sim.devicePath()));
        const double before = monotonicSeconds();
        for (const QByteArray &request : sent)
            QVERIFY(port.write(request));
        QVERIFY(sim.waitForRequests(int(sent.size()), 3000));
        const double after = monotonicSeconds();
        QCOMPARE(sim.requests(), sent);
        // Time stamps on the system's monotonic clock, comparable across processes.
        double previous = 0.0;
        for (const LoggedRequest &r : sim.loggedRequests()) {
            QVERIFY(r.seconds >= before - 1e-6 && r.seconds <= after + 1e-6);
            QVERIFY(r.seconds >= previous);
            previous = r.seconds;
        }
    }

    void waitForRequestsTimesOut()
    {
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        QVERIFY(port.open(sim.devicePath()));
        QVERIFY(port.write("@T\r\n@T\r\n"));
        QVERIFY(sim.waitForRequests(2, 3000));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!sim.waitForRequests(3, 300));
        QVERIFY(clock.elapsed() >= 300 && clock.elapsed() < 2000);
    }

    void unpacedByDefault()
    {
        QVERIFY2(sim.start({"--drift", "0"}), qPrintable(sim.errorText()));
        QVERIFY(port.open(sim.devicePath()));
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 100; ++i)
            QCOMPARE(port.ask("@M\r\n"), QByteArray(":W24.5D30.2G33.8\r\n"));
        // 1800 bytes: 0.94 s at 19200 bit/s.
        QVERIFY2(clock.elapsed() < 600, qPrintable(QString::number(clock.elapsed())));
    }

    void ownLogPathKept()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("mine.log"));
        QVERIFY2(sim.start({"--log", log}), qPrintable(sim.errorText()));
        QCOMPARE(sim.logPath(), log);
        QVERIFY(port.open(sim.devicePath()));
        QVERIFY(port.write("@F\r\n"));
        QVERIFY(sim.waitForRequests(1, 3000));
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().endsWith(" @F\\r\\n\n"));
    }

    void endsWithItsParent()
    {
        QProcess shell;
        const QString script = QStringLiteral("'%1' --exit-with-parent 2>/dev/null & echo $!; sleep 0.5")
                                   .arg(QStringLiteral(VESTARA_BIN_DIR "/vestara-sim"));
        shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
        QVERIFY(shell.waitForFinished(5000));
        const QList<QByteArray> lines = shell.readAllStandardOutput().split('\n');
        QVERIFY(lines.size() >= 2);
        const qint64 pid = lines.first().toLongLong();
        QVERIFY(pid > 0);
        QTRY_VERIFY_WITH_TIMEOUT(processGone(pid), 3000);
    }
};

QTEST_GUILESS_MAIN(SimulatorHelperTest)
#include "test_simulator_helper.moc"
