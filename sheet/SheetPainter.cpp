#include "sheet/SheetPainter.h"

#include "core/AppError.h"
#include "sheet/TavenorLogo.h"

#include <QPagedPaintDevice>
#include <QPainter>

namespace {

QFont paintFont(const Sheet &sheet, int row)
{
    // Pixel size in a painter whose unit is one point, so the device's own
    // resolution does not scale the font a second time.
    QFont font = SheetLayout::cellFont(sheet, row);
    font.setPixelSize(qRound(font.pointSizeF()));
    return font;
}

} // namespace

void paintSheetPage(QPainter &painter, const Sheet &sheet, const SheetLayout &layout, int pageIndex)
{
    const SheetLayout::Page page = layout.pages()[size_t(pageIndex)];
    const SheetArea &area = layout.area();
    const double pad = SheetLayout::CellPaddingPt;

    painter.save();
    painter.scale(layout.scale(), layout.scale());
    const QPen grid(QColor(0x90, 0x90, 0x90), 0.5);
    const double width = layout.totalWidth();

    double top = 0;
    for (int r = page.firstRow; r <= page.lastRow; ++r) {
        const double h = layout.rowHeight(r);
        painter.setFont(paintFont(sheet, r));
        painter.setPen(grid);
        painter.drawLine(QPointF(0, top), QPointF(width, top));
        painter.drawLine(QPointF(0, top), QPointF(0, top + h));
        int c = area.firstColumn;
        while (c <= area.lastColumn) {
            const int end = layout.overflowEnd(r, c);
            const double left = layout.columnLeft(c);
            const double right = layout.columnLeft(end) + layout.columnWidth(end);
            const QString t = sheet.text(r, c);
            if (!t.isEmpty()) {
                painter.setPen(Qt::black);
                painter.drawText(QRectF(left + pad, top, right - left - 2 * pad, h),
                                 Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, t);
            }
            // No gridline through a text that overflows into its neighbours.
            painter.setPen(grid);
            painter.drawLine(QPointF(right, top), QPointF(right, top + h));
            c = end + 1;
        }
        top += h;
    }
    painter.setPen(grid);
    painter.drawLine(QPointF(0, top), QPointF(width, top));

    // The template's picture, on the page that holds its anchor row.
    const SheetPicture &pic = sheet.picture;
    if (pic.row >= page.firstRow && pic.row <= page.lastRow && pic.column >= area.firstColumn &&
        pic.column <= area.lastColumn) {
        double y = 0;
        for (int r = page.firstRow; r < pic.row; ++r)
            y += layout.rowHeight(r);
        const double x = layout.columnLeft(pic.column);
        paintTavenorLogo(painter, QRectF(x + 1, y + 1, pic.widthPt, pic.heightPt));
    }
    painter.restore();

    // The footer, unscaled, centred at the bottom of the printable area.
    const QSizeF size = layout.pageSize();
    painter.setPen(Qt::black);
    painter.setFont(paintFont(sheet, 2));
    painter.drawText(QRectF(0, size.height() - SheetLayout::FooterHeightPt, size.width(), SheetLayout::FooterHeightPt),
                     Qt::AlignHCenter | Qt::AlignBottom, sheet.footerText(pageIndex + 1));
}

int printSheet(const Sheet &sheet, SheetArea area, QPagedPaintDevice &device, const QString &target)
{
    QPainter painter;
    if (!painter.begin(&device))
        throw AppError(QStringLiteral("Não foi possível imprimir em %1.").arg(target));
    const double toPoints = 72.0 / device.logicalDpiX();
    const QSizeF page(device.width() * toPoints, device.height() * toPoints);
    painter.scale(1 / toPoints, 1 / toPoints);

    const SheetLayout layout(sheet, area, page);
    const int pages = int(layout.pages().size());
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !device.newPage()) {
            painter.end();
            throw AppError(QStringLiteral("A impressão em %1 parou na página %2.").arg(target).arg(i + 1));
        }
        paintSheetPage(painter, sheet, layout, i);
    }
    if (!painter.end())
        throw AppError(QStringLiteral("Não foi possível concluir a impressão em %1.").arg(target));
    return pages;
}
