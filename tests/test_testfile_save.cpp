// Saving a test file: a save that fails leaves the file that was there
// byte for byte, leaves no scratch file behind and says in Portuguese which
// file and why; characters the file cannot hold are reported after the save.

#include "core/AppError.h"
#include "core/SharedState.h"
#include "core/ViewerSink.h"
#include "recordings/TestFile.h"
#include "recordings/TestFileName.h"
#include "recordings/ViewerTable.h"
#include "support/TestData.h"
#include "support/Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QByteArray kOldContent =
    "\r\n\r\n[TESTE=]\r\n[CAB1=antigo]\r\n[CAB2=]\r\n[CAB3=]\r\n[CAB4=]\r\n{R1-\t\t\t\t\t\t\t}\r\n";

// Runs the save (or load) and returns its error text (empty on success). Root ignores
// folder permissions, so as root the save runs in a child process that has
// dropped to an unprivileged user.
QString saveError(const std::function<void()> &save, bool unprivileged)
{
    auto run = [&save]() -> QString {
        try {
            save();
            return {};
        } catch (const AppError &e) {
            return e.message();
        }
    };
    return unprivileged ? runUnprivileged(run) : run();
}

ViewerTable bigTable()
{
    ViewerTable table;
    for (int r = 1; r <= 2000; ++r)
        for (int c = 1; c <= 7; ++c)
            table.setCell(r, c, QStringLiteral("25,5"));
    return table;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct HeaderRecorder : NullViewerSink {
    std::array<QString, 4> header;
    QStringList cells;
    void setHeaderField(int field, const QString &text) override { header[size_t(field - 1)] = text; }
    void setViewerCell(int row, int column, QAnyStringView text) override
    {
        if (column > 0)
            cells << text.toString();
    }
};

} // namespace

