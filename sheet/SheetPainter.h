#pragma once
// Prints a sheet's area onto a paged device (a QPrinter, a QPdfWriter): the
// columns fitted to the page width, as many pages as the rows need, never a
// row cut at a page break, gridlines, the template's picture and its footer
// ("Page N") on every page.
//
// Fails with AppError, naming the target, when the device cannot be painted
// on (a PDF file that cannot be created, a printer that refuses the job) or a
// new page cannot be started; what was printed before stays printed.

#include "sheet/SheetLayout.h"

class QPagedPaintDevice;
class QPainter;

// Returns the number of pages printed. target names the device in messages.
int printSheet(const Sheet &sheet, SheetArea area, QPagedPaintDevice &device, const QString &target);

// Paints one page of a layout with the painter's unit being one point and the
// origin at the printable area's top-left corner.
void paintSheetPage(QPainter &painter, const Sheet &sheet, const SheetLayout &layout, int pageIndex);
