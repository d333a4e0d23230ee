// The spreadsheet export: workbooks read back by LibreOffice Calc (converted
// to CSV) and by unzipping the sheet's XML; the file name, the opener seam
// and the failures.
#include "core/AppError.h"
#include "recordings/FileOpener.h"
#include "recordings/SpreadsheetExport.h"
#include "recordings/ViewerTable.h"
#include "support/Unprivileged.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

const QDateTime moment(QDate(2026, 12, 8), QTime(14, 30, 0));

struct RecordingOpener : FileOpener {
    bool open(const QString &path) override
    {
        opened << path;
        return accepts;
    }
    QStringList opened;
    bool accepts = true;
};

ViewerTable tableOf(int records)
{
    ViewerTable table;
    for (int n = 1; n <= records; ++n) {
        const int s = n * 5;
        const QString texts[] = {QString::number(n),
                                 QStringLiteral("%1:%2:%3")
                                     .arg(9 + s / 3600, 2, 10, QChar('0'))
                                     .arg(s / 60 % 60, 2, 10, QChar('0'))
                                     .arg(s % 60, 2, 10, QChar('0')),
                                 QStringLiteral("24,%1").arg(n % 10),
                                 QStringLiteral("3%1,5").arg(n % 10),
                                 QStringLiteral("40,%1").arg(n % 7),
                                 QStringLiteral("27,%1").arg(n % 100),
                                 QStringLiteral("26,%1").arg(n % 100),
                                 QStringLiteral("08/12/2026")};
        for (int c = 0; c < ViewerTable::ColumnCount; ++c)
            table.setCell(n, c, texts[c]);
    }
    return table;
}

// A CSV as LibreOffice writes it: comma separated, double quotes around
// fields that need them, "" for a quote.
QList<QStringList> parseCsv(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (quoted) {
            if (ch == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (ch == u'"') {
                quoted = false;
            } else {
                field += ch;
            }
        } else if (ch == u'"') {
            quoted = true;
        } else if (ch == u',') {
            row << field;
            field.clear();
        } else if (ch == u'\n') {
            row << field;
            field.clear();
            rows << row;
            row.clear();
        } else if (ch != u'\r') {
            field += ch;
        }
    }
    if (!field.isEmpty() || !row.isEmpty()) {
        row << field;
        rows << row;
    }
    return rows;
}

QByteArray unzipped(const QString &xlsx, const QString &member)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), xlsx, member});
    p.waitForFinished(60000);
    return p.readAllStandardOutput();
}

} // namespace

class ExportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void threeRecordsFillA1ToH4AsText();
    void cellsReachTheSheetAsTheSameCharacters();
    void cellsBeyondTheShownRowsAreNotExported();
    void tenThousandRecords();
    void exportsInTheSameSecondGetTheirOwnFiles();
    void anExportNobodyOpensIsReportedAndKept();
    void aFolderThatCannotBeWrittenIsReported();
    void aFullDiskLeavesNothingOpenAndNothingBehind();
    void theDefaultFolderIsOursInTheUserCache();
    void workbooksReadBackByLibreOffice();

private:
    // Converts the workbooks to CSV with LibreOffice Calc, one run for all.
    QList<QList<QStringList>> readBack(const QStringList &xlsx);
    // Notes a workbook to be read back, and what its sheet must hold. One
    // LibreOffice run reads them all at the end (each run takes seconds).
    void readBackLater(const QString &xlsx, std::function<void(const QList<QStringList> &csv)> check);

    struct ReadBack {
        QString xlsx;
        std::function<void(const QList<QStringList> &csv)> check;
    };
    QList<ReadBack> readBacks;

    QTemporaryDir dir;
    QTemporaryDir profile;
    QString soffice;
};

void ExportTest::initTestCase()
{
    QVERIFY(dir.isValid() && profile.isValid());
    soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
        QFAIL("unzip is missing");
}

