// The report: what the sheet holds after opening, the print area each window
// keeps, the window itself, and printed pages read back with pdftotext.
#include "core/AppError.h"
#include "forms/Forms.h"
#include "forms/Relatorio.h"
#include "forms/SheetView.h"
#include "recordings/ViewerTable.h"
#include "sheet/ReportContent.h"
#include "support/ModalCatcher.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDateTime printedAt(QDate(2026, 12, 8), QTime(14, 30, 5));

QStringList recordTexts(int n)
{
    const int s = n * 7;
    return {QString::number(n),
            QStringLiteral("%1:%2:%3")
                .arg(8 + s / 3600, 2, 10, QChar('0'))
                .arg(s / 60 % 60, 2, 10, QChar('0'))
                .arg(s % 60, 2, 10, QChar('0')),
            QStringLiteral("2%1,%2").arg(n % 10).arg(n % 7),
            QStringLiteral("3%1,%2").arg(n % 10).arg(n % 3),
            QStringLiteral("4%1,%2").arg(n % 10).arg(n % 9),
            QStringLiteral("27,%1").arg(n % 100),
            QStringLiteral("26,%1").arg(n % 100),
            QStringLiteral("08/12/2026")};
}

ViewerTable tableOf(int records)
{
    ViewerTable table;
    for (int n = 1; n <= records; ++n) {
        const QStringList texts = recordTexts(n);
        for (int c = 0; c < ViewerTable::ColumnCount; ++c)
            table.setCell(n, c, texts[c]);
    }
    return table;
}

const report::HeaderTexts header{QStringLiteral("Fulano de Tal"), QStringLiteral("Fundição"),
                                 QStringLiteral("Tavenor Ltda."), QStringLiteral("Medição junto ao forno")};

// The pages' text in layout mode, one string per page.
QStringList pdfPages(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QChar('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The words of a line, as pdftotext lays them out.
QStringList words(const QString &line)
{
    return line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

int printToPdf(TForm3 &window, const QString &path)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(path);
    return window.print(printer, path);
}

} // namespace

class ReportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void threeRecordsFillRowsTenToThirteen();
    void theAreaIsTheRowsPassedPlusTenAndNineColumns_data();
    void theAreaIsTheRowsPassedPlusTenAndNineColumns();
    void aCellHeldJustBeyondTheShownRowsIsReported();
    void emptyHeaderFieldsLeaveTheLabels();
    void twoReportsKeepTheirOwnAreas();
    void theReportIsASnapshot();
    void theWindow();
    void eachOpenIsANewWindow();
    void printsThreeRecordsOnOnePage();
    void printsALongTestOverNumberedPages();
    void printingFromTheFirstOfTwoWindowsPrintsItsOwnTest();
    void aPrintFailureNamesTheTarget();
    void aLongTestIsLaidOutOnlyWhereShown();
    void imprimirShowsThePrintDialog_data();
    void imprimirShowsThePrintDialog();

private:
    QTemporaryDir dir;
};

void ReportTest::initTestCase()
{
    QVERIFY(dir.isValid());
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QFAIL("pdftotext is missing (scripts/deps installs poppler-utils)");
}

void ReportTest::threeRecordsFillRowsTenToThirteen()
{
    const ViewerTable table = tableOf(3);
    QCOMPARE(table.rowCount(), 4);
    const ReportContent report(table, header, printedAt);
    const Sheet &s = report.sheet();
    QCOMPARE(s.text(1, 1), QStringLiteral("Relatório "));
    QCOMPARE(s.text(2, 1), QStringLiteral("Data Impressão - 08/12/2026"));
    QCOMPARE(s.text(3, 1), QStringLiteral("Hora Impressão - 14:30:05"));
    QCOMPARE(s.text(4, 1), QString());
    QCOMPARE(s.text(5, 1), QStringLiteral("Nome: Fulano de Tal"));
    QCOMPARE(s.text(6, 1), QStringLiteral("Setor: Fundição"));
    QCOMPARE(s.text(7, 1), QStringLiteral("Empresa: Tavenor Ltda."));
    QCOMPARE(s.text(8, 1), QStringLiteral("Observações: Medição junto ao forno"));
    QCOMPARE(s.text(9, 1), QString());
    for (int c = 2; c <= 9; ++c)
        for (int r = 1; r <= 9; ++r)
            QVERIFY2(s.isEmpty(r, c), qPrintable(QStringLiteral("%1,%2").arg(r).arg(c)));
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c)
            QCOMPARE(s.text(r + 10, c + 1), table.cell(r, c));
    QCOMPARE(s.text(10, 1), QStringLiteral("Registro"));
    QCOMPARE(s.text(10, 8), QStringLiteral("Data"));
    QCOMPARE(s.text(13, 3), recordTexts(3)[2]);
    for (int c = 1; c <= 9; ++c)
        QVERIFY(s.isEmpty(14, c));
    QCOMPARE(s.lastUsedRow(), 13);
    QCOMPARE(report.printArea(), (SheetArea{1, 1, 15, 9}));
}

