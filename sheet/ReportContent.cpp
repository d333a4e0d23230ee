#include "sheet/ReportContent.h"

#include "recordings/ViewerTable.h"

#include <memory>

namespace report {

Sheet makeTemplate()
{
    Sheet sheet;
    // Points; wide enough for "Registro", "14:30:00", "-12,34" and
    // "08/12/2026" in 10 pt Arial. The layout still widens a column whose
    // text would be cut.
    const double widths[] = {56, 56, 48, 48, 48, 52, 52, 64, 24};
    for (int c = 0; c < int(std::size(widths)); ++c)
        sheet.setColumnWidth(c + 1, widths[c]);
    // The wordmark over the empty right-hand part of rows 1 to 4.
    sheet.picture = SheetPicture{1, 6, 150, 45};
    return sheet;
}

} // namespace report

ReportContent::ReportContent(const ViewerTable &table, const report::HeaderTexts &header, const QDateTime &printedAt)
    : cells(report::makeTemplate())
{
    using namespace report;
    cells.setText(TitleRow, FirstColumn, QStringLiteral("Relatório "));
    cells.setText(DateRow, FirstColumn,
                  QStringLiteral("Data Impressão - ") + printedAt.toString(QStringLiteral("dd/MM/yyyy")));
    cells.setText(TimeRow, FirstColumn,
                  QStringLiteral("Hora Impressão - ") + printedAt.toString(QStringLiteral("HH:mm:ss")));
    static const char *const labels[] = {"Nome: ", "Setor: ", "Empresa: ", "Observações: "};
    for (int i = 0; i < 4; ++i)
        cells.setText(NameRow + i, FirstColumn, QString::fromUtf8(labels[i]) + header[size_t(i)]);

    // Every shown row and the one just beyond it (empty unless the table
    // holds cells there that it does not show yet), read from a copy of the
    // table when shown or printed. The copy shares the rows' buffers with the
    // viewer's table until either changes one, so a long test costs little
    // more memory and no time here.
    const int rowsPassed = table.rowCount() + 1;
    auto snapshot = std::make_shared<const ViewerTable>(table);
    cells.setBlock(TableRow, rowsPassed, ViewerTable::ColumnCount,
                   [snapshot](int row, int column) { return snapshot->cell(row, column); });
    reportLastRow = rowsPassed + TableRow;
    reportLastCol = ViewerTable::ColumnCount + 1;
}
