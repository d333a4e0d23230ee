// The library in the windows: a test reopened from the library has the header
// and the Avaliação choices it was left with (the same verdict); a test file
// opened in the viewer is kept once; the Biblioteca window imports, opens,
// trashes, restores and empties the trash as the operator does.

#include "forms/AssessmentPage.h"
#include "forms/Biblioteca.h"
#include "forms/DecimalField.h"
#include "forms/Forms.h"
#include "forms/ViewerActions.h"
#include "forms/ViewerLibrary.h"
#include "forms/Visualizar.h"
#include "recordings/ViewerTable.h"
#include "recordings/library/LibraryModel.h"
#include "recordings/library/LibraryStore.h"
#include "recordings/library/ProgramLibrary.h"
#include "support/Controls.h"
#include "support/LibraryData.h"
#include "support/ModalCatcher.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

class LibraryWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<LibraryStore> store;
    qint64 test = 0;

    static void closeViewer(TForm5 *viewer)
    {
        QPointer<TForm5> gone = viewer;
        viewer->close();
        QTRY_VERIFY(gone.isNull());
    }

    QString writeTestFile(const QString &name, int records)
    {
        QByteArray bytes = "\r\n\r\n[TESTE=1]\r\n[CAB1=" + name.toLatin1() + "]\r\n[CAB2=]\r\n[CAB3=]\r\n[CAB4=]\r\n";
        for (int n = 1; n <= records; ++n) {
            const RecordRow r = libraryRecord(n);
            bytes += "{R" + QByteArray::number(n) + "-";
            for (int c = 1; c < 8; ++c)
                bytes += r[size_t(c)].toLatin1() + '\t';
            bytes += "}\r\n";
        }
        return writeFileBytes(dir.filePath(name + QStringLiteral(".tvq")), bytes);
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("dados")).toUtf8());
        closeProgramLibrary();
        store = std::make_unique<LibraryStore>(dir.filePath(QStringLiteral("janela.sqlite")));
        test = store->addTest(TestOrigin::meter(QStringLiteral("COM1"), 1, 90), {}, libraryRecords(1, 90),
                              TestState::Complete);
    }

    void aReopenedTestHasItsHeaderAndChoices()
    {
        TForm5 *viewer = openLibraryTest(nullptr, *store, test);
        QCOMPARE(viewer->table().cell(90, 1), libraryRecord(90)[1]);
        QTest::keyClicks(viewer->Edit1, QStringLiteral("Caldeira"));
        control<QComboBox>(*viewer, "ComboCriterio")->setCurrentIndex(2);
        control<DecimalField>(*viewer, "EditVestimenta")->setValue(2.5);
        const QString verdict = control<QLabel>(*viewer, "LabelConclusao")->text();
        const QString choices = viewer->TabSheet4->choicesText();
        closeViewer(viewer); // before the header's save delay: saved on closing

        viewer = openLibraryTest(nullptr, *store, test);
        QCOMPARE(viewer->headerField(1), QStringLiteral("Caldeira"));
        QCOMPARE(viewer->TabSheet4->choicesText(), choices);
        QCOMPARE(control<QLabel>(*viewer, "LabelConclusao")->text(), verdict);
        closeViewer(viewer);
    }

    void aTestFileOpenedIsKeptOnce()
    {
        const QString path = writeTestFile(QStringLiteral("Estufa"), 70);
        TForm5 *first = openTestFileInViewer(nullptr, path);
        control<QComboBox>(*first, "ComboIndice")->setCurrentIndex(1);
        closeViewer(first);
        TForm5 *again = openTestFileInViewer(nullptr, path);
        QCOMPARE(control<QComboBox>(*again, "ComboIndice")->currentIndex(), 1);
        closeViewer(again);
        QCOMPARE(programLibrary()->testCount({}), 1);
        QCOMPARE(programLibrary()->tests({}).front().header[0], QStringLiteral("Estufa"));
    }

    void theWindowFollowsAnotherProgramKeepingTheSelection()
    {
        LibraryWindow window(*store, nullptr);
        const int before = window.tests().matchingTests();
        window.selectRows(0, 0);
        const std::vector<qint64> selected = window.selectedTests();
        LibraryStore other(store->path());
        other.addTest(TestOrigin::meter(QStringLiteral("COM2"), 9, 2), {}, libraryRecords(1, 2), TestState::Complete);
        QTRY_COMPARE(window.tests().matchingTests(), before + 1);
        QCOMPARE(window.selectedTests(), selected);
    }

    // Only one selected download that was cut can be continued.
    void continuarDownloadTakesTheOneSelectedInterruptedDownload()
    {
        const qint64 cut = store->addTest(TestOrigin::meter(QStringLiteral("COM1"), 4, 30), {}, libraryRecords(1, 12),
                                          TestState::Interrupted);
        LibraryWindow window(*store, nullptr);
        QList<qint64> continued;
        window.continueDownload = [&](qint64 id) {
            continued << id;
            return true;
        };
        auto *button = control<QPushButton>(window, "continueButton");
        const auto rowOf = [&](qint64 id) {
            for (int row = 0; row < window.tests().rowCount(); ++row)
                if (window.tests().testAt(row) == id)
                    return row;
            return -1;
        };
        window.selectRows(rowOf(test), rowOf(test)); // complete
        QVERIFY(!button->isEnabled());
        window.selectRows(0, 1); // two tests
        QVERIFY(!button->isEnabled());
        window.selectRows(rowOf(cut), rowOf(cut));
        QVERIFY(button->isEnabled());
        button->click();
        QCOMPARE(continued, QList<qint64>{cut});
        store->trash({cut});
        store->emptyTrash();
    }

    void theWindowImportsOpensTrashesAndEmptiesTheTrash()
    {
        LibraryWindow window(*store, nullptr);
        QStringList told;
        window.tell = [&](QWidget *, const QString &text) { told << text; };
        window.confirm = [](QWidget *, const QString &) { return true; };
        window.importFiles({writeTestFile(QStringLiteral("Forno A"), 3), writeTestFile(QStringLiteral("Forno B"), 4)});
        QCOMPARE(told.last(), QStringLiteral("2 testes importados."));
        window.setSearch(QStringLiteral("forno"));
        QCOMPARE(window.tests().rowCount(), 2);

        window.selectRows(0, 0);
        const qint64 chosen = window.selectedTests().front();
        QTest::keyClick(window.findChild<QTableView *>(), Qt::Key_Return);
        QTRY_VERIFY(Form5);
        QCOMPARE(Form5->table().rowCount(), store->info(chosen)->recordCount + 1);
        closeViewer(Form5);

        window.trashOrRestoreSelected();
        QCOMPARE(window.tests().rowCount(), 1);
        window.showTrash(true);
        QCOMPARE(window.tests().testAt(0), chosen);
        window.selectRows(0, 0);
        window.trashOrRestoreSelected(); // restored
        QCOMPARE(window.tests().rowCount(), 0);
        window.showTrash(false);
        window.selectRows(0, 1);
        window.trashOrRestoreSelected();
        window.showTrash(true);
        window.emptyTrash();
        QCOMPARE(window.tests().rowCount(), 0);
        QVERIFY(!store->info(chosen));
    }
};

QTEST_MAIN(LibraryWindowTest)
#include "test_librarywindow.moc"
