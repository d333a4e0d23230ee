// The library flows end to end against the simulator on a pseudo-terminal,
// with the real library in a temporary data folder: --baixar-todos as a
// process (a second run skips what is kept), and in the main window the erase
// warning with the emptied list, and "Continuar download" of a download cut
// by a silent meter (the "Testes" page's button), which asks only for the
// missing records.
#include "core/SharedState.h"
#include "forms/Forms.h"
#include "forms/LibraryDownloads.h"
#include "forms/LibraryProgress.h"
#include "forms/TesteTemperatura.h"
#include "forms/Visualizar.h"
#include "recordings/library/LibraryStore.h"
#include "recordings/library/ProgramLibrary.h"
#include "support/Controls.h"
#include "support/ModalCatcher.h"
#include "support/Simulator.h"
#include "support/SimulatorClientProcess.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QStringList meter{"--sizes", "10,0,30", "--seed", "7"};

QString joined(const QByteArrayList &requests)
{
    QByteArrayList out;
    for (const QByteArray &r : requests)
        out << r.trimmed();
    return QString::fromLatin1(out.join(' '));
}

// The states and record counts of the library's tests, oldest first.
QString library()
{
    LibraryStore store(libraryFilePath());
    LibraryQuery query;
    query.order = LibraryOrder::Start;
    QStringList out;
    for (const TestInfo &t : store.tests(query))
        out << QStringLiteral("%1:%2:%3").arg(t.origin.meterTestNumber).arg(t.recordCount).arg(testStateText(t.state));
    out.sort();
    return out.join(' ');
}

} // namespace

class EndToEndLibraryTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> home;

    bool startMeter(SimulatorProcess &sim, const QStringList &fault = {}, int replyTimeoutMs = 0)
    {
        if (sim.start(meter + fault) && sim.writeSettings(home->path(), 1, 1, replyTimeoutMs))
            return true;
        qWarning("%s", qPrintable(sim.errorText()));
        return false;
    }

    // The main window on the "Testes" page (no live polling), its list read.
    static bool listRead(TForm1 &w)
    {
        control<QTabWidget>(w, "PageControl1")->setCurrentWidget(control<QWidget>(w, "TabSheet3"));
        w.show();
        control<QAction>(w, "LerTestes1")->trigger();
        return QTest::qWaitFor([&] { return w.statusText(2) == QStringLiteral("Leitura finalizada."); }, 10000);
    }