void ReportTest::theAreaIsTheRowsPassedPlusTenAndNineColumns_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("lastRow");
    QTest::newRow("a new viewer's table of two rows") << -1 << 13;
    QTest::newRow("one record") << 1 << 13;
    QTest::newRow("three records") << 3 << 15;
    QTest::newRow("two hundred records") << 200 << 212;
}

void ReportTest::theAreaIsTheRowsPassedPlusTenAndNineColumns()
{
    QFETCH(int, records);
    QFETCH(int, lastRow);
    const ViewerTable table = records < 0 ? ViewerTable() : tableOf(records);
    const ReportContent report(table, header, printedAt);
    QCOMPARE(report.lastRow(), table.rowCount() + 11);
    QCOMPARE(report.lastRow(), lastRow);
    QCOMPARE(report.lastColumn(), 9);
}

void ReportTest::aCellHeldJustBeyondTheShownRowsIsReported()
{
    // A cell set far beyond the rows shown grows the table by one row only and
    // is held at its row (here row 5 of a table showing rows 0 to 4): the pass
    // over the row just beyond the table reaches it.
    ViewerTable table = tableOf(3);
    table.setCell(5, 0, QStringLiteral("held"));
    QCOMPARE(table.rowCount(), 5);
    table.setCell(9, 1, QStringLiteral("far")); // 6 rows shown, held at row 9
    QCOMPARE(table.rowCount(), 6);
    const ReportContent report(table, header, printedAt);
    QCOMPARE(report.sheet().text(15, 1), QStringLiteral("held")); // shown row 5
    for (int c = 1; c <= 9; ++c)
        QVERIFY(report.sheet().isEmpty(14, c) && report.sheet().isEmpty(16, c));
    QVERIFY(report.sheet().isEmpty(19, 2)); // row 9 lies beyond the pass (rows 0..6)
    QCOMPARE(report.lastRow(), 17);

    ViewerTable hidden = tableOf(3);
    hidden.setCell(7, 2, QStringLiteral("x"));           // 5 rows shown (0..4), held at 7
    hidden.setCell(5, 3, QStringLiteral("just beyond")); // 6 rows shown (0..5)
    hidden.setCell(6, 4, QStringLiteral("beyond"));      // 7 rows (0..6)
    const ReportContent r2(hidden, header, printedAt);
    QCOMPARE(r2.sheet().text(16, 5), QStringLiteral("beyond"));
    QCOMPARE(r2.sheet().text(17, 3), QStringLiteral("x")); // row 7 = R: the extra pass
    QCOMPARE(r2.lastRow(), 18);
}

void ReportTest::emptyHeaderFieldsLeaveTheLabels()
{
    const ReportContent report(tableOf(1), report::HeaderTexts{}, printedAt);
    QCOMPARE(report.sheet().text(5, 1), QStringLiteral("Nome: "));
    QCOMPARE(report.sheet().text(6, 1), QStringLiteral("Setor: "));
    QCOMPARE(report.sheet().text(7, 1), QStringLiteral("Empresa: "));
    QCOMPARE(report.sheet().text(8, 1), QStringLiteral("Observações: "));
}

void ReportTest::twoReportsKeepTheirOwnAreas()
{
    const ReportContent first(tableOf(3), header, printedAt);
    const ReportContent second(tableOf(50), header, printedAt);
    QCOMPARE(first.printArea(), (SheetArea{1, 1, 15, 9}));
    QCOMPARE(second.printArea(), (SheetArea{1, 1, 62, 9}));
}

void ReportTest::theReportIsASnapshot()
{
    ViewerTable table = tableOf(3);
    report::HeaderTexts fields = header;
    TForm3 window(table, fields, printedAt);
    table.setCell(1, 2, QStringLiteral("99,9"));
    table.setCell(4, 0, QStringLiteral("4"));
    fields[0] = QStringLiteral("Outro");
    QCOMPARE(window.content().sheet().text(11, 3), recordTexts(1)[2]);
    QCOMPARE(window.content().sheet().text(5, 1), QStringLiteral("Nome: Fulano de Tal"));
    QCOMPARE(window.content().lastRow(), 15);
}

