#pragma once
// The report of a test as a sheet: the title, the moment of printing, the four
// header fields and, from row 10, the viewer's table, written into the
// report's template. The caller takes a snapshot: the content keeps copies,
// so later changes in the viewer do not reach it.
//
// The area to print is the content's own. (Keeping one print area for the
// whole program would make a report window print the area of whichever
// report opened last.)

#include "sheet/Sheet.h"
#include "sheet/SheetLayout.h"

#include <QDateTime>
#include <QString>

#include <array>

class ViewerTable;

namespace report {

constexpr int TitleRow = 1;
constexpr int DateRow = 2;
constexpr int TimeRow = 3;
constexpr int NameRow = 5;   // then sector, company, remarks
constexpr int TableRow = 10; // the viewer's row 0 (its titles)
constexpr int FirstColumn = 1;

enum class HeaderField { Nome, Setor, Empresa, Observacoes };
using HeaderTexts = std::array<QString, 4>; // in HeaderField order (Edit1..Edit4)

// The empty template: formatting, column widths and the picture.
Sheet makeTemplate();

} // namespace report

class ReportContent {
public:
    ReportContent(const ViewerTable &table, const report::HeaderTexts &header, const QDateTime &printedAt);

    const Sheet &sheet() const { return cells; }
    // (1, 1) to (reportLastRow, reportLastCol): the table's rows passed plus
    // 10, and the columns passed plus 1. For a table of R rows: R + 11 and 9.
    SheetArea printArea() const { return {1, 1, reportLastRow, reportLastCol}; }
    int lastRow() const { return reportLastRow; }
    int lastColumn() const { return reportLastCol; }

private:
    Sheet cells;
    int reportLastRow = 0;
    int reportLastCol = 0;
};
