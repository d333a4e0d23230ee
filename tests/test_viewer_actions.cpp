// The viewer's toolbar and "Carregar teste" as the operator uses them: the
// file dialogs answered through the seam, the files written read back byte by
// byte, the export's workbook handed to a recording opener, a report window
// per press, and the loading through the main window's menu item.

#include "core/AppError.h"
#include "core/SharedState.h"
#include "forms/Forms.h"
#include "forms/Relatorio.h"
#include "forms/TesteTemperatura.h"
#include "forms/ViewerActions.h"
#include "forms/Visualizar.h"
#include "recordings/FileOpener.h"
#include "recordings/ViewerTable.h"
#include "sheet/Sheet.h"
#include "support/Controls.h"
#include "support/FakeComPlatform.h"
#include "support/ModalCatcher.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLineSeries>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

struct RecordingOpener : FileOpener {
    QStringList opened;
    bool accept = true;
    bool open(const QString &path) override
    {
        opened << path;
        return accept;
    }
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString kHeader[4] = {QStringLiteral("Ação — “Teste”"), QStringLiteral("Setor 5"),
                            QStringLiteral("Empresa € Ltda."), QStringLiteral("Observações: ‘calor’ … ™")};

const QStringList kRows[3] = {
    {"08:00:00", "24,7", "30,1", "35,2", "27,85", "27,34", "01/02/2024"},
    {"08:01:00", "24,8", "30,2", "35,4", "27,98", "27,46", "01/02/2024"},
    {"08:02:00", "25", "30,4", "35,5", "28,15", "27,64", "01/02/2024"},
};

// The viewer as a download of three records leaves it.
void fillAsDownloaded(TForm5 &viewer)
{
    QLineEdit *edits[4] = {viewer.Edit1, viewer.Edit2, viewer.Edit3, viewer.Edit4};
    for (int f = 0; f < 4; ++f)
        edits[f]->setText(kHeader[f]);
    for (int r = 0; r < 3; ++r) {
        viewer.setViewerCell(r + 1, 0, QString::number(r));
        for (int c = 1; c <= 7; ++c)
            viewer.setViewerCell(r + 1, c, kRows[r][c - 1]);
    }
    shared().viewerRecordCount = 3;
}

QList<TForm3 *> reportWindows()
{
    QList<TForm3 *> found;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *report = qobject_cast<TForm3 *>(w))
            found << report;
    return found;
}

void closeAllWindows()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class ViewerActionsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::shared_ptr<RecordingOpener> opener;
    ViewerFileSeams platformSeams;
    int saveDialogs = 0, openDialogs = 0;
    QString savePath, openPath; // what the dialogs answer; empty = cancelled
    QStringList proposedPaths;  // what the save dialog was opened on

    void answerDialogs()
    {
        ViewerFileSeams &seams = viewerFileSeams();
        seams.chooseSavePath = [this](QWidget *, const QString &proposed) {
            ++saveDialogs;
            proposedPaths << proposed;
            return savePath;
        };
        seams.chooseOpenPath = [this](QWidget *) {
            ++openDialogs;
            return openPath;
        };
        seams.opener = opener;
    }

