// A downloaded test under line faults, end to end: the main window in-process
// and offscreen, the simulator with a fault on a pseudo-terminal. Whatever the
// fault, the test the operator saves is byte for byte the one a clean
// download saves, or its caption says it is not ("interrompido",
// "incompleto") and counts exactly the rows the viewer holds.
#include "core/SharedState.h"
#include "forms/ErrorReport.h"
#include "forms/Forms.h"
#include "forms/TesteTemperatura.h"
#include "forms/ViewerActions.h"
#include "forms/Visualizar.h"
#include "recordings/ViewerTable.h"
#include "support/Controls.h"
#include "support/ModalCatcher.h"
#include "support/Simulator.h"

#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

// Replies from 1: "@T", "@R0".."@R2", "@F" of the list read, then the
// download of test 3: "@R2" (6), "@t2" (7), "@r0" (8), "@A" (9), "@r1" (10) ...
const QStringList meter{"--sizes", "10,0,30", "--seed", "7"};
constexpr int replyTimeoutMs = 300;

enum class Action { Download, DownloadWhileListEnds, DownloadTwice };

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(Action)

class EndToEndIntegrityTest : public QObject {
    Q_OBJECT

    QTemporaryDir scratch;
    QByteArray cleanFile; // the third test as a fault-free download saves it

    std::unique_ptr<TForm1> mainWindow(SimulatorProcess &sim)
    {
        qputenv("XDG_CONFIG_HOME", scratch.path().toUtf8());
        shared() = SharedState();
        if (!sim.writeSettings(scratch.path(), 1, 1, replyTimeoutMs))
            return {};
        auto w = std::make_unique<TForm1>();
        control<QTabWidget>(*w, "PageControl1")->setCurrentWidget(control<QWidget>(*w, "TabSheet3"));
        w->show();
        return w;
    }

    static bool readTestList(TForm1 &w)
    {
        control<QAction>(w, "LerTestes1")->trigger();
        return QTest::qWaitFor([&] { return w.statusText(2) == QStringLiteral("Leitura finalizada."); }, 10000);
    }

    static void doubleClickNode(TForm1 &w, int index)
    {
        control<QTreeWidget>(w, "TreeView1")->clearSelection();
        control<QTreeWidget>(w, "TreeView1")->topLevelItem(index)->setSelected(true);
        w.TreeView1DblClick();
    }

    // The viewer's download has ended: the sequence is over and its caption
    // says how.
    static bool downloadEnded()
    {
        return Form5 && !shared().sequenceActive && Form5->windowTitle().contains(QStringLiteral("Registros"));
    }

    QByteArray savedViewer(const QString &name)
    {
        const QString path = scratch.filePath(name);
        viewerFileSeams().chooseSavePath = [path](QWidget *, const QString &) { return path; };
        saveViewerTest(*Form5);
        return fileBytes(path);
    }

    static void closeViewer()
    {
        if (Form5)
            Form5->close();
        QTRY_VERIFY(Form5.isNull());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(scratch.isValid());
        SimulatorProcess sim;
        QVERIFY2(sim.start(meter), qPrintable(sim.errorText()));
        auto w = mainWindow(sim);
        QVERIFY(w && readTestList(*w));
        doubleClickNode(*w, 2);
        QTRY_VERIFY_WITH_TIMEOUT(downloadEnded(), 10000);
        QCOMPARE(Form5->windowTitle(), QStringLiteral("Visualizar testes - 30 Registros"));
        cleanFile = savedViewer("clean.tvq");
        QVERIFY(cleanFile.count("{R") == 30);
        closeViewer();
    }

    void cleanup() { closeViewer(); }

    void faults_data()
    {
        QTest::addColumn<QStringList>("fault");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("marked"); // "" when the clean test must come, else the caption's mark

        const QString either = QStringLiteral("either");
        QTest::newRow("a stray line feed after a record")
            << QStringList{"--inject-after", "9:\\n"} << Action::Download << QString();
        QTest::newRow("stray line feeds after every kind of reply")
            << QStringList{"--inject-after", "6:\\n", "--inject-after", "7:\\n", "--inject-after", "12:\\r\\n"}
            << Action::Download << QString();
        QTest::newRow("a frame with the wrong letter during the download")
            << QStringList{"--inject-after", "10::T3\\r\\n"} << Action::Download << QString();
        QTest::newRow("a test-count fragment with the record count")
            << QStringList{"--inject-after", "6::T"} << Action::Download << QString();
        QTest::newRow("noise that opens a record after a record")
            << QStringList{"--inject-after", "11::A[00"} << Action::Download << either;
        QTest::newRow("a record the meter did not send")
            << QStringList{"--inject-after", "14::A01[0099]01/01/24 00:00:00 UMI=1\\x01SEC=2\\x01GLO=3\\x01C"}
            << Action::Download << either;
        QTest::newRow("a slow meter and a double-click while the list read ends")
            << QStringList{"--delay", "25"} << Action::DownloadWhileListEnds << QString();
        QTest::newRow("a second download after a stopped one")
            << QStringList{"--silent-after", "30"} << Action::DownloadTwice << QStringLiteral("interrompido");
        QTest::newRow("a meter that stops answering mid-download")
            << QStringList{"--silent-after", "25"} << Action::Download << QStringLiteral("interrompido");
        QTest::newRow("the meter unplugged mid-download")
            << QStringList{"--drop-after", "25"} << Action::Download << QStringLiteral("interrompido");
    }

