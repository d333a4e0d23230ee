// The archiver between a download and the viewer: the viewer gets every
// write, the library every whole record, committed as the download goes, so
// a cut download keeps what arrived.

#include "recordings/ViewerTableSink.h"
#include "recordings/library/LibraryArchiver.h"
#include "recordings/library/LibraryStore.h"
#include "support/LibraryData.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Record n's cells in the order the reply parser writes them, then the count.
void writeRecord(ViewerSink &sink, int n)
{
    const RecordRow row = libraryRecord(n);
    for (int c : {0, 7, 1, 2, 3, 4, 5, 6})
        sink.setViewerCell(n, c, row[size_t(c)]);
    sink.setViewerRecordCount(n);
}

} // namespace

class LibraryArchiverTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("biblioteca.sqlite")); }
    const TestOrigin origin = TestOrigin::meter(QStringLiteral("COM1"), 4, 40);

private slots:
    void init() { QFile::remove(path()); }

    void aDownloadCutMidwayKeepsItsRecords()
    {
        LibraryStore store(path());
        ViewerTableSink viewer;
        qint64 id;
        {
            LibraryArchiver archiver(store, viewer);
            archiver.commitIntervalMs = 0;
            id = archiver.begin(origin);
            archiver.setHeaderField(1, QStringLiteral("Forno"));
            for (int n = 1; n <= 30; ++n)
                writeRecord(archiver, n);
            archiver.setViewerCell(31, 0, QStringLiteral("31")); // the cable is pulled here

            // Another program sees the records before the download ends.
            LibraryStore other(path());
            QCOMPARE(other.info(id)->recordCount, 30);
            QCOMPARE(other.info(id)->header[0], QStringLiteral("Forno"));
        } // the viewer is closed
        QCOMPARE(viewer.table.cell(31, 0), QStringLiteral("31"));
        QCOMPARE(viewer.header[0], QStringLiteral("Forno"));
        const TestInfo info = *store.info(id);
        QCOMPARE(info.state, TestState::Interrupted);
        QCOMPARE(info.lastRow, 30);
        QCOMPARE(info.lastRecord, libraryRecord(30));
    }

    void theDownloadsEndSetsTheState_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<TestState>("state");
        QTest::newRow("a download that ended is complete") << QStringLiteral(" - 5 Registros") << TestState::Complete;
        QTest::newRow("records out of order make it incomplete")
            << QStringLiteral(" - 5 Registros (incompleto)") << TestState::Incomplete;
        QTest::newRow("a silent meter interrupts it")
            << QStringLiteral(" - 5 Registros (interrompido)") << TestState::Interrupted;
    }
    void theDownloadsEndSetsTheState()
    {
        QFETCH(QString, caption);
        QFETCH(TestState, state);
        LibraryStore store(path());
        ViewerTableSink viewer;
        LibraryArchiver archiver(store, viewer);
        const qint64 id = archiver.begin(origin);
        for (int n = 1; n <= 5; ++n)
            writeRecord(archiver, n);
        archiver.appendViewerCaption(caption);
        QVERIFY(archiver.finished());
        QCOMPARE(viewer.caption, caption);
        QCOMPARE(store.info(id)->state, state);
        QCOMPARE(store.info(id)->recordCount, 5);
    }

    void aBusyLibraryDelaysArchivingWithoutLosingRecords()
    {
        LibraryStore store(path(), 20);
        ViewerTableSink viewer;
        LibraryArchiver archiver(store, viewer);
        archiver.commitIntervalMs = 0;
        QStringList failures;
        archiver.failed = [&](const QString &message) { failures << message; };
        const qint64 id = archiver.begin(origin);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
            db.setDatabaseName(path());
            QVERIFY(db.open());
            QSqlQuery hold(db);
            QVERIFY(hold.exec(QStringLiteral("BEGIN IMMEDIATE")));
            for (int n = 1; n <= 3; ++n)
                writeRecord(archiver, n);
            QVERIFY(hold.exec(QStringLiteral("ROLLBACK")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
        QCOMPARE(failures.size(), 1);
        QVERIFY(failures.front().contains(QStringLiteral("em uso")));
        QCOMPARE(viewer.table.cell(3, 0), QStringLiteral("3"));
        writeRecord(archiver, 4);
        QCOMPARE(store.info(id)->recordCount, 4);
    }

    void aContinuedDownloadAddsOnlyTheMissingRecords()
    {
        LibraryStore store(path());
        ViewerTableSink viewer;
        qint64 id;
        {
            LibraryArchiver first(store, viewer);
            id = first.begin(origin);
            for (int n = 1; n <= 10; ++n)
                writeRecord(first, n);
        }
        LibraryArchiver resumed(store, viewer);
        QVERIFY(resumed.continueTest(id));
        for (int n = 1; n <= 20; ++n) // rows the viewer shows again, then the missing ones
            writeRecord(resumed, n);
        resumed.appendViewerCaption(QStringLiteral(" - 20 Registros"));
        const TestInfo info = *store.info(id);
        QCOMPARE(info.state, TestState::Complete);
        QCOMPARE(info.recordCount, 20);
        QCOMPARE(info.intervalSeconds, 60);
    }
};

QTEST_GUILESS_MAIN(LibraryArchiverTest)
#include "test_libraryarchiver.moc"
