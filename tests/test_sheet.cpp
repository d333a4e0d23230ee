// The report's sheet: sparse cells, the page layout (columns fitted to the
// width, whole rows per page, widened columns, overflowing texts) and the
// column letters of the grid view.
#include "forms/SheetView.h"
#include "sheet/Sheet.h"
#include "sheet/SheetLayout.h"

#include <QtTest>

class SheetTest : public QObject {
    Q_OBJECT
private slots:
    void cellsAreSparseAndCountedFromOne();
    void clearingACellLeavesItEmpty();
    void footerNumbersThePage();
    void layoutFitsColumnsToThePageWidth_data();
    void layoutFitsColumnsToThePageWidth();
    void pagesHoldWholeRowsAndCoverTheArea_data();
    void pagesHoldWholeRowsAndCoverTheArea();
    void aTextThatCannotOverflowWidensItsColumn();
    void aTextOverflowsAcrossEmptyNeighboursOnly_data();
    void aTextOverflowsAcrossEmptyNeighboursOnly();
    void columnLetters_data();
    void columnLetters();
};

void SheetTest::cellsAreSparseAndCountedFromOne()
{
    Sheet sheet;
    QVERIFY(sheet.setText(1, 1, QStringLiteral("a")));
    QVERIFY(sheet.setText(2'000'000, 5, QStringLiteral("far")));
    QVERIFY(!sheet.setText(0, 1, QStringLiteral("row 0")));
    QVERIFY(!sheet.setText(1, 0, QStringLiteral("column 0")));
    QCOMPARE(sheet.text(1, 1), QStringLiteral("a"));
    QCOMPARE(sheet.text(2'000'000, 5), QStringLiteral("far"));
    QCOMPARE(sheet.text(2'000'000, 4), QString());
    QCOMPARE(sheet.text(3, 1), QString());
    QCOMPARE(sheet.text(0, 0), QString());
    QCOMPARE(sheet.lastUsedRow(), 2'000'000);
    QCOMPARE(sheet.lastUsedColumn(), 5);
}

void SheetTest::clearingACellLeavesItEmpty()
{
    Sheet sheet;
    sheet.setText(4, 2, QStringLiteral("x"));
    sheet.setText(4, 2, QString());
    sheet.setText(9, 9, QString()); // never written: stays absent
    QVERIFY(sheet.isEmpty(4, 2));
    QVERIFY(sheet.isEmpty(9, 9));
    QCOMPARE(sheet.lastUsedRow(), 4);
}

void SheetTest::footerNumbersThePage()
{
    Sheet sheet;
    QCOMPARE(sheet.footerText(1), QStringLiteral("Page 1"));
    QCOMPARE(sheet.footerText(12), QStringLiteral("Page 12"));
}

void SheetTest::layoutFitsColumnsToThePageWidth_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<double>("pageWidth");
    QTest::addColumn<bool>("shrunk");
    QTest::newRow("nine template columns fit an A4 page unscaled") << 9 << 523.0 << false;
    QTest::newRow("forty columns are scaled down to the page width") << 40 << 523.0 << true;
    QTest::newRow("a narrow page scales nine columns") << 9 << 200.0 << true;
}

void SheetTest::layoutFitsColumnsToThePageWidth()
{
    QFETCH(int, columns);
    QFETCH(double, pageWidth);
    QFETCH(bool, shrunk);
    Sheet sheet;
    const SheetLayout layout(sheet, {1, 1, 5, columns}, QSizeF(pageWidth, 770));
    QCOMPARE(layout.totalWidth(), columns * Sheet::DefaultColumnWidthPt);
    QVERIFY(layout.totalWidth() * layout.scale() <= pageWidth + 1e-9);
    QCOMPARE(layout.scale() < 1.0, shrunk);
}

void SheetTest::pagesHoldWholeRowsAndCoverTheArea_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<double>("pageHeight");
    QTest::newRow("a short area is one page") << 15 << 770.0;
    QTest::newRow("a long area runs over several pages") << 250 << 770.0;
    QTest::newRow("a page a little taller than the footer holds one row") << 5 << 50.0;
    QTest::newRow("a page lower than one row still prints every row") << 3 << 10.0;
}

