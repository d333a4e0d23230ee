#include "sheet/SheetLayout.h"

#include <QFontMetricsF>
#include <QStringList>

#include <algorithm>
#include <cmath>

QFont SheetLayout::cellFont(const Sheet &sheet, int row)
{
    QFont font;
    font.setFamilies(QStringList{sheet.fontFamily, QStringLiteral("Liberation Sans")});
    font.setPointSizeF(row == 1 ? sheet.titlePointSize : sheet.fontPointSize);
    font.setBold(row == 1);
    // Unhinted, so that widths measured on screen hold on paper.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

double SheetLayout::textWidth(int row, const QString &text) const
{
    const QFontMetricsF metrics(cellFont(sheet, row));
    return metrics.horizontalAdvance(text) * 72.0 / metrics.fontDpi();
}

SheetLayout::SheetLayout(const Sheet &sheetIn, SheetArea area, QSizeF pageSize)
    : sheet(sheetIn)
    , range(area)
    , page(pageSize)
{
    range.lastRow = std::max(range.lastRow, range.firstRow - 1);
    range.lastColumn = std::max(range.lastColumn, range.firstColumn - 1);
    const int columns = range.lastColumn - range.firstColumn + 1;

    std::vector<double> widths(static_cast<size_t>(columns), 0.0);
    for (int i = 0; i < columns; ++i)
        widths[size_t(i)] = sheet.columnWidth(range.firstColumn + i);

    // A text that cannot overflow (its right neighbour holds text, or it is in
    // the area's last column) must fit its own column.
    const QFont bodyFont = cellFont(sheet, 2);
    const QFontMetricsF body(bodyFont);
    const double toPoints = 72.0 / body.fontDpi();
    for (int r = range.firstRow; r <= range.lastRow; ++r) {
        const QFontMetricsF title(cellFont(sheet, r));
        const QFontMetricsF &metrics = r == 1 ? title : body;
        for (int i = 0; i < columns; ++i) {
            const int c = range.firstColumn + i;
            const QString t = sheet.text(r, c);
            if (t.isEmpty())
                continue;
            if (c < range.lastColumn && sheet.isEmpty(r, c + 1))
                continue;
            const double need = metrics.horizontalAdvance(t) * toPoints + 2 * CellPaddingPt;
            widths[size_t(i)] = std::max(widths[size_t(i)], need);
        }
    }
    lefts.assign(size_t(columns) + 1, 0);
    for (int i = 0; i < columns; ++i)
        lefts[size_t(i) + 1] = lefts[size_t(i)] + widths[size_t(i)];

    if (totalWidth() > page.width() && totalWidth() > 0)
        fit = page.width() / totalWidth();

    bodyTextHeight = body.height() * toPoints;
    bodyRowHeight = std::ceil(bodyTextHeight + 2 * CellPaddingPt);
    titleRowHeight = std::ceil(QFontMetricsF(cellFont(sheet, 1)).height() * toPoints + 2 * CellPaddingPt);

    // Pages: as many whole rows as fit above the footer; at least one row a
    // page, so a row taller than the page still prints (cut at the bottom).
    const double usable = page.height() - FooterHeightPt;
    int r = range.firstRow;
    while (r <= range.lastRow) {
        Page p{r, r};
        double used = rowHeight(r) * fit;
        while (p.lastRow < range.lastRow && used + rowHeight(p.lastRow + 1) * fit <= usable) {
            ++p.lastRow;
            used += rowHeight(p.lastRow) * fit;
        }
        pageRows.push_back(p);
        r = p.lastRow + 1;
    }
}

double SheetLayout::columnWidth(int column) const
{
    const int i = column - range.firstColumn;
    if (i < 0 || size_t(i) + 1 >= lefts.size())
        return 0;
    return lefts[size_t(i) + 1] - lefts[size_t(i)];
}

double SheetLayout::columnLeft(int column) const
{
    const int i = std::clamp(column - range.firstColumn, 0, int(lefts.size()) - 1);
    return lefts[size_t(i)];
}

double SheetLayout::rowHeight(int row) const
{
    return row == 1 ? titleRowHeight : bodyRowHeight;
}

int SheetLayout::overflowEnd(int row, int column) const
{
    // Only a text with an empty right neighbour inside the area can overflow;
    // the others are not measured.
    if (column >= range.lastColumn || !sheet.isEmpty(row, column + 1))
        return column;
    const QString t = sheet.text(row, column);
    if (t.isEmpty())
        return column;
    const double need = textWidth(row, t) + 2 * CellPaddingPt;
    int end = column;
    double room = columnWidth(column);
    while (room < need && end < range.lastColumn && sheet.isEmpty(row, end + 1)) {
        ++end;
        room += columnWidth(end);
    }
    return end;
}
