// The test file: the exact bytes the writer produces, the reader's handling of
// hand-edited and damaged files, and save-load round trips over random tables.

#include "core/AppError.h"
#include "core/NumberText.h"
#include "core/SharedState.h"
#include "core/ViewerSink.h"
#include "recordings/TestFile.h"
#include "recordings/ViewerTable.h"
#include "support/ChildProcess.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

// The viewer as the reader fills it: table, chart points, header, caption.
struct ViewerRecorder : NullViewerSink {
    ViewerTable table;
    QStringList points; // "series@x=y"
    std::array<QString, 4> header;
    QStringList headerWrites;
    QString caption;
    int recordCount = -1;

    void setViewerCell(int row, int column, QAnyStringView text) override
    {
        table.setCell(row, column, text.toString());
    }
    void addChartPoint(int series, double x, double y) override
    {
        points << QStringLiteral("%1@%2=%3").arg(series).arg(x, 0, 'f', 0).arg(y, 0, 'g', 15);
    }
    void setViewerRecordCount(int records) override { recordCount = records; }
    void appendViewerCaption(const QString &text) override { caption += text; }
    void setHeaderField(int field, const QString &text) override
    {
        header[size_t(field - 1)] = text;
        headerWrites << QString::number(field);
    }
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const TestHeader kGoldenHeader = {QStringLiteral("Ação — “Teste”"), QStringLiteral("Setor 5"),
                                  QStringLiteral("Empresa € Ltda."), QStringLiteral("Observações: ‘calor’ … ™")};

const QStringList kGoldenRows[3] = {
    {"08:00:00", "24,7", "30,1", "35,2", "27,85", "27,34", "01/02/2024"},
    {"08:01:00", "24,8", "30,2", "35,4", "27,98", "27,46", "01/02/2024"},
    {"08:02:00", "25", "30,4", "35,5", "28,15", "27,64", "01/02/2024"},
};

ViewerTable goldenTable()
{
    ViewerTable table;
    for (int r = 0; r < 3; ++r) {
        table.setCell(r + 1, 0, QStringLiteral("texto da coluna 0 que não é gravado"));
        for (int c = 1; c <= 7; ++c)
            table.setCell(r + 1, c, kGoldenRows[r][c - 1]);
    }
    return table;
}

// Random texts of the file's code page, no control characters; blanks may
// stand at either end (the reader trims them).
QString randomText(QRandomGenerator &rng)
{
    static const QString pool = QStringLiteral("abcxyzABCXYZ0123456789 ,.;:-_/()[{}<>=+*#&%$!?'\"@\\|~^`"
                                               "áàâãçéêíóôõúüÁÀÃÇÉÓÕÚñÑ°ºª§£¥©®±µ¶·¿×÷ÿ\u00a0"
                                               "€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ\u0081\u008d\u008f\u0090\u009d");
    switch (rng.bounded(6)) {
    case 0: return {};
    case 1: // a temperature as the viewer holds one
        return QString::number(rng.bounded(-400, 1200) / 10.0).replace('.', ',');
    default: {
        QString t;
        const int n = rng.bounded(1, 14);
        for (int i = 0; i < n; ++i)
            t += pool[rng.bounded(qsizetype(pool.size()))];
        return t;
    }
    }
}

QString trimmedAsRead(const QString &t)
{
    qsizetype b = 0, e = t.size();
    while (b < e && t[b].unicode() <= ' ')
        ++b;
    while (e > b && t[e - 1].unicode() <= ' ')
        --e;
    return t.mid(b, e - b);
}

} // namespace

class TestFileTest : public QObject {
    Q_OBJECT

private slots:
    void threeRecordsSaveAsTheGoldenFile()
    {
        const QByteArray golden = readAll(QFINDTESTDATA("data/tvq/three_records.tvq"));
        QVERIFY(!golden.isEmpty());
        TestFileLoss loss;
        const QByteArray bytes = encodeTestFile(kGoldenHeader, goldenTable(), &loss);
        QCOMPARE(bytes, golden);
        QVERIFY(!loss.any());
        QCOMPARE(loss.message(), QString());
        QCOMPARE(bytes.count("\r\n"), 10);
        QVERIFY(bytes.endsWith("\t}\r\n"));

        QTemporaryDir dir;
        const QString path = dir.filePath("teste.tvq");
        saveTestFile(path, kGoldenHeader, goldenTable());
        QCOMPARE(readAll(path), golden);
    }

    void emptyRowsSaveAsSevenTabs()
    {
        ViewerTable table;                           // a fresh viewer: titles and one empty row
        table.setCell(3, 2, QStringLiteral("fora")); // grows to 3 rows; row 2 never set
        const QByteArray bytes = encodeTestFile({}, table);
        QCOMPARE(bytes, QByteArray("\r\n\r\n[TESTE=]\r\n[CAB1=]\r\n[CAB2=]\r\n[CAB3=]\r\n[CAB4=]\r\n"
                                   "{R1-\t\t\t\t\t\t\t}\r\n{R2-\t\t\t\t\t\t\t}\r\n"));
    }