void SheetTest::pagesHoldWholeRowsAndCoverTheArea()
{
    QFETCH(int, rows);
    QFETCH(double, pageHeight);
    Sheet sheet;
    sheet.setText(1, 1, QStringLiteral("Title"));
    const SheetLayout layout(sheet, {1, 1, rows, 9}, QSizeF(523, pageHeight));
    const auto &pages = layout.pages();
    QVERIFY(!pages.empty());
    QCOMPARE(pages.front().firstRow, 1);
    QCOMPARE(pages.back().lastRow, rows);
    const double usable = pageHeight - SheetLayout::FooterHeightPt;
    for (size_t i = 0; i < pages.size(); ++i) {
        QVERIFY(pages[i].firstRow <= pages[i].lastRow);
        if (i > 0)
            QCOMPARE(pages[i].firstRow, pages[i - 1].lastRow + 1);
        double height = 0;
        for (int r = pages[i].firstRow; r <= pages[i].lastRow; ++r)
            height += layout.rowHeight(r) * layout.scale();
        // Only a page of a single row may exceed the usable height.
        QVERIFY2(height <= usable + 1e-9 || pages[i].firstRow == pages[i].lastRow, qPrintable(QString::number(i)));
        // And the page is full: the next row would not have fitted.
        if (i + 1 < pages.size())
            QVERIFY(height + layout.rowHeight(pages[i].lastRow + 1) * layout.scale() > usable);
    }
    QVERIFY(layout.rowHeight(1) > layout.rowHeight(2)); // the title row's larger font
}

void SheetTest::aTextThatCannotOverflowWidensItsColumn()
{
    Sheet sheet;
    sheet.setColumnWidth(2, 10);
    const QString wide = QStringLiteral("08/12/2026 14:30:00");
    sheet.setText(3, 2, wide);
    sheet.setText(3, 3, QStringLiteral("neighbour"));
    sheet.setText(4, 1, QStringLiteral("a long text with room to overflow across empty cells"));
    const SheetLayout layout(sheet, {1, 1, 5, 4}, QSizeF(523, 770));
    const QFontMetricsF metrics(SheetLayout::cellFont(sheet, 3));
    const double need = metrics.horizontalAdvance(wide) * 72.0 / metrics.fontDpi();
    QVERIFY(layout.columnWidth(2) >= need + 2 * SheetLayout::CellPaddingPt);
    QCOMPARE(layout.columnWidth(1), Sheet::DefaultColumnWidthPt); // overflowed, not widened
    QCOMPARE(layout.overflowEnd(3, 2), 2);
    QCOMPARE(layout.columnLeft(3), layout.columnWidth(1) + layout.columnWidth(2));
}

void SheetTest::aTextOverflowsAcrossEmptyNeighboursOnly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("blockerColumn"); // 0: none
    QTest::addColumn<int>("end");
    QTest::newRow("a short text stays in its cell") << QStringLiteral("ab") << 0 << 1;
    QTest::newRow("a long text runs to the area's last column at most")
        << QStringLiteral("Observações: a remark long enough to cross every column of the area and more") << 0 << 4;
    QTest::newRow("a long text stops before a filled cell")
        << QStringLiteral("Observações: a remark long enough to cross every column of the area and more") << 3 << 2;
    QTest::newRow("a text beside a filled cell does not overflow")
        << QStringLiteral("Empresa: Tavenor Ltda.") << 2 << 1;
}

void SheetTest::aTextOverflowsAcrossEmptyNeighboursOnly()
{
    QFETCH(QString, text);
    QFETCH(int, blockerColumn);
    QFETCH(int, end);
    Sheet sheet;
    sheet.setText(2, 1, text);
    if (blockerColumn)
        sheet.setText(2, blockerColumn, QStringLiteral("x"));
    const SheetLayout layout(sheet, {1, 1, 3, 4}, QSizeF(523, 770));
    QCOMPARE(layout.overflowEnd(2, 1), end);
}

void SheetTest::columnLetters_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("letters");
    QTest::newRow("column 1 is A") << 1 << QStringLiteral("A");
    QTest::newRow("column 9 is I") << 9 << QStringLiteral("I");
    QTest::newRow("column 26 is Z") << 26 << QStringLiteral("Z");
    QTest::newRow("column 27 is AA") << 27 << QStringLiteral("AA");
    QTest::newRow("column 52 is AZ") << 52 << QStringLiteral("AZ");
    QTest::newRow("column 53 is BA") << 53 << QStringLiteral("BA");
    QTest::newRow("column 702 is ZZ") << 702 << QStringLiteral("ZZ");
    QTest::newRow("column 703 is AAA") << 703 << QStringLiteral("AAA");
}

void SheetTest::columnLetters()
{
    QFETCH(int, column);
    QFETCH(QString, letters);
    QCOMPARE(SheetModel::columnLetters(column), letters);
}

QTEST_MAIN(SheetTest)
#include "test_sheet.moc"
