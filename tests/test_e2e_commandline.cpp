// The command line's meter commands end to end: the real client as a process
// without any display against the simulator on a pseudo-terminal, and for
// the download the main window in-process saving the same test through
// "Salvar dados", byte for byte what the command line wrote.
#include "core/SharedState.h"
#include "forms/Forms.h"
#include "forms/TesteTemperatura.h"
#include "forms/ViewerActions.h"
#include "forms/Visualizar.h"
#include "support/ChildProcess.h"
#include "support/Controls.h"
#include "support/Simulator.h"
#include "support/SimulatorClientProcess.h"

#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QStringList meter{"--sizes", "10,0,30", "--seed", "7"};

QByteArrayList lines(std::initializer_list<const char *> requests)
{
    QByteArrayList out;
    for (const char *r : requests)
        out << QByteArray(r) + "\r\n";
    return out;
}

// The window's download of test `node` (0-based), saved through "Salvar dados".
QByteArray windowSavedTest(int node, const QString &path)
{
    TForm1 w;
    control<QTabWidget>(w, "PageControl1")->setCurrentWidget(control<QWidget>(w, "TabSheet3"));
    w.show();
    control<QAction>(w, "LerTestes1")->trigger();
    if (!QTest::qWaitFor([&] { return w.statusText(2) == QStringLiteral("Leitura finalizada."); }, 10000))
        return {};
    control<QTreeWidget>(w, "TreeView1")->topLevelItem(node)->setSelected(true);
    w.TreeView1DblClick();
    if (!QTest::qWaitFor([] { return Form5 && Form5->windowTitle().contains(QStringLiteral("Registros")); }, 10000))
        return {};
    viewerFileSeams().chooseSavePath = [path](QWidget *, const QString &) { return path; };
    saveViewerTest(*Form5);
    Form5->close();
    return readWholeFile(path);
}

} // namespace

class EndToEndCommandLineTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> config;

    // The simulator with `fault`, COM<comNumber> mapped to it and "Porta" 1.
    bool startMeter(SimulatorProcess &sim, const QStringList &fault = {}, int comNumber = 1, int replyTimeoutMs = 0)
    {
        if (sim.start(meter + fault) && sim.writeSettings(config->path(), comNumber, 1, replyTimeoutMs))
            return true;
        qWarning("%s", qPrintable(sim.errorText()));
        return false;
    }

private slots:
    void init()
    {
        config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", config->path().toUtf8());
        shared() = SharedState();
    }

    void listsTheTestsAndTheMemory()
    {
        SimulatorProcess sim;
        QVERIFY(startMeter(sim));
        const ClientRun run = runClientToEnd({"--listar"}, config->path());
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith("Teste 1: 10 registros\nTeste 2: 0 registros\nTeste 3: 30 registros\nMemória: "),
                 qPrintable(run.out));
        QCOMPARE(run.out.count('\n'), 4);
        QCOMPARE(sim.requests(), lines({"@T", "@R0", "@R1", "@R2", "@F"}));
    }

    // --porta names COM2, which only the [Portas] group maps; the stored
    // "Porta" (1) is the window's.
    void downloadsTheFileSalvarDadosWrites()
    {
        SimulatorProcess sim;
        QVERIFY(startMeter(sim, {}, 2));
        const QString cli = config->filePath("linha de comando.tvq");
        const ClientRun run = runClientToEnd({"--baixar", "3", "--saida", cli, "--porta", "COM2"}, config->path());
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains("Teste 3: 30 de 30 registros\n"), qPrintable(run.err));
        QCOMPARE(run.out, QString());

        QVERIFY(sim.writeSettings(config->path(), 2, 2));
        const QByteArray window = windowSavedTest(2, config->filePath("janela.tvq"));
        QCOMPARE(window.count("{R"), 30);
        QCOMPARE(readWholeFile(cli), window);
    }

    // Silent from the first "@A" on: four of them, then the end, no file.
    void aSilentMeterEndsTheDownloadWithStatusOne()
    {
        SimulatorProcess sim;
        QVERIFY(startMeter(sim, {"--silent-after", "8"}, 1, 200));
        const QString path = config->filePath("t.tvq");
        const ClientRun run = runClientToEnd({"--baixar", "3", "--saida", path}, config->path());
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.endsWith("Leitura interrompida no registro 1 de 30: sem resposta do medidor.\n"),
                 qPrintable(run.err));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(sim.requests().mid(8), lines({"@A", "@A", "@A", "@A"}));
    }
};

QTEST_MAIN(EndToEndCommandLineTest)
#include "test_e2e_commandline.moc"