    void goldenFileLoadsIntoTheViewer()
    {
        SharedState state;
        state.testCount = 5;
        ViewerRecorder viewer;
        QVERIFY(loadTestFile(QFINDTESTDATA("data/tvq/three_records.tvq"), viewer, state));
        for (int f = 0; f < 4; ++f)
            QCOMPARE(viewer.header[size_t(f)], kGoldenHeader[size_t(f)]);
        QCOMPARE(viewer.table.rowCount(), 4);
        for (int r = 1; r <= 3; ++r) {
            QCOMPARE(viewer.table.cell(r, 0), QString::number(r));
            for (int c = 1; c <= 7; ++c)
                QCOMPARE(viewer.table.cell(r, c), kGoldenRows[r - 1][c - 1]);
        }
        QCOMPARE(viewer.points, QStringList({"0@1=24.7", "1@1=30.1", "2@1=35.2", "0@2=24.8", "1@2=30.2", "2@2=35.4",
                                             "0@3=25", "1@3=30.4", "2@3=35.5"}));
        QCOMPARE(viewer.caption, QStringLiteral(" - 3 Registros"));
        QCOMPARE(viewer.recordCount, 3);
        QCOMPARE(state.viewerRecordCount, 3);
        QCOMPARE(state.testCount, 0);
    }

    void randomTablesSurviveSaveAndLoad()
    {
        QRandomGenerator rng(20240201);
        QTemporaryDir dir;
        const QString path = dir.filePath("aleatorio.tvq");
        for (int round = 0; round < 150; ++round) {
            TestHeader header;
            for (auto &h : header) {
                h = randomText(rng).remove(']');
            }
            ViewerTable table;
            const int dataRows = rng.bounded(0, 40);
            for (int r = 1; r <= dataRows; ++r) {
                if (rng.bounded(8) == 0) {
                    table.setCell(r, 0, QString()); // a row left empty
                    continue;
                }
                for (int c = 0; c <= 7; ++c)
                    table.setCell(r, c, randomText(rng));
            }
            QVERIFY(!saveTestFile(path, header, table).any());

            SharedState state;
            ViewerRecorder viewer;
            QVERIFY(loadTestFile(path, viewer, state));
            const QString where = QStringLiteral("round %1").arg(round);
            for (int f = 0; f < 4; ++f)
                QVERIFY2(viewer.header[size_t(f)] == trimmedAsRead(header[size_t(f)]), qPrintable(where));
            QVERIFY2(viewer.table.rowCount() == table.rowCount(), qPrintable(where));
            QStringList points;
            for (int r = 1; r < table.rowCount(); ++r) {
                QVERIFY2(viewer.table.cell(r, 0) == QString::number(r), qPrintable(where));
                for (int c = 1; c <= 7; ++c) {
                    const QString expected = trimmedAsRead(table.cell(r, c));
                    QVERIFY2(viewer.table.cell(r, c) == expected,
                             qPrintable(QStringLiteral("%1 row %2 column %3: %4 / %5")
                                            .arg(where)
                                            .arg(r)
                                            .arg(c)
                                            .arg(viewer.table.cell(r, c), expected)));
                    if (c >= 2 && c <= 4 && !expected.isEmpty()) {
                        if (const auto v = textToNumber(expected))
                            points << QStringLiteral("%1@%2=%3").arg(c - 2).arg(r).arg(double(*v), 0, 'g', 15);
                    }
                }
            }
            QVERIFY2(viewer.points == points, qPrintable(where));
            QCOMPARE(state.viewerRecordCount, table.rowCount() - 1); // a fresh table saves its empty row 1
        }
    }

    void readsHandEditedFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("cells"); // "row/column=text"
        QTest::addColumn<QStringList>("points");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("testNumber");
        QTest::addColumn<QStringList>("headers"); // "field=text", every header write

