#pragma once
// "Exportar EXCEL": the viewer's shown table, title row included, written as
// a new workbook and handed to the desktop's spreadsheet application. One
// sheet, "Plan1", the table from A1 to H(rowCount) with the titles in row 1,
// every cell as text (so "24,7" stays the characters the viewer shows), and
// nothing else: neither the header fields nor cells the table holds beyond
// its shown rows.
//
// The file goes to a folder of ours in the user's cache, named after the
// moment of the export; an existing file is never overwritten. The caller
// makes the "Não existe testes" check before calling.
//
// Failures throw AppError with a Portuguese text naming the file and the
// cause ("disco cheio", "sem permissão", ...), for the default error report:
// the folder or file cannot be written (the half-written file and every
// temporary file are closed and removed before the error is thrown), or no
// application opens it (the file is kept).

#include <QDateTime>
#include <QString>

class FileOpener;
class ViewerTable;

namespace spreadsheet {

inline constexpr char SheetName[] = "Plan1";

// <cache>/Tavenor/planilhas, where <cache> is $XDG_CACHE_HOME or ~/.cache.
QString defaultFolder();
// "teste-20261208-143000.xlsx" for 8 Dec 2026, 14:30:00.
QString fileName(const QDateTime &moment);
// Writes the workbook at path (replacing it), through a child process that
// takes the library's temporary files with it when it ends.
void write(const ViewerTable &table, const QString &path);

} // namespace spreadsheet

// Writes the table into a new file in folder and has opener open it; returns
// the file's path.
QString exportSpreadsheet(const ViewerTable &table, FileOpener &opener, const QDateTime &moment,
                          const QString &folder = spreadsheet::defaultFolder());
