// The command line's meter commands on a session without any window, against
// the scripted serial platform playing a meter: what they print and save,
// the requests they send, and their exit status.
#include "app/CommandLine.h"
#include "app/MeterCommand.h"
#include "support/FakeComPlatform.h"
#include "support/ScriptedMeter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class MeterCommandTest : public QObject {
    Q_OBJECT

    QTemporaryDir config;

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        qputenv("XDG_DATA_HOME", config.filePath("data").toUtf8()); // --baixar keeps its test there
        QVERIFY(QDir().mkpath(config.filePath("Tavenor")));
        QFile ini(config.filePath("Tavenor/Quorvin.conf"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("Porta=2\nPassword=pelko\nTempoResposta=100\n");
    }

    void run_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("errEnd");
        QTest::addColumn<QString>("requests");

        const QString listRead = "@T @R0 @R1 @F";
        QTest::newRow("the list read prints the tests and the memory")
            << QStringList{"--listar"} << 0
            << "Teste 1: 2 registros\nTeste 2: 3 registros\nMemória: 1500 livres de 2000\n"
            << "" << listRead;
        QTest::newRow("a download saves the test whole")
            << QStringList{"--baixar", "2", "--saida", "@"} << 0 << ""
            << "Teste 2: 3 de 3 registros\nTeste 2 gravado em @: 3 registros.\n"
            << listRead + " @R1 @t1 @r0 @A @r1 @A @r2 @A";
        QTest::newRow("a test the meter does not hold") << QStringList{"--baixar", "3", "--saida", "@"} << 1 << ""
                                                        << "O medidor tem 2 testes: não há teste 3.\n"
                                                        << listRead;
        QTest::newRow("the clock set and confirmed") << QStringList{"--relogio", "--porta", "COM3"} << 0 << ""
                                                     << "Relógio ajustado.\n"
                                                     << "@H";
    }

    void run()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, errEnd);
        QTemporaryDir scratch;
        const QString saved = scratch.filePath("teste 2.tvq");
        args.replaceInStrings("@", saved);
        errEnd.replace("@", saved);
        args.prepend("vestara");
        const CommandLine line = parseCommandLine(args);
        QVERIFY(line.meterCommand());

        auto platform = std::make_shared<FakeComPlatform>();
        ScriptedMeter meter(*platform);
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        QTEST(runMeterCommand(line, outStream, errStream, platform), "status");

        QTEST(out, "out");
        QVERIFY2(err.right(errEnd.size()) == errEnd, qPrintable(err));
        QByteArrayList sent;
        for (const QByteArray &r : meter.requests)
            sent << (r.startsWith("@H") ? r.left(2) : r);
        QTEST(QString::fromLatin1(sent.join(' ')), "requests");
        QCOMPARE(platform->log().first(),
                 line.portNumber == 3 ? QStringLiteral("open COM3") : QStringLiteral("open COM2"));

        const bool whole = line.action == CommandLine::Action::DownloadTest && out.isEmpty() && err.contains("gravado");
        QCOMPARE(QFile::exists(saved), whole);
        if (whole) {
            QFile file(saved);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QCOMPARE(bytes.count("{R"), 3);
            QVERIFY(bytes.contains("{R3-10:00:02\t24,5\t26\t30,25\t26,225\t25,8\t01/01/24\t}\r\n"));
        }
    }
};

QTEST_GUILESS_MAIN(MeterCommandTest)
#include "test_meter_command.moc"