        const QByteArray head = "\r\n\r\n";
        // Every cell placed at or beyond the row count grows the grid by one,
        // so a lone record 5 ends up shown: rows 0 to 5.
        QTest::newRow("a record numbered 5 alone keeps its cells at row 5 and its points at x = 5")
            << head + "{R5-10:00\t20\t21,5\t22\t\t\t\t}\r\n"
            << 6 << QStringList{"5/0=5", "5/1=10:00", "5/3=21,5", "3/1=", "2/1="}
            << QStringList{"0@5=20", "1@5=21.5", "2@5=22"} << 5 << 0 << QStringList{};
        QTest::newRow("a time with one TAB fills row 1 and adds no point")
            << head + "{R1-10:00\t\r\n"
            << 2 << QStringList{"1/0=1", "1/1=10:00", "1/2=", "1/7="} << QStringList{} << 1 << 0 << QStringList{};
        QTest::newRow("tags on the first two lines are ignored")
            << QByteArray("[CAB1=um]{R1-a\t1\t}\r\n[TESTE=4]\r\n[CAB2=dois]\r\n") << 2 << QStringList{"1/1="}
            << QStringList{} << 42 << 0 << QStringList{"2=dois"};
        QTest::newRow("a setting line changes nothing")
            << head + "<SET=12,5>\r\n<SET=>\r\n<SET=sem fim\r\n"
            << 2 << QStringList{"1/0=", "1/1="} << QStringList{} << 42 << 0 << QStringList{};
        QTest::newRow("a name with a closing bracket is cut at it")
            << head + "[CAB1=Nome] resto]\r\n"
            << 2 << QStringList{} << QStringList{} << 42 << 0 << QStringList{"1=Nome"};
        QTest::newRow("blanks and control characters around a header value are removed")
            << head + "[CAB3= \t Empresa   X \x01]\r\n"
            << 2 << QStringList{} << QStringList{} << 42 << 0 << QStringList{"3=Empresa   X"};
        QTest::newRow("a lone CR is dropped")
            << head + "{R1-10\r:00\t2\r0\t}\r" << 2 << QStringList{"1/1=10:00", "1/2=20"} << QStringList{"0@1=20"} << 1
            << 0 << QStringList{};
        QTest::newRow("lines ended by LF alone read the same")
            << QByteArray("\n\n[CAB4=obs]\n{R1-a\t3\t}\n") << 2 << QStringList{"1/2=3"} << QStringList{"0@1=3"} << 1
            << 0 << QStringList{"4=obs"};
        QTest::newRow("Ctrl+Z ends the file in the middle")
            << head + "{R1-a\t1\x1a\t}\r\n{R2-b\t2\t}\r\n"
            << 2 << QStringList{"1/1=a", "1/2=", "2/1="} << QStringList{} << 1 << 0 << QStringList{};
        QTest::newRow("records 0 and -3 are skipped")
            << head + "{R0-x\t1\t}\r\n{R-3-y\t2\t}\r\n{R+0-z\t3\t}\r\n"
            << 2 << QStringList{"0/0=Registro", "0/1=Hora", "0/2=UMI"} << QStringList{} << 42 << 0 << QStringList{};
        QTest::newRow("record 2147483647 is placed and 2147483648 is not")
            << head + "{R2147483647-fim\t3,25\t}\r\n{R2147483648-x\t1\t}\r\n"
            << 10 << QStringList{"2147483647/0=2147483647", "2147483647/1=fim", "2147483647/2=3,25"}
            << QStringList{"0@2147483647=3.25"} << 2147483647 << 0 << QStringList{};
        QTest::newRow("a record number that is not an integer drops the line")
            << head + "{Rx-a\t1\t}\r\n{R1.5-b\t1\t}\r\n"
            << 2 << QStringList{"1/1="} << QStringList{} << 42 << 0 << QStringList{};
        QTest::newRow("records are placed by their number, not by their order")
            << head + "{R2-b\t}\r\n{R1-a\t}\r\n"
            << 3 << QStringList{"1/1=a", "2/1=b"} << QStringList{} << 1 << 0 << QStringList{};
        QTest::newRow("a temperature that is not a number stays in the grid without a point")
            << head + "{R1-a\tquente\t 1,5 \t2.5\t\t\t\t}\r\n"
            << 2 << QStringList{"1/2=quente", "1/3=1,5", "1/4=2.5"} << QStringList{"1@1=1.5"} << 1 << 0
            << QStringList{};
        QTest::newRow("a temperature beyond the chart's range gets no point")
            << head + "{R1-a\t1E400\t1E5\t\t}\r\n"
            << 2 << QStringList{"1/2=1E400"} << QStringList{"1@1=100000"} << 1 << 0 << QStringList{};
        QTest::newRow("a test number is read from its tag")
            << head + "[TESTE=7]\r\n"
            << 2 << QStringList{} << QStringList{} << 42 << 7 << QStringList{};
        QTest::newRow("a test number that is not an integer reads as 0")
            << head + "[TESTE=7]\r\n[TESTE=sete]\r\n"
            << 2 << QStringList{} << QStringList{} << 42 << 0 << QStringList{};
        QTest::newRow("Windows-1252 bytes of a cell are decoded")
            << head + "{R1-\x80 \x93x\x94\t\xe7\t}\r\n"
            << 2 << QStringList{"1/1=€ “x”", "1/2=ç"} << QStringList{} << 1 << 0 << QStringList{};
        QTest::newRow("an empty file gives an empty viewer")
            << QByteArray() << 2 << QStringList{} << QStringList{} << 42 << 0 << QStringList{};
    }

    void readsHandEditedFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, rows);
        QFETCH(QStringList, cells);
        QFETCH(QStringList, points);
        QFETCH(int, records);
        QFETCH(int, testNumber);
        QFETCH(QStringList, headers);

        SharedState state;
        state.viewerRecordCount = 42;
        state.testCount = 9;
        ViewerRecorder viewer;
        readTestFile(file, viewer, state);

        QCOMPARE(viewer.table.rowCount(), rows);
        for (const QString &cell : cells) {
            const qsizetype slash = cell.indexOf('/'), equals = cell.indexOf('=');
            const int row = cell.left(slash).toInt();
            const int column = cell.mid(slash + 1, equals - slash - 1).toInt();
            QCOMPARE(viewer.table.cell(row, column), cell.mid(equals + 1));
        }
        QCOMPARE(viewer.points, points);
        QCOMPARE(state.viewerRecordCount, records);
        QCOMPARE(viewer.recordCount, records);
        QCOMPARE(viewer.caption, QStringLiteral(" - %1 Registros").arg(records));
        QCOMPARE(state.testCount, testNumber);
        QStringList written;
        for (const QString &field : viewer.headerWrites)
            written << field + "=" + viewer.header[size_t(field.toInt() - 1)];
        QCOMPARE(written, headers);
    }

    void aMissingFileLoadsNothing()
    {
        QTemporaryDir dir;
        SharedState state;
        state.viewerRecordCount = 4;
        state.testCount = 2;
        ViewerRecorder viewer;
        QVERIFY(!loadTestFile(dir.filePath("nao-existe.tvq"), viewer, state));
        QCOMPARE(viewer.caption, QString());
        QCOMPARE(viewer.recordCount, -1);
        QCOMPARE(state.testCount, 2);
        QCOMPARE(state.viewerRecordCount, 4);
    }

    void aFolderCannotBeOpened()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("pasta.tvq"));
        SharedState state;
        ViewerRecorder viewer;
        try {
            loadTestFile(dir.filePath("pasta.tvq"), viewer, state);
            QFAIL("a folder was read as a test file");
        } catch (const AppError &e) {
            QCOMPARE(e.message(),
                     QStringLiteral("Não foi possível abrir \"%1\": É uma pasta").arg(dir.filePath("pasta.tvq")));
        }
        QCOMPARE(viewer.caption, QString());
    }

    // Files a user's machine may hold under a test file's name, through the
    // reading that "Carregar teste" and `vestara FILE.tvq` share. Each is
    // read in a child process with a time bound: a FIFO would block open()
    // for good, a device would never end.
    void hostileFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("outcome"); // "Registros: n" or the message after the file name
        QTest::newRow("a FIFO is refused without blocking") << "fifo"
                                                            << "Não é um arquivo comum, é um FIFO (pipe nomeado)";
        QTest::newRow("a link to /dev/zero is refused without reading") << "device"
                                                                        << "Não é um arquivo comum, é um dispositivo";
        QTest::newRow("a file above 200 MB is refused naming the limit")
            << "big"
            << "Arquivo maior que 200 MB, o limite de um arquivo de teste";
        QTest::newRow("a symbolic-link loop says so") << "loop"
                                                      << "Ligações simbólicas demais";
        QTest::newRow("lines ended by CR alone are read") << "cr"
                                                          << "Registros: 2";
    }

    void hostileFiles()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath("x.tvq");
        const QByteArray name = QFile::encodeName(path);
        if (kind == "fifo")
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        else if (kind == "device")
            QVERIFY(QFile::link("/dev/zero", path));
        else if (kind == "loop")
            QVERIFY(QFile::link(dir.filePath("y.tvq"), path) && QFile::link(path, dir.filePath("y.tvq")));
        else if (kind == "big") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(MaxTestFileBytes + 1)); // sparse: no disk taken
        } else if (kind == "cr") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("\r\r[TESTE=]\r[CAB1=Forno]\r{R1-08:00:00\t24,7\t}\r{R2-08:01:00\t24,8\t}\r");
        }
        const QString got = runInChildWithin(5, [&] {
            SharedState state;
            ViewerRecorder viewer;
            try {
                if (!loadTestFile(path, viewer, state))
                    return QStringLiteral("nothing");
                return QStringLiteral("Registros: %1").arg(viewer.recordCount);
            } catch (const AppError &e) {
                return e.message();
            }
        });
        QFETCH(QString, outcome);
        if (outcome.startsWith("Registros"))
            QCOMPARE(got, outcome);
        else
            QCOMPARE(got, QStringLiteral("Não foi possível abrir \"%1\": %2").arg(path, outcome));
    }
};

QTEST_GUILESS_MAIN(TestFileTest)
#include "test_testfile.moc"