private slots:
    void init()
    {
        home = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", home->path().toUtf8());
        qputenv("XDG_DATA_HOME", home->filePath("data").toUtf8());
        closeProgramLibrary(); // the next window opens the library of this folder
        shared() = SharedState();
    }

    void downloadAllFromTheCommandLine()
    {
        SimulatorProcess sim;
        QVERIFY(startMeter(sim));
        const ClientRun first = runClientToEnd({"--baixar-todos"}, home->path());
        QCOMPARE(first.exitCode, 0);
        QVERIFY2(first.err.contains("2 testes baixados (40 registros), 0 já estavam na biblioteca"),
                 qPrintable(first.err));
        QCOMPARE(library(), QStringLiteral("1:10:completo 3:30:completo"));

        const qsizetype before = sim.requests().size();
        const ClientRun second = runClientToEnd({"--baixar-todos"}, home->path());
        QCOMPARE(second.exitCode, 0);
        QVERIFY2(second.err.contains("0 testes baixados (0 registros), 2 já estavam na biblioteca"),
                 qPrintable(second.err));
        // The list, then only the first and the last record of each test.
        QCOMPARE(joined(sim.requests().mid(before)),
                 QStringLiteral("@T @R0 @R1 @R2 @F @R0 @t0 @r0 @A @R0 @t0 @r9 @A @R2 @t2 @r0 @A @R2 @t2 @r29 @A"));
    }

    // The client checks its library once its window is up: a damaged file is
    // set aside (and a fresh one made) before any download needs it.
    void aDamagedLibraryIsSetAsideAtStartUp()
    {
        QDir().mkpath(QFileInfo(libraryFilePath()).path());
        QFile damaged(libraryFilePath());
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(8192, 'x'));
        damaged.close();
        SimulatorProcess sim; // a meter on the stored port: no start-up message
        QVERIFY(startMeter(sim));
        ClientProcess client;
        QVERIFY(client.start(home->path()));
        const QString folder = QFileInfo(libraryFilePath()).path();
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(folder).entryList({QStringLiteral("biblioteca.sqlite.danificada-*")}).isEmpty(),
                                 10000);
        client.stop();
    }

    void eraseWarnsThenShowsTheEmptyMeter()
    {
        SimulatorProcess sim;
        QVERIFY(startMeter(sim));
        QVERIFY(sim.writeSettings(home->path(), 1, 1));
        shared().userPassword = QStringLiteral("pelko");
        ModalCatcher catcher;
        TForm1 w;
        shared().userPassword = QStringLiteral("pelko");
        QVERIFY(listRead(w));
        QStringList asked;
        LibraryDownloads::current()->answerWithoutBox = [&](const QString &question) {
            asked << question;
            return EraseQuestion::Answer::Erase;
        };
        catcher.entries = QStringList{"pelko"};
        control<QAction>(w, "Apagarmemria1")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(catcher.texts(), QStringList{"Memória apagada..."}, 10000);
        QCOMPARE(asked, QStringList{"2 testes ainda não foram baixados: Teste 1, Teste 3. Apagar mesmo assim?"});
        QTRY_VERIFY_WITH_TIMEOUT(
            w.statusText(2) == QStringLiteral("Leitura finalizada.") && sim.requests().last().startsWith("@F"), 10000);
        QCOMPARE(control<QLineEdit>(w, "Edit2")->text(), QStringLiteral("0"));
        // The meter without tests: the one node of the empty list, no test left to open.
        QCOMPARE(control<QTreeWidget>(w, "TreeView1")->topLevelItemCount(), 1);
        QCOMPARE(control<QTreeWidget>(w, "TreeView1")->topLevelItem(0)->text(0),
                 QStringLiteral("Teste 1 -> Registros = 0"));
        QCOMPARE(joined(sim.requests()).section(QStringLiteral("@X "), 1), QStringLiteral("@T @R0 @F"));
    }

    void continueAsksOnlyForTheMissingRecords()
    {
        {
            // Silent after the list (5), "@R2", "@t2" and 12 record pairs.
            SimulatorProcess sim;
            QVERIFY(startMeter(sim, {"--silent-after", "31"}, 200));
            TForm1 w;
            QVERIFY(listRead(w));
            control<QTreeWidget>(w, "TreeView1")->topLevelItem(2)->setSelected(true);
            w.TreeView1DblClick();
            QTRY_VERIFY_WITH_TIMEOUT(Form5 && Form5->windowTitle().contains(QStringLiteral("(interrompido)")), 10000);
            Form5->close();
            QTRY_COMPARE(library(), QStringLiteral("3:12:interrompido"));
        }
        shared() = SharedState();
        SimulatorProcess sim;
        QVERIFY(startMeter(sim));
        TForm1 w;
        control<QTabWidget>(w, "PageControl1")->setCurrentWidget(control<QWidget>(w, "TabSheet3"));
        QPushButton *resume = nullptr;
        for (QPushButton *b : w.findChildren<QPushButton *>())
            if (b->text() == QStringLiteral("Continuar download"))
                resume = b;
        QVERIFY(resume);
        resume->click();
        LibraryProgress &progress = LibraryDownloads::current()->progressWindow();
        QTRY_VERIFY_WITH_TIMEOUT(!progress.running(), 10000);
        QCOMPARE(progress.activityText(), QStringLiteral("Teste 3 completo: 30 registros."));
        QString expected = QStringLiteral("@R2 @t2 @r0 @A @R2 @t2 @r11 @A @R2 @t2");
        for (int j = 12; j < 30; ++j)
            expected += QStringLiteral(" @r%1 @A").arg(j);
        QCOMPARE(joined(sim.requests()), expected);
        QCOMPARE(library(), QStringLiteral("3:30:completo"));
    }
};

QTEST_MAIN(EndToEndLibraryTest)
#include "test_e2e_library.moc"