QList<QList<QStringList>> ExportTest::readBack(const QStringList &xlsx)
{
    QList<QList<QStringList>> sheets;
    if (soffice.isEmpty())
        return sheets;
    const QString out = dir.filePath(QStringLiteral("csv"));
    QDir(out).removeRecursively();
    QDir().mkpath(out);
    QProcess p;
    // Comma, double quote, UTF-8; a private profile so that parallel runs
    // do not clash.
    QStringList args{QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
                     QStringLiteral("--headless"),
                     QStringLiteral("--convert-to"),
                     QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1"),
                     QStringLiteral("--outdir"),
                     out};
    args << xlsx;
    p.start(soffice, args);
    if (!p.waitForFinished(240000)) {
        p.kill();
        p.waitForFinished();
        return sheets;
    }
    for (const QString &file : xlsx) {
        QFile csv(QDir(out).filePath(QFileInfo(file).completeBaseName() + QStringLiteral(".csv")));
        if (!csv.open(QIODevice::ReadOnly)) {
            sheets << QList<QStringList>();
            continue;
        }
        sheets << parseCsv(QString::fromUtf8(csv.readAll()));
    }
    return sheets;
}

static void compareWithTable(const QList<QStringList> &csv, const ViewerTable &table)
{
    QCOMPARE(csv.size(), table.rowCount());
    for (int r = 0; r < table.rowCount(); ++r) {
        QCOMPARE(csv[r].size(), ViewerTable::ColumnCount);
        for (int c = 0; c < ViewerTable::ColumnCount; ++c)
            if (csv[r][c] != table.cell(r, c))
                QFAIL(qPrintable(QStringLiteral("row %1 column %2: %3 instead of %4")
                                     .arg(r)
                                     .arg(c)
                                     .arg(csv[r][c], table.cell(r, c))));
    }
}