void ReportTest::theWindow()
{
    auto *window = TForm3::open(tableOf(3), header);
    QPointer<TForm3> guard(window);
    QCOMPARE(Form3.data(), window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Relatórios"));
    QCOMPARE(window->size(), QSize(588, 443));
    QCOMPARE(window->pos(), QPoint(347, 187));
    QVERIFY(window->isWindow());
    QVERIFY(!window->isModal());
    QCOMPARE(window->windowModality(), Qt::NonModal);
    QVERIFY(window->isVisible());

    // The grid: column letters, row numbers, gridlines, the sheet's texts.
    SheetView *grid = window->F1Book1;
    QVERIFY(grid->showGrid());
    const QAbstractItemModel *model = grid->model();
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("A"));
    QCOMPARE(model->headerData(7, Qt::Horizontal).toString(), QStringLiteral("H"));
    QCOMPARE(model->headerData(9, Qt::Vertical).toString(), QStringLiteral("10"));
    QVERIFY(model->rowCount() >= 15);
    QVERIFY(model->columnCount() >= 9);
    QCOMPARE(model->index(9, 0).data().toString(), QStringLiteral("Registro"));
    QCOMPARE(model->index(12, 7).data().toString(), QStringLiteral("08/12/2026"));
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("Relatório "));
    QVERIFY(model->index(0, 0).data(Qt::FontRole).value<QFont>().bold());
    // The header texts overflow across the empty cells to their right.
    QVERIFY(grid->columnSpan(7, 0) > 1);
    QCOMPARE(grid->columnSpan(9, 0), 1);
    QVERIFY(grid->columnWidth(7) > 0);

    QCOMPARE(window->PopupMenu1->actions().size(), 1);
    QCOMPARE(window->Imprimir1->text(), QStringLiteral("Imprimir"));
    QCOMPARE(grid->contextMenuPolicy(), Qt::CustomContextMenu);

    QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
    window->close();
    QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 5000);
}

void ReportTest::eachOpenIsANewWindow()
{
    // The viewer stands in as a plain window; the reports outlive it.
    auto *viewer = new QWidget;
    viewer->show();
    ViewerTable table = tableOf(3);
    auto *first = TForm3::open(table, header);
    table.setCell(4, 0, QStringLiteral("4"));
    auto *second = TForm3::open(table, header);
    QVERIFY(first != second);
    QCOMPARE(Form3.data(), second);
    QVERIFY(first->isVisible() && second->isVisible());
    QVERIFY(first->isWindow() && second->isWindow());
    QVERIFY(viewer->isEnabled());
    QVERIFY(!first->testAttribute(Qt::WA_QuitOnClose));
    QPointer<TForm3> f(first), s(second);
    delete viewer;
    QVERIFY(!f.isNull() && !s.isNull());
    QCOMPARE(first->content().lastRow(), 15);
    QCOMPARE(second->content().lastRow(), 16);
    first->close();
    QTRY_VERIFY_WITH_TIMEOUT(f.isNull(), 5000);
    QVERIFY(second->isVisible());
    QCOMPARE(Form3.data(), second);
    delete second;
    QVERIFY(Form3.isNull());
}

void ReportTest::printsThreeRecordsOnOnePage()
{
    TForm3 window(tableOf(3), header, printedAt);
    const QString pdf = dir.filePath(QStringLiteral("three.pdf"));
    QCOMPARE(printToPdf(window, pdf), 1);
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 1);
    const QString text = pages[0];
    for (const char *expected :
         {"Relatório", "Data Impressão - 08/12/2026", "Hora Impressão - 14:30:05", "Nome: Fulano de Tal",
          "Setor: Fundição", "Empresa: Tavenor Ltda.", "Observações: Medição junto ao forno", "Page 1"})
        QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
    QVERIFY(!text.contains(QStringLiteral("Page 2")));

    // The lines in order: titles, then each record with all its values.
    const QStringList lines = text.split(QChar('\n'));
    QStringList tableLines;
    for (const QString &line : lines)
        if (words(line).size() == 8)
            tableLines << line;
    QCOMPARE(tableLines.size(), 4);
    QCOMPARE(words(tableLines[0]), (QStringList{"Registro", "Hora", "UMI", "SEC", "GLO", "IBUTGi", "IBUTGe", "Data"}));
    for (int n = 1; n <= 3; ++n)
        QCOMPARE(words(tableLines[n]), recordTexts(n));
}

void ReportTest::printsALongTestOverNumberedPages()
{
    TForm3 window(tableOf(200), header, printedAt);
    const QString pdf = dir.filePath(QStringLiteral("long.pdf"));
    const int printed = printToPdf(window, pdf);
    QVERIFY(printed > 1);
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), printed);

    int next = 0; // the record expected next, 0 for the title row
    for (int p = 0; p < pages.size(); ++p) {
        const QStringList lines = pages[p].split(QChar('\n'));
        bool footer = false;
        for (const QString &line : lines) {
            const QStringList w = words(line);
            if (w == QStringList{QStringLiteral("Page"), QString::number(p + 1)})
                footer = true;
            if (w.size() != 8)
                continue;
            // No row is cut: each row of the table is whole on its page.
            if (next == 0)
                QCOMPARE(w.first(), QStringLiteral("Registro"));
            else
                QCOMPARE(w, recordTexts(next));
            ++next;
        }
        QVERIFY2(footer, qPrintable(QStringLiteral("no footer on page %1").arg(p + 1)));
    }
    QCOMPARE(next, 201);
}

