// The real client ended by a signal, as a service manager, a terminal's
// Ctrl+C or a closed session ends it: it closes the main window in order, so
// the settings reach the disk and the process exits normally.

#include "support/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

class E2eSignalsTest : public QObject {
    Q_OBJECT
private slots:
    void signalClosesInOrder_data();
    void signalClosesInOrder();
};

void E2eSignalsTest::signalClosesInOrder_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM from a service manager") << int(SIGTERM);
    QTest::newRow("SIGINT from Ctrl+C") << int(SIGINT);
    QTest::newRow("SIGHUP from a closed terminal") << int(SIGHUP);
}

void E2eSignalsTest::signalClosesInOrder()
{
    QFETCH(int, signal);
    QTemporaryDir config;
    QVERIFY(QDir().mkpath(config.path() + "/Tavenor"));
    const QString ini = config.path() + "/Tavenor/Quorvin.conf";
    {
        // An empty "Password" reads as "pelko", which only the close writes back.
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Porta=3\nPassword=\n[Portas]\nCOM3=/nonexistent/tty\n");
    }
    QProcess client;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    client.setProcessEnvironment(env);
    client.setProcessChannelMode(QProcess::MergedChannels);
    client.start(QStringLiteral(VESTARA_BIN_DIR "/vestara"), {});
    QVERIFY(client.waitForStarted(10000));
    // Printed while the main window is created, after the handlers are set.
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += client.readAll()).contains("stored port not opened"), 60000);

    ::kill(pid_t(client.processId()), signal);
    QVERIFY(client.waitForFinished(60000));
    QCOMPARE(client.exitStatus(), QProcess::NormalExit);
    QCOMPARE(client.exitCode(), 0);
    QSettings disk(ini, QSettings::IniFormat);
    QCOMPARE(disk.value("Password").toString(), QStringLiteral("pelko"));
    QCOMPARE(disk.value("Porta").toString(), QStringLiteral("3"));
    QCOMPARE(disk.value("Portas/COM3").toString(), QStringLiteral("/nonexistent/tty"));
}

QTEST_GUILESS_MAIN(E2eSignalsTest)
#include "test_e2e_signals.moc"
