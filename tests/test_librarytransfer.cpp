// Test files in and out of the library: the same file is imported once, an
// exported test reads back with the real reader as the library holds it, and
// exporting never overwrites a file.

#include "core/SharedState.h"
#include "recordings/TestFile.h"
#include "recordings/ViewerTableSink.h"
#include "recordings/library/LibraryStore.h"
#include "recordings/library/LibraryTransfer.h"
#include "support/LibraryData.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class LibraryTransferTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void theSameFileIsImportedOnce()
    {
        LibraryStore store(path(QStringLiteral("import.sqlite")));
        const QByteArray bytes = "\r\n\r\n[TESTE=2]\r\n[CAB1=Estufa]\r\n[CAB2=]\r\n[CAB3=]\r\n[CAB4=]\r\n"
                                 "{R1-08:00:00\t25,1\t30,2\t33,3\t26,4\t27,5\t01/02/24\t}\r\n"
                                 "{R2-08:01:00\t25,2\t30,2\t33,3\t26,4\t27,5\t01/02/24\t}\r\n";
        const QString a = writeFileBytes(path(QStringLiteral("a.tvq")), bytes);
        const QString copy = writeFileBytes(path(QStringLiteral("copia.tvq")), bytes);
        const ImportSummary summary = importTestFiles(store, {a, copy, path(QStringLiteral("falta.tvq"))});
        QCOMPARE(summary.added, 1);
        QCOMPARE(summary.present, 1);
        QCOMPARE(summary.failures.size(), 1);
        QVERIFY(summary.failures.front().contains(QStringLiteral("falta.tvq")));
        QCOMPARE(store.testCount({}), 1);
        const TestInfo info = store.tests({}).front();
        QCOMPARE(info.origin.fileName, QStringLiteral("a.tvq"));
        QCOMPARE(info.header[0], QStringLiteral("Estufa"));
        QCOMPARE(info.recordCount, 2);
        QCOMPARE(info.state, TestState::Complete);
    }

    void exportedTestsReadBackWithoutOverwriting()
    {
        LibraryStore store(path(QStringLiteral("export.sqlite")));
        const TestHeader header{QStringLiteral("Forno"), QStringLiteral("Setor 1"), QString(), QString()};
        const qint64 a = store.addTest(TestOrigin::meter(QStringLiteral("COM1"), 1, 3), header, libraryRecords(1, 3),
                                       TestState::Complete);
        const qint64 b = store.addTest(TestOrigin::meter(QStringLiteral("COM1"), 2, 4), header, libraryRecords(1, 4),
                                       TestState::Complete);
        const QString folder = path(QStringLiteral("saida"));
        QVERIFY(QDir().mkpath(folder));
        const QStringList written = exportTests(store, {a, b}, folder);
        QCOMPARE(written, QStringList({folder + QStringLiteral("/Forno 01-02-24.tvq"),
                                       folder + QStringLiteral("/Forno 01-02-24 (2).tvq")}));
        ViewerTableSink read;
        SharedState state;
        QVERIFY(loadTestFile(written[1], read, state));
        QCOMPARE(read.header[1], QStringLiteral("Setor 1"));
        for (int r = 1; r <= 4; ++r)
            for (int c = 0; c < ViewerTable::ColumnCount; ++c)
                QCOMPARE(read.table.cell(r, c), libraryRecord(r)[size_t(c)]);
    }
};

QTEST_GUILESS_MAIN(LibraryTransferTest)
#include "test_librarytransfer.moc"