void ReportTest::printingFromTheFirstOfTwoWindowsPrintsItsOwnTest()
{
    TForm3 first(tableOf(3), header, printedAt);
    TForm3 second(tableOf(120), report::HeaderTexts{QStringLiteral("Segundo")}, printedAt);
    const QString pdf = dir.filePath(QStringLiteral("first.pdf"));
    QCOMPARE(printToPdf(first, pdf), 1);
    const QString text = pdfPages(pdf).join(QChar('\f'));
    QVERIFY(text.contains(QStringLiteral("Nome: Fulano de Tal")));
    QVERIFY(!text.contains(QStringLiteral("Segundo")));
    int rows = 0;
    for (const QString &line : text.split(QChar('\n')))
        rows += words(line).size() == 8;
    QCOMPARE(rows, 4);
}

void ReportTest::aPrintFailureNamesTheTarget()
{
    TForm3 window(tableOf(3), header, printedAt);
    const QString pdf = dir.filePath(QStringLiteral("no-such-folder/report.pdf"));
    try {
        printToPdf(window, pdf);
        QFAIL("printing into a missing folder succeeded");
    } catch (const AppError &e) {
        QVERIFY2(e.message().contains(pdf), qPrintable(e.message()));
    }
    QVERIFY(!QFile::exists(pdf));
}

// The window of a long test measures the rows it shows, not the test; a row
// that comes into view later still widens its column when it needs to.
void ReportTest::aLongTestIsLaidOutOnlyWhereShown()
{
    ViewerTable table = tableOf(100000);
    const QString wide(40, QLatin1Char('8'));
    table.setCell(100000, 1, wide); // "Hora" of the last record, its neighbour full
    QElapsedTimer opening;
    opening.start();
    auto *window = TForm3::open(table, header);
    QPointer<TForm3> guard(window);
    SheetView *grid = window->F1Book1;
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QApplication::processEvents();
    qInfo("report window of 100000 records: %lld ms", qint64(opening.elapsed()));
    QVERIFY2(grid->rowsLaidOut() < 1000, qPrintable(QString::number(grid->rowsLaidOut())));
    const int before = grid->columnWidth(1);

    const int lastRow = window->content().lastRow() - 2; // the last record
    grid->scrollTo(grid->model()->index(lastRow - 1, 1));
    QTRY_VERIFY(grid->columnWidth(1) > before);
    QVERIFY(grid->rowsLaidOut() < 1000);
    QCOMPARE(grid->model()->index(lastRow - 1, 1).data().toString(), wide);
    window->close();
}

void ReportTest::imprimirShowsThePrintDialog_data()
{
    QTest::addColumn<QString>("file"); // empty: the user cancels
    QTest::addColumn<bool>("printed");
    QTest::addColumn<QString>("error");
    QTest::newRow("cancelling the dialog prints nothing") << QString() << false << QString();
    QTest::newRow("a PDF file chosen in the dialog is printed") << QStringLiteral("chosen.pdf") << true << QString();
    QTest::newRow("a file that cannot be written goes to the error report")
        << QStringLiteral("missing/chosen.pdf") << false << QStringLiteral("Não foi possível imprimir em %1.");
}

void ReportTest::imprimirShowsThePrintDialog()
{
    QFETCH(QString, file);
    QFETCH(bool, printed);
    QFETCH(QString, error);
    const QString path = file.isEmpty() ? QString() : dir.filePath(file);
    TForm3 window(tableOf(3), header, printedAt);
    window.show();
    int dialogs = 0;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        ++dialogs;
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog->printer()->setOutputFileName(path);
        dialog->done(QDialog::Accepted);
    });
    poll.start(5);
    ModalCatcher catcher;
    window.Imprimir1->trigger();
    QCOMPARE(dialogs, 1);
    QCOMPARE(QFile::exists(path), printed);
    if (printed)
        QVERIFY(pdfPages(path).value(0).contains(QStringLiteral("Nome: Fulano de Tal")));
    if (error.isEmpty()) {
        QVERIFY(catcher.boxes.isEmpty());
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes.size(), 1, 5000);
        QCOMPARE(catcher.boxes[0].text, error.arg(path));
        QCOMPARE(catcher.boxes[0].icon, int(QMessageBox::Critical));
    }
}

QTEST_MAIN(ReportTest)
#include "test_report.moc"