private slots:
    void initTestCase()
    {
        platformSeams = viewerFileSeams();
        // As the program runs: its title on the error report, the decimal comma.
        QCoreApplication::setApplicationName(QStringLiteral("VESTARA"));
        QLocale numbers(QLocale::Portuguese, QLocale::Brazil);
        numbers.setNumberOptions(QLocale::OmitGroupSeparator);
        QLocale::setDefault(numbers);
    }

    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CACHE_HOME", dir->filePath("cache").toUtf8());
        qputenv("XDG_CONFIG_HOME", dir->filePath("config").toUtf8());
        shared() = SharedState();
        opener = std::make_shared<RecordingOpener>();
        saveDialogs = openDialogs = 0;
        proposedPaths.clear();
        savePath.clear();
        openPath.clear();
        answerDialogs();
    }

    void cleanup()
    {
        closeAllWindows();
        viewerFileSeams() = platformSeams;
    }

    // The program's own dialogs and opener are there until a test replaces them.
    void platformSeamsArePlugged()
    {
        QVERIFY(platformSeams.chooseSavePath);
        QVERIFY(platformSeams.chooseOpenPath);
        QVERIFY(platformSeams.opener);
    }

    void nothingToSaveOrExport_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("save before any test was shown") << "ToolButton2";
        QTest::newRow("export before any test was shown") << "ToolButton4";
    }

    void nothingToSaveOrExport()
    {
        QFETCH(QString, button);
        TForm5 *viewer = openViewer(nullptr);
        savePath = dir->filePath("teste.tvq");
        ModalCatcher catcher;
        QTest::mouseClick(viewer->findChild<QToolButton *>(button), Qt::LeftButton);
        QCOMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes[0].caption, QStringLiteral("Aviso"));
        QCOMPARE(catcher.boxes[0].text, QStringLiteral("Não existe testes"));
        QCOMPARE(saveDialogs, 0);
        QVERIFY(!QFile::exists(savePath));
        QCOMPARE(opener->opened, QStringList());
        QVERIFY(!QDir(dir->filePath("cache")).exists());
    }

    // The dialog does not ask before replacing a file; the bytes are the
    // format's, header and cells unchanged, column 0 rebuilt from the row.
    void saveWritesTheFileOverAnOldOne()
    {
        TForm5 *viewer = openViewer(nullptr);
        fillAsDownloaded(*viewer);
        savePath = dir->filePath("teste.tvq");
        {
            QFile old(savePath);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("um teste antigo, mais longo que o novo? não\r\n");
        }
        ModalCatcher catcher;
        QTest::mouseClick(viewer->ToolButton2, Qt::LeftButton);
        QCOMPARE(saveDialogs, 1);
        QCOMPARE(readAll(savePath), readAll(QFINDTESTDATA("data/tvq/three_records.tvq")));
        QCOMPARE(catcher.boxes.size(), 0);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{"teste.tvq"});
    }

    // The dialog opens on the test's own name, in the folder of the last save,
    // which the settings file keeps.
    void saveProposesTheTestsNameInTheLastFolder()
    {
        TForm5 *viewer = openViewer(nullptr);
        fillAsDownloaded(*viewer);
        QVERIFY(QDir().mkpath(dir->filePath("medições")));
        savePath = dir->filePath("medições/forno.tvq");
        ModalCatcher catcher;
        QTest::mouseClick(viewer->ToolButton2, Qt::LeftButton);
        QTest::mouseClick(viewer->ToolButton2, Qt::LeftButton);
        QCOMPARE(proposedPaths.size(), 2);
        QCOMPARE(QFileInfo(proposedPaths[0]).fileName(), kHeader[0] + QStringLiteral(" 01-02-2024.tvq"));
        QVERIFY(QFileInfo(proposedPaths[0]).absolutePath() != dir->filePath("medições"));
        QCOMPARE(proposedPaths[1], dir->filePath("medições/") + kHeader[0] + QStringLiteral(" 01-02-2024.tvq"));
        QSettings kept(dir->filePath("config/Tavenor/Quorvin.conf"), QSettings::IniFormat);
        QCOMPARE(kept.value("UltimaPasta").toString(), dir->filePath("medições"));
    }

    void saveCancelledWritesNothing()
    {
        TForm5 *viewer = openViewer(nullptr);
        fillAsDownloaded(*viewer);
        ModalCatcher catcher;
        QTest::mouseClick(viewer->ToolButton2, Qt::LeftButton);
        QCOMPARE(saveDialogs, 1);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList());
        QCOMPARE(catcher.boxes.size(), 0);
    }

    // Characters the code page lacks are named once the file is written.
    void saveTellsWhatTheCodePageLost()
    {
        TForm5 *viewer = openViewer(nullptr);
        fillAsDownloaded(*viewer);
        viewer->Edit1->setText(QStringLiteral("Forno Ω"));
        savePath = dir->filePath("teste.tvq");
        ModalCatcher catcher;
        QTest::mouseClick(viewer->ToolButton2, Qt::LeftButton);
        QCOMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes[0].caption, QStringLiteral("Aviso"));
        QVERIFY2(catcher.boxes[0].text.contains(QStringLiteral("Nome")), qPrintable(catcher.boxes[0].text));
        QVERIFY(readAll(savePath).contains("[CAB1=Forno ?]\r\n"));
        QCOMPARE(viewer->Edit1->text(), QStringLiteral("Forno Ω"));
    }

    void saveFailureGoesToTheErrorReport()
    {
        TForm5 *viewer = openViewer(nullptr);
        fillAsDownloaded(*viewer);
        savePath = dir->filePath("nao/existe/teste.tvq");
        ModalCatcher catcher;
        QTest::mouseClick(viewer->ToolButton2, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes.size(), 1, 5000);
        QCOMPARE(catcher.boxes[0].icon, int(QMessageBox::Critical));
        QVERIFY2(catcher.boxes[0].text.contains(savePath), qPrintable(catcher.boxes[0].text));
        QCOMPARE(viewer->table().rowCount(), 4);
        QCOMPARE(viewer->table().cell(3, 3), QStringLiteral("30,4"));
    }

    void exportHandsTheWorkbookToTheOpener()
    {
        TForm5 *viewer = openViewer(nullptr);
        fillAsDownloaded(*viewer);
        ModalCatcher catcher;
        QTest::mouseClick(viewer->ToolButton4, Qt::LeftButton);
        QCOMPARE(catcher.boxes.size(), 0);
        QCOMPARE(opener->opened.size(), 1);
        const QString path = opener->opened[0];
        QVERIFY2(path.startsWith(dir->filePath("cache")) && path.endsWith(".xlsx"), qPrintable(path));
        QVERIFY(readAll(path).startsWith("PK")); // a zip: the workbook
        QCOMPARE(viewer->table().rowCount(), 4);
    }

    // No spreadsheet application: the file is kept, the operator told which.
    void exportWithoutApplicationGoesToTheErrorReport()
    {
        TForm5 *viewer = openViewer(nullptr);
        fillAsDownloaded(*viewer);
        opener->accept = false;
        ModalCatcher catcher;
        QTest::mouseClick(viewer->ToolButton4, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes.size(), 1, 5000);
        QCOMPARE(catcher.boxes[0].icon, int(QMessageBox::Critical));
        QCOMPARE(opener->opened.size(), 1);
        QVERIFY2(catcher.boxes[0].text.contains(opener->opened[0]), qPrintable(catcher.boxes[0].text));
        QVERIFY(QFile::exists(opener->opened[0]));
        QCOMPARE(viewer->table().cell(1, 1), QStringLiteral("08:00:00"));
    }

    // Each press is a new report, a snapshot of the viewer at that moment;
    // the report outlives the viewer.
    void printOpensAReportEachPress()
    {
        TForm5 *viewer = openViewer(nullptr); // no check: even without records
        QTest::mouseClick(viewer->ToolButton1, Qt::LeftButton);
        QCOMPARE(reportWindows().size(), 1);
        fillAsDownloaded(*viewer);
        QTest::mouseClick(viewer->ToolButton1, Qt::LeftButton);
        QCOMPARE(reportWindows().size(), 2);
        TForm3 *latest = Form3;
        QVERIFY(latest && latest->isVisible());
        const Sheet &sheet = latest->content().sheet();
        QCOMPARE(sheet.text(5, 1), QStringLiteral("Nome: ") + kHeader[0]);
        QCOMPARE(sheet.text(13, 4), QStringLiteral("30,4"));
        QPointer<TForm3> report = latest;
        viewer->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(report && report->isVisible());
    }

    void loadThroughTheMenu_data()
    {
        QTest::addColumn<QString>("chosen"); // "" = cancelled
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("records");
        QTest::addColumn<int>("testCount");
        const QString golden = QFINDTESTDATA("data/tvq/three_records.tvq");
        QTest::newRow("a saved test of three records fills the viewer")
            << golden << "Visualizar testes - 3 Registros" << 4 << "3" << 0;
        QTest::newRow("a cancelled dialog leaves the empty viewer open") << ""
                                                                         << "Visualizar testes" << 2 << "" << 7;
        QTest::newRow("a name that does not exist leaves the empty viewer, no message")
            << "nao-existe.tvq"
            << "Visualizar testes" << 2 << "" << 7;
    }

    void loadThroughTheMenu()
    {
        QFETCH(QString, chosen);
        auto platform = std::make_shared<FakeComPlatform>();
        ModalCatcher catcher;
        TForm1 main(nullptr, platform);
        main.show();
        catcher.boxes.clear(); // the first run's settings message
        shared().testCount = 7;
        openPath = chosen.isEmpty() || QFileInfo(chosen).isAbsolute() ? chosen : dir->filePath(chosen);
        control<QAction>(main, "Carregarteste1")->trigger();
        QCOMPARE(openDialogs, 1);
        QVERIFY(Form5);
        TForm5 &viewer = *Form5;
        QVERIFY(viewer.isVisible());
        QVERIFY(!main.isEnabled());
        QTEST(viewer.windowTitle(), "caption");
        QTEST(viewer.table().rowCount(), "rows");
        QTEST(viewer.Edit5->text(), "records");
        QTEST(shared().testCount, "testCount");
        QCOMPARE(catcher.boxes.size(), 0);
        if (viewer.table().rowCount() == 4) {
            QCOMPARE(viewer.Edit1->text(), kHeader[0]);
            QCOMPARE(viewer.table().cell(3, 0), QStringLiteral("3"));
            QCOMPARE(viewer.table().cell(3, 7), QStringLiteral("01/02/2024"));
            QCOMPARE(viewer.Series[2]->count(), 3);
            QCOMPARE(shared().viewerRecordCount, 3);
        } else {
            QCOMPARE(viewer.Series[0]->count(), 0);
        }
        // The loaded viewer's toolbar is live.
        savePath = dir->filePath("copia.tvq");
        QTest::mouseClick(viewer.ToolButton2, Qt::LeftButton);
        if (viewer.table().rowCount() == 4)
            QCOMPARE(readAll(savePath), readAll(chosen));
        viewer.close();
        QVERIFY(main.isEnabled());
        main.close();
    }

    // A file that cannot be read: the default error report naming it; the
    // viewer keeps what was placed (nothing) and stays open.
    void unreadableFileThroughTheMenu()
    {
        auto platform = std::make_shared<FakeComPlatform>();
        ModalCatcher catcher;
        TForm1 main(nullptr, platform);
        catcher.boxes.clear();
        openPath = dir->filePath("pasta.tvq");
        QVERIFY(QDir().mkpath(openPath));
        control<QAction>(main, "Carregarteste1")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes.size(), 1, 5000);
        QCOMPARE(catcher.boxes[0].icon, int(QMessageBox::Critical));
        QVERIFY2(catcher.boxes[0].text.contains(openPath), qPrintable(catcher.boxes[0].text));
        QVERIFY(Form5 && Form5->isVisible());
        QCOMPARE(Form5->windowTitle(), QStringLiteral("Visualizar testes"));
        main.close();
    }

    // The start-up road (`vestara FILE.tvq`): the same filling; a file that
    // is not there or cannot be read leaves no viewer and the main window
    // usable, with the error report naming the file.
    void openAtStart_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("opens");
        QTest::newRow("a saved test opens in the viewer") << QFINDTESTDATA("data/tvq/three_records.tvq") << true;
        QTest::newRow("a file that does not exist") << "ausente.tvq" << false;
        QTest::newRow("a folder named like a test file") << "pasta.tvq" << false;
    }

    void openAtStart()
    {
        QFETCH(QString, file);
        QFETCH(bool, opens);
        const QString path = QFileInfo(file).isAbsolute() ? file : dir->filePath(file);
        if (file == "pasta.tvq")
            QVERIFY(QDir().mkpath(path));
        auto platform = std::make_shared<FakeComPlatform>();
        ModalCatcher catcher;
        TForm1 main(nullptr, platform);
        main.show();
        catcher.boxes.clear();
        main.openTestFileAtStart(path);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(openDialogs, 0);
        if (opens) {
            QVERIFY(Form5);
            QCOMPARE(Form5->windowTitle(), QStringLiteral("Visualizar testes - 3 Registros"));
            QCOMPARE(Form5->Edit5->text(), QStringLiteral("3"));
            QVERIFY(!main.isEnabled());
            QCOMPARE(catcher.boxes.size(), 0);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes.size(), 1, 5000);
            QCOMPARE(catcher.boxes[0].caption, QStringLiteral("VESTARA"));
            QCOMPARE(catcher.boxes[0].icon, int(QMessageBox::Critical));
            QVERIFY2(catcher.boxes[0].text.startsWith(QStringLiteral("Não foi possível abrir \"%1\"").arg(path)),
                     qPrintable(catcher.boxes[0].text));
            QTRY_VERIFY_WITH_TIMEOUT(!Form5, 5000);
            QVERIFY(main.isEnabled());
        }
        main.close();
    }
};

QTEST_MAIN(ViewerActionsTest)
#include "test_viewer_actions.moc"
