// The library's file: what a test keeps comes back cell for cell, a test is
// found by its meter origin, the trash, and the file's faults (damaged, newer,
// busy, read-only, full) on real SQLite files.

#include "recordings/ViewerTableSink.h"
#include "recordings/library/LibraryStore.h"
#include "support/LibraryData.h"
#include "support/Unprivileged.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class LibraryStoreTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("biblioteca.sqlite")); }

    // Runs sql on the file through a connection of its own, as another program would.
    void rawSql(const QString &sql)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
            db.setDatabaseName(path());
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY2(q.exec(sql), qPrintable(q.lastError().text()));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    }

    QByteArray fileBytes() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void init() { QFile::remove(path()); }

    void aTestComesBackCellForCell()
    {
        LibraryStore store(path());
        const qint64 id = store.createTest(TestOrigin::meter(QStringLiteral("COM1"), 3, 1200),
                                           {QStringLiteral("Forno 2"), QStringLiteral("Fundição"),
                                            QStringLiteral("Açúcar S.A."), QStringLiteral("perto da porta")});
        // Batches across chunk ends; a row left out (row 700) and texts
        // holding the row separator and characters beyond Latin-1.
        auto rows = libraryRecords(1, 1200);
        rows.erase(rows.begin() + 699);
        rows[5].texts[2] = QStringLiteral("a\x1F"
                                          "b€");
        store.appendRecords(id, {rows.begin(), rows.begin() + 300});
        store.appendRecords(id, {rows.begin() + 250, rows.end()}); // 250..299 kept already
        store.finishTest(id, TestState::Incomplete);

        ViewerTableSink viewer;
        QVERIFY(store.loadTest(id, viewer));
        QCOMPARE(viewer.table.rowCount(), 1201);
        for (const NumberedRow &row : rows)
            for (int c = 0; c < ViewerTable::ColumnCount; ++c)
                QCOMPARE(viewer.table.cell(row.row, c), row.texts[size_t(c)]);
        QCOMPARE(viewer.table.cell(700, 0), QString());
        QCOMPARE(viewer.header[2], QStringLiteral("Açúcar S.A."));
        QCOMPARE(viewer.caption, QStringLiteral(" - 1200 Registros (incompleto)"));
        QCOMPARE(viewer.recordCount, 1200);

        const TestInfo info = *store.info(id);
        QCOMPARE(info.recordCount, 1199);
        QCOMPARE(info.intervalSeconds, 60); // the gap around row 700 is 120 s
        QCOMPARE(*info.lastMoment - *info.firstMoment, 1199 * 60);
        QCOMPARE(info.firstRecord, rows.front().texts);
        QCOMPARE(info.lastRecord, rows.back().texts);
        QCOMPARE(store.recordRow(id, 513), libraryRecord(513));
    }

    void aMeterTestIsFoundByItsNumberCountAndEnds_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("last");
        QTest::addColumn<bool>("found");
        QTest::newRow("the same test is found") << 2 << 40 << 40 << true;
        QTest::newRow("another meter test number is not") << 3 << 40 << 40 << false;
        QTest::newRow("another record count is not") << 2 << 41 << 40 << false;
        QTest::newRow("another last record is not") << 2 << 40 << 39 << false;
    }
    void aMeterTestIsFoundByItsNumberCountAndEnds()
    {
        QFETCH(int, number);
        QFETCH(int, count);
        QFETCH(int, last);
        QFETCH(bool, found);
        LibraryStore store(path());
        const qint64 id = store.createTest(TestOrigin::meter(QStringLiteral("COM1"), 2, 40));
        store.appendRecords(id, libraryRecords(1, 40));
        store.finishTest(id, TestState::Complete);
        const auto hit = store.findMeterTest(number, count, libraryRecord(1), libraryRecord(last));
        QCOMPARE(hit.has_value(), found);
        if (found)
            QCOMPARE(hit->id, id);
    }

    void headerAndAssessmentSurviveReopening()
    {
        qint64 id;
        {
            LibraryStore store(path());
            id = store.createTest(TestOrigin::meter(QStringLiteral("COM2"), 1, 5));
            store.saveHeader(id, {QStringLiteral("Caldeira"), QString(), QStringLiteral("Usina"), QString()});
            store.saveAssessment(id, QStringLiteral("{\"indice\":1}"));
        }
        LibraryStore store(path());
        const TestInfo info = *store.info(id);
        QCOMPARE(info.header[0], QStringLiteral("Caldeira"));
        QCOMPARE(info.header[2], QStringLiteral("Usina"));
        QCOMPARE(info.assessment, QStringLiteral("{\"indice\":1}"));
    }

    void theTrashKeepsTestsUntilEmptied()
    {
        LibraryStore store(path());
        const qint64 a = store.createTest(TestOrigin::meter(QStringLiteral("COM1"), 1, 3));
        const qint64 b = store.createTest(TestOrigin::meter(QStringLiteral("COM1"), 2, 3));
        store.appendRecords(b, libraryRecords(1, 3));
        store.trash({b});
        QCOMPARE(store.testCount({}), 1);
        LibraryQuery trash;
        trash.trash = true;
        QCOMPARE(store.tests(trash).front().id, b);
        store.restore({b});
        QCOMPARE(store.testCount({}), 2);
        store.trash({a});
        QCOMPARE(store.emptyTrash(), 1);
        QVERIFY(!store.info(a));
        QCOMPARE(store.recordRow(b, 3), libraryRecord(3));
    }

    void aDamagedFileIsKeptAside()
    {
        const QByteArray junk(8192, 'x');
        {
            QFile f(path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(junk);
        }
        LibraryStore store(path());
        QVERIFY(store.notice().contains(QStringLiteral("danificada")));
        const QStringList aside = QDir(dir.path()).entryList({QStringLiteral("biblioteca.sqlite.danificada-*")});
        QCOMPARE(aside.size(), 1);
        QVERIFY(store.notice().contains(aside.front()));
        QFile kept(dir.filePath(aside.front()));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), junk);
        QVERIFY(store.createTest(TestOrigin::meter(QStringLiteral("COM1"), 1, 1)) > 0);
    }

    void aNewerLibraryIsRefusedUntouched()
    {
        {
            LibraryStore store(path());
        }
        rawSql(QStringLiteral("PRAGMA user_version = 99"));
        const QByteArray before = fileBytes();
        try {
            LibraryStore store(path());
            QFAIL("a newer library was opened");
        } catch (const LibraryError &e) {
            QVERIFY(e.message().contains(path()));
            QVERIFY(e.message().contains(QStringLiteral("versão mais nova")));
        }
        QCOMPARE(fileBytes(), before);
    }

    void aSecondWriterWaitsThenSaysTheLibraryIsBusy()
    {
        LibraryStore first(path());
        LibraryStore second(path(), 100);
        const qint64 id = first.createTest(TestOrigin::meter(QStringLiteral("COM1"), 1, 10));
        second.appendRecords(id, libraryRecords(1, 5)); // both write in turn
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
            db.setDatabaseName(path());
            QVERIFY(db.open());
            QSqlQuery hold(db);
            QVERIFY(hold.exec(QStringLiteral("BEGIN IMMEDIATE")));
            QElapsedTimer waited;
            waited.start();
            try {
                second.appendRecords(id, libraryRecords(6, 10));
                QFAIL("wrote while another program held the library");
            } catch (const LibraryError &e) {
                QVERIFY(e.message().contains(QStringLiteral("está em uso")));
            }
            QVERIFY(waited.elapsed() >= 90);
            QVERIFY(hold.exec(QStringLiteral("ROLLBACK")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
        second.appendRecords(id, libraryRecords(6, 10));
        QCOMPARE(first.info(id)->recordCount, 10);
    }

    void aFailedWriteKeepsWhatTheLibraryHeld_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("cause");
        QTest::newRow("a read-only file names the file and why") << true << QStringLiteral("somente para leitura");
        QTest::newRow("a full disk names the file") << false << QStringLiteral("biblioteca.sqlite");
    }
    void aFailedWriteKeepsWhatTheLibraryHeld()
    {
        QFETCH(bool, readOnly);
        QFETCH(QString, cause);
        qint64 id;
        {
            LibraryStore store(path());
            id = store.createTest(TestOrigin::meter(QStringLiteral("COM1"), 1, 20));
            store.appendRecords(id, libraryRecords(1, 10));
        }
        const QString message = readOnly ? [&] {
            const auto readable = QFile::ReadOwner | QFile::ReadOther | QFile::ExeOwner | QFile::ExeOther;
            QFile::setPermissions(dir.path(), readable | QFile::WriteOwner);
            QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadOther);
            const QString text = runUnprivileged([&] {
                try {
                    LibraryStore store(path());
                    store.appendRecords(id, libraryRecords(11, 20));
                    return QStringLiteral("written");
                } catch (const LibraryError &e) {
                    return e.message();
                }
            });
            QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
            return text;
        }()
                                         : [&] {
            LibraryStore store(path());
            FileSizeLimit limit(QFileInfo(path()).size() + 4096);
            try {
                auto many = libraryRecords(11, 20);
                for (auto &row : many)
                    row.texts[6] = QString(20000, QLatin1Char('x')).append(QString::number(row.row));
                store.appendRecords(id, many);
                return QStringLiteral("written");
            } catch (const LibraryError &e) {
                return e.message();
            }
        }();
        QVERIFY2(message.contains(cause), qPrintable(message));
        LibraryStore store(path());
        QCOMPARE(store.info(id)->recordCount, 10);
        QCOMPARE(store.recordRow(id, 10), libraryRecord(10));
    }
};

QTEST_GUILESS_MAIN(LibraryStoreTest)
#include "test_librarystore.moc"