void ExportTest::threeRecordsFillA1ToH4AsText()
{
    const ViewerTable table = tableOf(3);
    RecordingOpener opener;
    const QString folder = dir.filePath(QStringLiteral("three"));
    const QString path = exportSpreadsheet(table, opener, moment, folder);
    QCOMPARE(path, QDir(folder).filePath(QStringLiteral("teste-20261208-143000.xlsx")));
    QCOMPARE(opener.opened, QStringList{path});
    QVERIFY(QDir(folder).entryList(QDir::Files) == QStringList{QFileInfo(path).fileName()}); // no leftovers

    // One sheet, "Plan1"; every cell an inline text, A1 to H4.
    const QByteArray book = unzipped(path, QStringLiteral("xl/workbook.xml"));
    QCOMPARE(book.count("<sheet "), 1);
    QVERIFY(book.contains("name=\"Plan1\""));
    const QByteArray xml = unzipped(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    QCOMPARE(xml.count("<c "), 32);
    QCOMPARE(xml.count("t=\"inlineStr\""), 32);
    QVERIFY(xml.contains("<dimension ref=\"A1:H4\""));
    QVERIFY(xml.contains("<c r=\"A1\" t=\"inlineStr\"><is><t>Registro</t></is></c>"));
    QVERIFY(xml.contains("<c r=\"C2\" t=\"inlineStr\"><is><t>24,1</t></is></c>"));

    readBackLater(path, [table](const QList<QStringList> &csv) { compareWithTable(csv, table); });
}

void ExportTest::cellsReachTheSheetAsTheSameCharacters()
{
    // One row per case, so that one LibreOffice run reads them all.
    const QList<std::pair<const char *, QString>> cases{
        {"a temperature with the decimal comma", QStringLiteral("24,7")},
        {"a negative temperature", QStringLiteral("-0,5")},
        {"a number with a leading zero", QStringLiteral("007")},
        {"a number in exponent form", QStringLiteral("1E3")},
        {"a formula", QStringLiteral("=SUM(A1:A2)")},
        {"markup characters", QStringLiteral("<b>&amp;\"x\"</b>")},
        {"accented letters", QStringLiteral("Observação çãõé")},
        {"a date", QStringLiteral("31/12/2026")},
        {"a time", QStringLiteral("23:59:59")},
        {"a comma and a quote", QStringLiteral("a,\"b\"")},
        {"leading and trailing spaces", QStringLiteral("  7,5 ")},
    };
    ViewerTable table;
    for (int i = 0; i < cases.size(); ++i)
        for (int c = 0; c < ViewerTable::ColumnCount; ++c)
            table.setCell(i + 1, c, c == 0 ? QString::number(i + 1) : cases[i].second);
    RecordingOpener opener;
    const QString path = exportSpreadsheet(table, opener, moment, dir.filePath(QStringLiteral("chars")));
    const QByteArray xml = unzipped(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    QCOMPARE(xml.count("<c "), xml.count("t=\"inlineStr\""));
    QVERIFY(!xml.contains("<f>"));
    readBackLater(path, [table, cases](const QList<QStringList> &csv) {
        QCOMPARE(csv.size(), table.rowCount());
        for (int i = 0; i < cases.size(); ++i)
            for (int c = 1; c < ViewerTable::ColumnCount; ++c)
                QVERIFY2(
                    csv[i + 1].value(c) == cases[i].second,
                    qPrintable(QStringLiteral("%1: %2").arg(QString::fromUtf8(cases[i].first), csv[i + 1].value(c))));
    });
}

void ExportTest::cellsBeyondTheShownRowsAreNotExported()
{
    ViewerTable table = tableOf(3);
    table.setCell(9, 0, QStringLiteral("held")); // shows 5 rows; row 9 held
    QCOMPARE(table.rowCount(), 5);
    RecordingOpener opener;
    const QString path = exportSpreadsheet(table, opener, moment, dir.filePath(QStringLiteral("beyond")));
    const QByteArray xml = unzipped(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    QVERIFY(!xml.contains("held"));
    QCOMPARE(xml.count("<c "), 32); // row 4 is shown but empty
    readBackLater(path, [table](QList<QStringList> csv) {
        QCOMPARE(csv.size(), 4); // the empty shown row 4 has no cells
        csv << QStringList(8, QString());
        compareWithTable(csv, table);
    });
}

void ExportTest::tenThousandRecords()
{
    const ViewerTable table = tableOf(10000);
    RecordingOpener opener;
    const QString path = exportSpreadsheet(table, opener, moment, dir.filePath(QStringLiteral("long")));
    readBackLater(path, [table](const QList<QStringList> &csv) { compareWithTable(csv, table); });
}

void ExportTest::exportsInTheSameSecondGetTheirOwnFiles()
{
    const QString folder = dir.filePath(QStringLiteral("same"));
    RecordingOpener opener;
    const QString a = exportSpreadsheet(tableOf(1), opener, moment, folder);
    const QString b = exportSpreadsheet(tableOf(2), opener, moment, folder);
    const QString c = exportSpreadsheet(tableOf(3), opener, moment, folder);
    QCOMPARE(QFileInfo(a).fileName(), QStringLiteral("teste-20261208-143000.xlsx"));
    QCOMPARE(QFileInfo(b).fileName(), QStringLiteral("teste-20261208-143000-2.xlsx"));
    QCOMPARE(QFileInfo(c).fileName(), QStringLiteral("teste-20261208-143000-3.xlsx"));
    QCOMPARE(opener.opened, (QStringList{a, b, c}));
    // The first file is untouched by the later exports.
    QCOMPARE(unzipped(a, QStringLiteral("xl/worksheets/sheet1.xml")).count("<c "), 16);
}

void ExportTest::anExportNobodyOpensIsReportedAndKept()
{
    RecordingOpener opener;
    opener.accepts = false;
    const QString folder = dir.filePath(QStringLiteral("unopened"));
    const QString expected = QDir(folder).filePath(QStringLiteral("teste-20261208-143000.xlsx"));
    try {
        exportSpreadsheet(tableOf(3), opener, moment, folder);
        QFAIL("an export that no application opened was reported as done");
    } catch (const AppError &e) {
        QCOMPARE(e.message(), QStringLiteral("Nenhum aplicativo abriu a planilha %1.").arg(expected));
    }
    QCOMPARE(opener.opened, QStringList{expected});
    QVERIFY(QFile::exists(expected));
}

void ExportTest::aFolderThatCannotBeWrittenIsReported()
{
    // A file where the folder should be.
    const QString blocker = dir.filePath(QStringLiteral("blocker"));
    QFile f(blocker);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    RecordingOpener opener;
    try {
        exportSpreadsheet(tableOf(3), opener, moment, blocker + QStringLiteral("/sub"));
        QFAIL("an export into a folder that cannot exist succeeded");
    } catch (const AppError &e) {
        QVERIFY2(e.message().contains(blocker), qPrintable(e.message()));
    }
    QVERIFY(opener.opened.isEmpty());

    // A file that cannot be created: a folder stands where the workbook is
    // written before it takes its name.
    const QString folder = dir.filePath(QStringLiteral("unwritable"));
    const QString expected = QDir(folder).filePath(QStringLiteral("teste-20261208-143000.xlsx"));
    QVERIFY(QDir().mkpath(expected + QStringLiteral(".part")));
    try {
        exportSpreadsheet(tableOf(3), opener, moment, folder);
        QFAIL("an export whose file could not be written succeeded");
    } catch (const AppError &e) {
        QVERIFY2(
            e.message().startsWith(
                QStringLiteral("Não foi possível gravar a planilha %1: o arquivo não pode ser criado").arg(expected)),
            qPrintable(e.message()));
    }
    QVERIFY(opener.opened.isEmpty());
    QVERIFY(!QFile::exists(expected));
}

// A disk that fills up in the middle (a file-size limit): the message is
// Portuguese and names the cause, and no file stays in the folder nor any
// descriptor open to one (a deleted temporary file would keep its space).
void ExportTest::aFullDiskLeavesNothingOpenAndNothingBehind()
{
    auto openFiles = [] {
        QStringList targets;
        for (const QFileInfo &fd :
             QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::NoDotAndDotDot | QDir::System))
            targets << fd.symLinkTarget();
        return targets;
    };
    const QString folder = dir.filePath(QStringLiteral("full"));
    const QString expected = QDir(folder).filePath(QStringLiteral("teste-20261208-143000.xlsx"));
    RecordingOpener opener;
    for (int attempt = 0; attempt < 3; ++attempt) {
        try {
            const FileSizeLimit full(16 * 1024);
            exportSpreadsheet(tableOf(20000), opener, moment, folder);
            QFAIL("an export onto a full disk succeeded");
        } catch (const AppError &e) {
            QCOMPARE(
                e.message(),
                QStringLiteral("Não foi possível gravar a planilha %1: arquivo maior que o permitido").arg(expected));
        }
    }
    QCOMPARE(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden), QStringList());
    for (const QString &target : openFiles())
        QVERIFY2(!target.contains(QStringLiteral("(deleted)")) && !target.startsWith(folder), qPrintable(target));
    QVERIFY(opener.opened.isEmpty());
}

void ExportTest::theDefaultFolderIsOursInTheUserCache()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    QCOMPARE(spreadsheet::defaultFolder(), cache + QStringLiteral("/Tavenor/planilhas"));
    QCOMPARE(spreadsheet::fileName(QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5))),
             QStringLiteral("teste-20270102-030405.xlsx"));
}

void ExportTest::readBackLater(const QString &xlsx, std::function<void(const QList<QStringList> &csv)> check)
{
    // A name of its own: the exports share their moment, and so their name.
    const QString folder = dir.filePath(QStringLiteral("readback"));
    QDir().mkpath(folder);
    const QString copy = QDir(folder).filePath(QStringLiteral("livro%1.xlsx").arg(readBacks.size() + 1));
    QVERIFY(QFile::copy(xlsx, copy));
    readBacks.append({copy, std::move(check)});
}

void ExportTest::workbooksReadBackByLibreOffice()
{
    if (soffice.isEmpty())
        QSKIP("LibreOffice (soffice) is not installed");
    QVERIFY(!readBacks.isEmpty());
    QStringList files;
    for (const ReadBack &r : readBacks)
        files << r.xlsx;
    const QList<QList<QStringList>> sheets = readBack(files);
    QCOMPARE(sheets.size(), readBacks.size());
    for (qsizetype i = 0; i < readBacks.size(); ++i) {
        readBacks[i].check(sheets[i]);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("read back from %1").arg(readBacks[i].xlsx)));
    }
}

QTEST_MAIN(ExportTest)
#include "test_export.moc"
