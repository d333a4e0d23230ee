// The client's command line: the parser's answers, and the real program run
// with them (--help and --version without any display, a wrong option, a
// test file that is not there reaching the default error report).

#include "app/CommandLine.h"
#include "support/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kClient = QStringLiteral(VESTARA_BIN_DIR "/vestara");

QString actionName(CommandLine::Action action)
{
    switch (action) {
    case CommandLine::Action::Run: return QStringLiteral("run");
    case CommandLine::Action::Help: return QStringLiteral("help");
    case CommandLine::Action::Version: return QStringLiteral("version");
    case CommandLine::Action::Error: return QStringLiteral("error");
    }
    return {};
}

// The client with no display at all, settings in a folder of the test's.
QProcessEnvironment bareEnvironment(const QString &config)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    return env;
}

struct Run {
    int exitCode = -1;
    QString out, err;
};

Run runClient(const QStringList &args, const QString &config)
{
    QProcess client;
    client.setProcessEnvironment(bareEnvironment(config));
    client.start(kClient, args);
    Run run;
    if (!client.waitForFinished(30000)) {
        endProcess(client);
        return run;
    }
    run.exitCode = client.exitStatus() == QProcess::NormalExit ? client.exitCode() : -1;
    run.out = QString::fromUtf8(client.readAllStandardOutput());
    run.err = QString::fromUtf8(client.readAllStandardError());
    return run;
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("no arguments start the client") << QStringList{} << "run"
                                                       << ""
                                                       << "";
        QTest::newRow("a test file is opened at start-up") << QStringList{"teste.tvq"} << "run"
                                                           << "teste.tvq"
                                                           << "";
        QTest::newRow("a file name with spaces and accents stays whole")
            << QStringList{"/home/op/Medições de junho/forno 2.tvq"} << "run"
            << "/home/op/Medições de junho/forno 2.tvq"
            << "";
        QTest::newRow("--help") << QStringList{"--help"} << "help"
                                << ""
                                << "";
        QTest::newRow("-h") << QStringList{"-h"} << "help"
                            << ""
                            << "";
        QTest::newRow("--version") << QStringList{"--version"} << "version"
                                   << ""
                                   << "";
        QTest::newRow("-v") << QStringList{"-v"} << "version"
                            << ""
                            << "";
        QTest::newRow("help wins over a file before it") << QStringList{"a.tvq", "--help"} << "help"
                                                         << ""
                                                         << "";
        QTest::newRow("an unknown option is an error") << QStringList{"--abrir"} << "error"
                                                       << ""
                                                       << "Opção desconhecida: --abrir";
        QTest::newRow("a lone dash is an unknown option") << QStringList{"-"} << "error"
                                                          << ""
                                                          << "Opção desconhecida: -";
        QTest::newRow("after -- a name starting with a dash is a file") << QStringList{"--", "-teste.tvq"} << "run"
                                                                        << "-teste.tvq"
                                                                        << "";
        QTest::newRow("after -- --help is a file too") << QStringList{"--", "--help"} << "run"
                                                       << "--help"
                                                       << "";
        QTest::newRow("two files are an error") << QStringList{"a.tvq", "b.tvq"} << "error"
                                                << ""
                                                << "Só um arquivo de teste pode ser aberto de cada vez.";
    }

    void parse()
    {
        QFETCH(QStringList, args);
        args.prepend(QStringLiteral("vestara"));
        const CommandLine line = parseCommandLine(args);
        QTEST(actionName(line.action), "action");
        if (line.action == CommandLine::Action::Run)
            QTEST(line.testFile, "file");
        QTEST(line.message, "message");
    }

    void texts()
    {
        QVERIFY(helpText().contains(QStringLiteral("--version")));
        QVERIFY(helpText().contains(QStringLiteral("arquivo.tvq")));
        QVERIFY(helpText().contains(QStringLiteral("dialout")));
        QVERIFY(versionText().startsWith(QStringLiteral("VESTARA ")));
        QVERIFY(versionText().endsWith(QLatin1Char('\n')));
    }

    // --help and --version answer without a display and without touching
    // the settings (a first run would otherwise show a message box).
    void clientAnswersWithoutDisplay_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("--help prints the help") << "--help";
        QTest::newRow("--version prints the version") << "--version";
    }

    void clientAnswersWithoutDisplay()
    {
        QFETCH(QString, option);
        QTemporaryDir config;
        const Run run = runClient({option}, config.path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, option == "--help" ? helpText() : versionText());
        QCOMPARE(run.err, QString());
        QCOMPARE(QDir(config.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    void clientRefusesAWrongOption()
    {
        QTemporaryDir config;
        const Run run = runClient({"--porta", "COM1"}, config.path());
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QString());
        QCOMPARE(run.err, QStringLiteral("Opção desconhecida: --porta\nUse --help para ver as opções.\n"));
    }

    // The client started on a test file that is not there shows the default
    // error report naming the file (logged as it is shown) and goes on.
    void clientReportsAMissingTestFile()
    {
        QTemporaryDir config;
        QVERIFY(QDir().mkpath(config.filePath("Tavenor")));
        {
            // Settings present (no first-run message) and COM1 mapped to no device.
            QFile ini(config.filePath("Tavenor/Quorvin.conf"));
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write("Porta=1\nPassword=pelko\n[Portas]\nCOM1=" + config.filePath("tty").toUtf8() + "\n");
        }
        const QString missing = config.filePath("ausente.tvq");
        QProcess client;
        QProcessEnvironment env = bareEnvironment(config.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        client.setProcessEnvironment(env);
        client.start(kClient, {missing});
        QVERIFY(client.waitForStarted(10000));
        const QByteArray expected = QStringLiteral("error report: Não foi possível abrir \"%1\"").arg(missing).toUtf8();
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT((err += client.readAllStandardError()).contains(expected), 20000);
        QCOMPARE(client.state(), QProcess::Running); // the report box is up, the client lives
        endProcess(client);
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "test_commandline.moc"
