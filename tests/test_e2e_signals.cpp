// The real client ended by a signal, as a service manager, a terminal's
// Ctrl+C or a closed session ends it: it closes the main window in order, so
// the settings reach the disk and the process exits normally; what the close
// cannot do is told on standard error, never in a box that waits.

#include "support/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <QElapsedTimer>

#include <csignal>
#include <functional>

#include <sys/resource.h>

namespace {

// The settings file of a test's own folder: an empty "Password", which reads
// as "pelko" and only the close writes back, and COM3 mapped to no device.
const QByteArray kSettings = "Porta=3\nPassword=\n[Portas]\nCOM3=/nonexistent/tty\n";

struct ClosedRun {
    bool finished = false;
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QByteArray output; // standard output and error
};

// Starts the client on the settings folder, waits until its main window is
// made (the handlers are set by then), sends the signal and waits for the end.
// childSetUp runs in the child before the client starts.
ClosedRun closeBySignal(const QString &config, int signal, std::function<void()> childSetUp = {})
{
    QProcess client;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    client.setProcessEnvironment(env);
    client.setProcessChannelMode(QProcess::MergedChannels);
    if (childSetUp)
        client.setChildProcessModifier(childSetUp);
    client.start(QStringLiteral(VESTARA_BIN_DIR "/vestara"), {});
    ClosedRun run;
    if (!client.waitForStarted(10000))
        return run;
    // Printed while the main window is created, after the handlers are set.
    QElapsedTimer waited;
    waited.start();
    // Under a file-size limit the line may not come through the pipe in
    // time; ten seconds are many times the window's creation.
    while (!run.output.contains("stored port not opened") && waited.elapsed() < 10000 &&
           client.state() == QProcess::Running) {
        client.waitForReadyRead(1000);
        run.output += client.readAll();
    }
    ::kill(pid_t(client.processId()), signal);
    run.finished = client.waitForFinished(60000);
    run.output += client.readAll();
    if (!run.finished)
        endProcess(client);
    run.status = client.exitStatus();
    run.exitCode = client.exitCode();
    return run;
}

QString writeSettingsFile(const QTemporaryDir &config)
{
    QDir().mkpath(config.path() + "/Tavenor");
    const QString ini = config.path() + "/Tavenor/Quorvin.conf";
    QFile f(ini);
    if (f.open(QIODevice::WriteOnly))
        f.write(kSettings);
    return ini;
}

} // namespace

class E2eSignalsTest : public QObject {
    Q_OBJECT
private slots:
    void signalClosesInOrder_data();
    void signalClosesInOrder();
    void aSettingsFailureAtTheCloseGoesToStandardError_data();
    void aSettingsFailureAtTheCloseGoesToStandardError();
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
    const QString ini = writeSettingsFile(config);
    const ClosedRun run = closeBySignal(config.path(), signal);
    QVERIFY(run.finished);
    QCOMPARE(run.status, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 0);
    QSettings disk(ini, QSettings::IniFormat);
    QCOMPARE(disk.value("Password").toString(), QStringLiteral("pelko"));
    QCOMPARE(disk.value("Porta").toString(), QStringLiteral("3"));
    QCOMPARE(disk.value("Portas/COM3").toString(), QStringLiteral("/nonexistent/tty"));
}

// A close started by a signal never waits for someone to press OK: what it
// has to tell goes to standard error and the client ends, the settings file
// as it was. Under a file-size limit the write fails with a message instead
// of SIGXFSZ killing the client.
void E2eSignalsTest::aSettingsFailureAtTheCloseGoesToStandardError_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<int>("fileSizeLimit"); // bytes, 0 for none
    QTest::addColumn<QString>("told");
    QTest::newRow("a read-only settings file is reported, not shown in a box")
        << true << 0 << "VESTARA: O arquivo de configuração %1 é somente leitura";
    QTest::newRow("a write past the file-size limit fails with a message, not SIGXFSZ")
        << false << 16 << "VESTARA: O arquivo de configuração %1 não pode ser examinado: sem espaço";
}

void E2eSignalsTest::aSettingsFailureAtTheCloseGoesToStandardError()
{
    QFETCH(bool, readOnly);
    QFETCH(int, fileSizeLimit);
    QFETCH(QString, told);
    QTemporaryDir config;
    const QString ini = writeSettingsFile(config);
    if (readOnly)
        QVERIFY(QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    const ClosedRun run = closeBySignal(config.path(), SIGTERM, [fileSizeLimit] {
        if (fileSizeLimit == 0)
            return;
        // The default action, as a shell gives it, so that only the client's
        // own handling keeps it alive.
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    QVERIFY2(run.finished, run.output.constData());
    QVERIFY2(run.status == QProcess::NormalExit, run.output.constData());
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.output.contains(told.arg(ini).toUtf8()), run.output.constData());
    QCOMPARE(readWholeFile(ini), kSettings);
}

QTEST_GUILESS_MAIN(E2eSignalsTest)
#include "test_e2e_signals.moc"
