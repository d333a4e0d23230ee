#include "sheet/Sheet.h"

#include <algorithm>

bool Sheet::setText(int row, int column, const QString &text)
{
    if (row < 1 || column < 1)
        return false;
    if (text.isEmpty()) {
        auto it = rows.find(row);
        if (it != rows.end() && size_t(column) <= it->second.size())
            it->second[size_t(column) - 1].clear();
        // The used extent only grows; a cleared cell at the edge leaves an
        // empty row or column inside it, as a spreadsheet does.
        return true;
    }
    auto &cells = rows[row];
    if (cells.size() < size_t(column))
        cells.resize(size_t(column));
    cells[size_t(column) - 1] = text;
    usedRows = std::max(usedRows, row);
    usedColumns = std::max(usedColumns, column);
    return true;
}

void Sheet::setBlock(int firstRow, int rowCount, int columns, BlockText text)
{
    block = Block{std::max(firstRow, 1), std::max(rowCount, 0), std::max(columns, 0), std::move(text)};
    // The used extent without reading every cell: the block's last row that
    // holds a text (the rows at its end are usually empty, one beyond a
    // table, so the search back is short) and the columns of that row and of
    // the first (a table's titles).
    auto lastColumnOf = [this](int r) {
        for (int c = block.columns; c >= 1; --c)
            if (!block.text(r - block.firstRow, c - 1).isEmpty())
                return c;
        return 0;
    };
    for (int r = block.firstRow + block.rows - 1; r >= block.firstRow; --r) {
        if (const int c = lastColumnOf(r)) {
            usedRows = std::max(usedRows, r);
            usedColumns = std::max({usedColumns, c, lastColumnOf(block.firstRow)});
            return;
        }
    }
}

QString Sheet::text(int row, int column) const
{
    if (row < 1 || column < 1)
        return {};
    if (block.holds(row, column))
        return block.text(row - block.firstRow, column - 1);
    auto it = rows.find(row);
    if (it == rows.end() || size_t(column) > it->second.size())
        return {};
    return it->second[size_t(column) - 1];
}

void Sheet::setColumnWidth(int column, double points)
{
    if (column < 1 || points < 0)
        return;
    if (widths.size() < size_t(column))
        widths.resize(size_t(column), 0);
    widths[size_t(column) - 1] = points;
}

double Sheet::columnWidth(int column) const
{
    if (column >= 1 && size_t(column) <= widths.size() && widths[size_t(column) - 1] > 0)
        return widths[size_t(column) - 1];
    return DefaultColumnWidthPt;
}

QString Sheet::footerText(int page) const
{
    QString out = footer;
    return out.replace(QLatin1String("&P"), QString::number(page));
}
