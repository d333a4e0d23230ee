#pragma once
// The report window TForm3 ("Relatórios"): the test shown in the viewer laid
// out as a printable sheet, the title, the moment of printing, the four header
// fields and the table. It takes a snapshot when it opens, so later changes in
// the viewer, or its closing, do not reach it. Its grid's context menu
// "Imprimir" shows the print dialog (a printer or a PDF file) and prints the
// window's own area, (1, 1) to (reportLastRow, reportLastCol) of this report
// (not of whichever report opened last). A print failure goes to the default
// error report.
//
// Each call of open() makes a new, independent, non-modal window, destroyed
// when the user closes it; Form3 holds the latest.

#include "sheet/ReportContent.h"

#include <QDateTime>
#include <QWidget>

class QAction;
class QFrame;
class QMenu;
class QPagedPaintDevice;
class SheetView;
class ViewerTable;

class TForm3 : public QWidget {
    Q_OBJECT
public:
    // header: the viewer's Edit1..Edit4 (Nome, Setor, Empresa, Observações).
    // The window has no parent: it outlives the viewer that opened it. It
    // does not keep the program running once the main window has closed.
    // Every report window stores itself in Form3 when it is created.
    TForm3(const ViewerTable &table, const report::HeaderTexts &header,
           const QDateTime &printedAt = QDateTime::currentDateTime());

    // Creates the window and shows it.
    static TForm3 *open(const ViewerTable &table, const report::HeaderTexts &header);

    const ReportContent &content() const { return report; }

    // Context menu "Imprimir": the print dialog, then printing.
    void Imprimir1Click();
    // Prints the report's area; returns the pages printed. Throws AppError.
    int print(QPagedPaintDevice &device, const QString &target);

    QFrame *Panel1 = nullptr;
    SheetView *F1Book1 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *Imprimir1 = nullptr;

private:
    ReportContent report;
};