    void faults()
    {
        QFETCH(QStringList, fault);
        QFETCH(Action, action);
        QFETCH(QString, marked);
        ModalCatcher boxes;
        SimulatorProcess sim;
        QVERIFY2(sim.start(meter + fault), qPrintable(sim.errorText()));
        auto w = mainWindow(sim);
        QVERIFY(w);

        if (action == Action::DownloadWhileListEnds) {
            // The tree is full, "@F" sent and not yet answered.
            control<QAction>(*w, "LerTestes1")->trigger();
            QVERIFY(QTest::qWaitFor([] { return shared().downloadStep == PollScheduler::MemoryUseRead; }, 10000));
            QVERIFY(!shared().readyToSend);
            QCOMPARE(control<QTreeWidget>(*w, "TreeView1")->topLevelItemCount(), 3);
        } else {
            QVERIFY(readTestList(*w));
        }
        if (action == Action::DownloadTwice) {
            doubleClickNode(*w, 0);
            QTRY_VERIFY_WITH_TIMEOUT(Form5 && Form5->Edit5->text().toInt() >= 3, 10000);
            closeViewer();
        }
        doubleClickNode(*w, 2);
        QTRY_VERIFY_WITH_TIMEOUT(downloadEnded(), 10 * replyTimeoutMs + 10000);

        const QString caption = Form5->windowTitle();
        const int rows = Form5->table().rowCount();
        const int held = Form5->Edit5->text().toInt();
        const QByteArray saved = savedViewer("fault.tvq");
        if (marked.isEmpty() || (marked == "either" && !caption.contains('('))) {
            QCOMPARE(caption, QStringLiteral("Visualizar testes - 30 Registros"));
            QCOMPARE(saved, cleanFile);
        } else {
            static const QRegularExpression shape(
                QStringLiteral("^Visualizar testes - (\\d+) Registros \\((\\w+)\\)$"));
            const QRegularExpressionMatch m = shape.match(caption);
            QVERIFY2(m.hasMatch(), qPrintable(caption));
            QVERIFY2(marked == "either" || m.captured(2) == marked, qPrintable(caption));
            // The count is the rows this viewer holds, each a whole record.
            QCOMPARE(m.captured(1).toInt(), held);
            QCOMPARE(rows, qMax(2, held + 1));
            if (held > 0) // an empty viewer saves its one empty row
                QCOMPARE(int(saved.count("{R")), held);
            QVERIFY(held < 30 || m.captured(2) == QStringLiteral("incompleto"));
        }
        QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.texts().join('|')));
    }

    // "Ler Testes" pressed again while a slow meter still answers the first:
    // the tree is the meter's, never counts of the abandoned read.
    void readingTheListTwiceOnASlowMeter()
    {
        SimulatorProcess sim;
        QVERIFY(sim.start(meter + QStringList{"--delay", "25"}));
        auto w = mainWindow(sim);
        QVERIFY(w);
        control<QAction>(*w, "LerTestes1")->trigger();
        // Pressed again while "@R1" waits for its reply.
        QVERIFY(QTest::qWaitFor(
            [] { return shared().downloadStep == PollScheduler::TestListNode && shared().testIndex == 1; }, 10000));
        QVERIFY(!shared().readyToSend);
        QVERIFY(readTestList(*w));
        QCOMPARE(control<QTreeWidget>(*w, "TreeView1")->topLevelItemCount(), 3);
        QCOMPARE(control<QTreeWidget>(*w, "TreeView1")->topLevelItem(0)->text(0),
                 QStringLiteral("Teste 1 -> Registros = 10"));
        QCOMPARE(control<QTreeWidget>(*w, "TreeView1")->topLevelItem(1)->text(0),
                 QStringLiteral("Teste 2 -> Registros = 0"));
        QCOMPARE(control<QTreeWidget>(*w, "TreeView1")->topLevelItem(2)->text(0),
                 QStringLiteral("Teste 3 -> Registros = 30"));
    }
};

int main(int argc, char **argv)
{
    GuardedApplication app(argc, argv);
    GuardedApplication::setApplicationName(QStringLiteral("VESTARA"));
    EndToEndIntegrityTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_e2e_integrity.moc"
