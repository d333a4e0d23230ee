#pragma once
// The report's spreadsheet: one sheet of text cells addressed by row and
// column, both counted from 1, with the template's formatting (column widths,
// the font, a title style for row 1, the page footer and an embedded
// picture). Storage is sparse by row, so a report of a long test costs
// memory for the rows it fills, never for the largest row number.
//
// A block of rows may instead be read from elsewhere when asked (the report
// keeps the viewer's table so and does not copy a million records into eight
// million texts).
//
// The sheet only holds; SheetLayout measures and SheetPainter prints it.

#include <QString>

#include <functional>
#include <unordered_map>
#include <vector>

struct SheetPicture {
    // Top-left corner anchored at a cell; size in points.
    int row = 0; // 0: no picture
    int column = 0;
    double widthPt = 0;
    double heightPt = 0;
};

class Sheet {
public:
    // Widths in points; a column without its own width gets this one.
    static constexpr double DefaultColumnWidthPt = 48;

    // Writes the text; an empty text clears the cell. Rows and columns below
    // 1 are ignored (false).
    bool setText(int row, int column, const QString &text);
    // The cell's text; empty when never written or out of range.
    QString text(int row, int column) const;
    bool isEmpty(int row, int column) const { return text(row, column).isEmpty(); }

    // The last row and column that hold a non-empty cell (0 for none).
    int lastUsedRow() const { return usedRows; }
    int lastUsedColumn() const { return usedColumns; }

    // Rows firstRow .. firstRow + rows - 1, columns 1 .. columns, read through
    // text(row - firstRow, column - 1) whenever asked; what setText wrote
    // there is not seen. One block per sheet; a new one replaces it.
    using BlockText = std::function<QString(int blockRow, int blockColumn)>;
    void setBlock(int firstRow, int rows, int columns, BlockText text);

    void setColumnWidth(int column, double points);
    double columnWidth(int column) const;

    // The template's formatting.
    QString fontFamily = QStringLiteral("Arial");
    double fontPointSize = 10;
    double titlePointSize = 14;                 // row 1, bold
    QString footer = QStringLiteral("Page &P"); // &P: the page number
    SheetPicture picture;

    // The footer of page n with &P replaced.
    QString footerText(int page) const;

private:
    struct Block {
        int firstRow = 0;
        int rows = 0;
        int columns = 0;
        BlockText text;
        bool holds(int row, int column) const { return row >= firstRow && row < firstRow + rows && column <= columns; }
    };

    std::unordered_map<int, std::vector<QString>> rows;
    Block block;
    std::vector<double> widths; // index column - 1; 0 means the default
    int usedRows = 0;
    int usedColumns = 0;
};
