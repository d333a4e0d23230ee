// The client's command line: the parser's answers, and the real program run
// with them (--help and --version without any display, a wrong option, a
// test file that is not there reaching the default error report).

#include "app/CommandLine.h"
#include "support/ChildProcess.h"
#include "support/SimulatorClientProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString actionName(CommandLine::Action action)
{
    switch (action) {
    case CommandLine::Action::Run: return QStringLiteral("run");
    case CommandLine::Action::Help: return QStringLiteral("help");
    case CommandLine::Action::Version: return QStringLiteral("version");
    case CommandLine::Action::Error: return QStringLiteral("error");
    case CommandLine::Action::ListTests: return QStringLiteral("list");
    case CommandLine::Action::DownloadTest: return QStringLiteral("download");
    case CommandLine::Action::DownloadAll: return QStringLiteral("download all");
    case CommandLine::Action::SetClock: return QStringLiteral("clock");
    }
    return {};
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

    // The meter commands: the action, then "port test output" as read, or
    // the usage error's text.
    void parseMeterCommand_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("read");
        QTest::newRow("--listar uses the stored port") << QStringList{"--listar"} << "list"
                                                       << "0 0 ";
        QTest::newRow("--porta names the port in any case") << QStringList{"--listar", "--porta", "com12"} << "list"
                                                            << "12 0 ";
        QTest::newRow("--porta takes a bare number too") << QStringList{"--porta", "3", "--relogio"} << "clock"
                                                         << "3 0 ";
        QTest::newRow("--baixar with --saida") << QStringList{"--baixar", "2", "--saida", "t 2.tvq"} << "download"
                                               << "0 2 t 2.tvq";
        QTest::newRow("--baixar-todos takes a port") << QStringList{"--baixar-todos", "--porta", "COM2"}
                                                     << "download all"
                                                     << "2 0 ";
        QTest::newRow("test 0 does not exist") << QStringList{"--baixar", "0", "--saida", "t.tvq"} << "error"
                                               << "Número de teste inválido: 0 (o primeiro teste é 1).";
        QTest::newRow("a test number must be a number") << QStringList{"--baixar", "x", "--saida", "t.tvq"} << "error"
                                                        << "Número de teste inválido: x (o primeiro teste é 1).";
        QTest::newRow("--baixar needs --saida") << QStringList{"--baixar", "1"} << "error"
                                                << "--baixar precisa de --saida ARQUIVO.tvq.";
        QTest::newRow("--saida alone is an error") << QStringList{"--saida", "t.tvq", "--listar"} << "error"
                                                   << "--saida só vale com --baixar.";
        QTest::newRow("an option without its value") << QStringList{"--listar", "--porta"} << "error"
                                                     << "Falta o valor de --porta.";
        QTest::newRow("a port outside COM1..COM96") << QStringList{"--listar", "--porta", "COM97"} << "error"
                                                    << "Porta inválida: COM97 (use COM1 a COM96).";
        QTest::newRow("--porta without a command") << QStringList{"--porta", "COM1"} << "error"
                                                   << "--porta só vale com --listar, --baixar, --baixar-todos ou --relogio.";
        QTest::newRow("two commands at once")
            << QStringList{"--listar", "--relogio"} << "error"
            << "Só um comando do medidor de cada vez: --listar, --baixar, --baixar-todos ou --relogio.";
        QTest::newRow("a test file with a command") << QStringList{"a.tvq", "--listar"} << "error"
                                                    << "Um arquivo de teste não pode ser aberto junto com um comando "
                                                       "do medidor.";
    }

    void parseMeterCommand()
    {
        QFETCH(QStringList, args);
        args.prepend(QStringLiteral("vestara"));
        const CommandLine line = parseCommandLine(args);
        QTEST(actionName(line.action), "action");
        const QString read =
            line.action == CommandLine::Action::Error
                ? line.message
                : QStringLiteral("%1 %2 %3").arg(line.portNumber).arg(line.testNumber).arg(line.outputFile);
        QTEST(read, "read");
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
        const ClientRun run = runClientToEnd({option}, config.path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, option == "--help" ? helpText() : versionText());
        QCOMPARE(run.err, QString());
        QCOMPARE(QDir(config.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    void clientRefusesAWrongOption()
    {
        QTemporaryDir config;
        const ClientRun run = runClientToEnd({"--portas", "COM1"}, config.path());
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QString());
        QCOMPARE(run.err, QStringLiteral("Opção desconhecida: --portas\nUse --help para ver as opções.\n"));
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
        QProcessEnvironment env = bareClientEnvironment(config.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        client.setProcessEnvironment(env);
        client.start(QStringLiteral(VESTARA_BIN_DIR "/vestara"), {missing});
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
