#pragma once
// Where the cells of a sheet's print area go on paper, in points, before any
// painting: column widths (the template's, widened where a text could not
// otherwise be read), the scale that fits all columns into the page width,
// row heights and the split into pages, never through a row. Texts overflow
// to the right across empty neighbours, as in a spreadsheet; a text that has
// no room to overflow widens its column instead, so no date, time or value is
// cut.

#include "sheet/Sheet.h"

#include <QFont>
#include <QSizeF>

#include <vector>

struct SheetArea {
    int firstRow = 1;
    int firstColumn = 1;
    int lastRow = 0;
    int lastColumn = 0;
    bool operator==(const SheetArea &) const = default;
};

class SheetLayout {
public:
    static constexpr double CellPaddingPt = 3;
    static constexpr double FooterHeightPt = 24;

    struct Page {
        int firstRow = 0;
        int lastRow = 0;
    };

    // pageSize: the printable part of the page, in points.
    SheetLayout(const Sheet &sheet, SheetArea area, QSizeF pageSize);

    // The font of a row: the template font, bold and larger in the title row.
    // Arial resolves to the metric-compatible Liberation Sans where Arial
    // itself is not installed.
    static QFont cellFont(const Sheet &sheet, int row);

    const SheetArea &area() const { return range; }
    // All columns side by side scaled by this fit into the page width (<= 1).
    double scale() const { return fit; }
    // Unscaled, in points.
    double columnWidth(int column) const;
    double columnLeft(int column) const; // relative to the area's first column
    double totalWidth() const { return lefts.back(); }
    double rowHeight(int row) const;
    // The last column the text of (row, column) reaches: the column itself, or
    // further right across empty cells while the text is wider, up to the
    // area's last column.
    int overflowEnd(int row, int column) const;
    const std::vector<Page> &pages() const { return pageRows; }
    QSizeF pageSize() const { return page; }

private:
    double textWidth(int row, const QString &text) const;

    const Sheet &sheet;
    SheetArea range;
    QSizeF page;
    std::vector<double> lefts; // lefts[i]: left of column firstColumn + i; last = total
    double fit = 1;
    double bodyRowHeight = 0;
    double titleRowHeight = 0;
    double bodyTextHeight = 0;
    std::vector<Page> pageRows;
};
