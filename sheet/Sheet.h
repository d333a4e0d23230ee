#pragma once
// The report's spreadsheet: one sheet of text cells addressed by row and
// column, both counted from 1, with the template's formatting (column widths,
// the font, a title style for row 1, the page footer and an embedded
// picture). Storage is sparse by row, so a report of a long test costs
// memory for the rows it fills, never for the largest row number.
//
// The sheet only holds; SheetLayout measures and SheetPainter prints it.

#include <QString>

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
    std::unordered_map<int, std::vector<QString>> rows;
    std::vector<double> widths; // index column - 1; 0 means the default
    int usedRows = 0;
    int usedColumns = 0;
};