class TestFileSaveTest : public QObject {
    Q_OBJECT

private slots:
    void aFailedSaveLeavesTheOldFile_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("cause");
        QTest::newRow("a read-only folder") << "read-only"
                                            << "Permissão negada";
        QTest::newRow("a file system that fills up during the write") << "full"
                                                                      << "Arquivo maior que o permitido";
        QTest::newRow("a folder where the file should be") << "folder"
                                                           << "É uma pasta";
        QTest::newRow("a folder that does not exist") << "missing"
                                                      << "Arquivo ou pasta inexistente";
    }

    void aFailedSaveLeavesTheOldFile()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, cause);

        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                              QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        const QString folder = dir.filePath("testes");
        QVERIFY(QDir().mkdir(folder));
        QString path = folder + "/teste.tvq";
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write(kOldContent) == kOldContent.size());
            old.setPermissions(old.permissions() | QFile::ReadOther);
        }
        if (obstacle == "folder") {
            path = folder + "/pasta.tvq";
            QVERIFY(QDir().mkdir(path));
        }
        if (obstacle == "missing")
            path = folder + "/nao/existe.tvq";
        const ViewerTable table = bigTable();
        const TestHeader header = {QStringLiteral("novo")};

        QString error;
        if (obstacle == "read-only") {
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                      QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
            error = saveError([&] { saveTestFile(path, header, table); }, true);
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        } else if (obstacle == "full") {
            FileSizeLimit limit(4096);
            error = saveError([&] { saveTestFile(path, header, table); }, false);
        } else {
            error = saveError([&] { saveTestFile(path, header, table); }, false);
        }

        QCOMPARE(error, QStringLiteral("Não foi possível gravar \"%1\": %2").arg(path, cause));
        QCOMPARE(readAll(folder + "/teste.tvq"), kOldContent);
        QStringList expectedEntries{"teste.tvq"};
        if (obstacle == "folder")
            expectedEntries.prepend("pasta.tvq");
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name),
                 expectedEntries);
    }

    void anUnreadableFileIsReportedInPortuguese()
    {
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                              QFile::ExeOther);
        const QString path = dir.filePath("fechado.tvq");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(kOldContent) == kOldContent.size());
        }
        QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
        const QString error = saveError(
            [&] {
                SharedState state;
                NullViewerSink viewer;
                loadTestFile(path, viewer, state);
            },
            true);
        QCOMPARE(error, QStringLiteral("Não foi possível abrir \"%1\": Permissão negada").arg(path));
    }

    void aSaveReplacesTheOldFileWholly()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("teste.tvq");
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write(QByteArray(100000, 'x')) == 100000);
        }
        ViewerTable table;
        table.setCell(1, 1, QStringLiteral("08:00"));
        saveTestFile(path, {QStringLiteral("Nome")}, table);
        QCOMPARE(readAll(path), QByteArray("\r\n\r\n[TESTE=]\r\n[CAB1=Nome]\r\n[CAB2=]\r\n[CAB3=]\r\n[CAB4=]\r\n"
                                           "{R1-08:00\t\t\t\t\t\t\t}\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{"teste.tvq"});
    }

    void charactersTheFileCannotHoldAreReported()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("teste.tvq");
        const TestHeader header = {QStringLiteral("Ωmega"), QStringLiteral("Setor ç"), QStringLiteral("€mpresa"),
                                   QStringLiteral("calor 😀 forte")};
        ViewerTable table;
        table.setCell(1, 1, QStringLiteral("08:00"));
        table.setCell(1, 2, QStringLiteral("24,7"));
        TestFileLoss loss = saveTestFile(path, header, table);
        QCOMPARE(loss.headerFields, (std::array<bool, 4>{true, false, false, true}));
        QVERIFY(!loss.cells);
        QCOMPARE(
            loss.message(),
            QStringLiteral("O arquivo foi gravado, mas alguns caracteres não cabem na codificação do arquivo e foram "
                           "gravados como \"?\" em: Nome, Observações."));

        SharedState state;
        HeaderRecorder viewer;
        QVERIFY(loadTestFile(path, viewer, state));
        QCOMPARE(viewer.header, (std::array<QString, 4>{"?mega", "Setor ç", "€mpresa", "calor ? forte"}));

        table.setCell(1, 3, QStringLiteral("ж"));
        loss = saveTestFile(path, {}, table);
        QVERIFY(loss.cells);
        QVERIFY(loss.message().endsWith(QStringLiteral("em: Testes.")));
    }

    void proposedName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("date"); // of the first record; none when empty
        QTest::addColumn<QString>("proposed");
        QTest::newRow("the name and the first record's date") << "Forno 2"
                                                              << "01/02/2024"
                                                              << "Forno 2 01-02-2024.tvq";
        QTest::newRow("a blank name is Teste") << "  "
                                               << "01/02/2024"
                                               << "Teste 01-02-2024.tvq";
        QTest::newRow("no record, no date") << "Forno"
                                            << ""
                                            << "Forno.tvq";
    }

    void proposedName()
    {
        QFETCH(QString, date);
        ViewerTable table;
        if (!date.isEmpty()) {
            table.setCell(1, 1, QStringLiteral("08:00:00"));
            table.setCell(1, 7, date);
            table.setCell(2, 7, QStringLiteral("02/02/2024"));
        }
        QCOMPARE(proposedTestFileName(FETCHED(QString, name), table), FETCHED(QString, proposed));
    }

    void remarksKeepTheirLinesApart()
    {
        TestHeader header;
        header[3] = QStringLiteral("linha um\r\nlinha dois\nlinha três\r");
        TestFileLoss loss;
        const QByteArray bytes = encodeTestFile(header, ViewerTable(), &loss);
        QVERIFY(bytes.contains("[CAB4=linha um / linha dois / linha tr\xEAs / ]\r\n"));
        QVERIFY(!loss.any());
    }

    void lineAndFieldBreaksInTextsCannotCorruptTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("teste.tvq");
        const TestHeader header = {QStringLiteral("a\nb"),
                                   QStringLiteral("c\x1a"
                                                  "d"),
                                   QStringLiteral("e\rf"), QStringLiteral("g\th")};
        ViewerTable table;
        table.setCell(1, 1, QStringLiteral("08\t00"));
        table.setCell(1, 2, QStringLiteral("24,7"));
        table.setCell(2, 1, QStringLiteral("08:01"));
        const TestFileLoss loss = saveTestFile(path, header, table);
        // A line break in a header field is written as " / ", which loses nothing.
        QCOMPARE(loss.headerFields, (std::array<bool, 4>{false, true, false, false}));
        QVERIFY(loss.cells);

        SharedState state;
        HeaderRecorder viewer;
        QVERIFY(loadTestFile(path, viewer, state));
        QCOMPARE(viewer.header, (std::array<QString, 4>{"a / b", "c?d", "e / f", "g\th"}));
        QCOMPARE(viewer.cells.value(0), QStringLiteral("08?00"));
        QCOMPARE(viewer.cells.value(1), QStringLiteral("24,7"));
        QCOMPARE(viewer.cells.value(7), QStringLiteral("08:01"));
        QCOMPARE(state.viewerRecordCount, 2);
    }
};

QTEST_GUILESS_MAIN(TestFileSaveTest)
#include "test_testfile_save.moc"
