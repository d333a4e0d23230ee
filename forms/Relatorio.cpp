#include "forms/Relatorio.h"

#include "forms/Forms.h"
#include "forms/Guarded.h"
#include "forms/SheetView.h"
#include "sheet/SheetPainter.h"

#include <QAction>
#include <QFrame>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>

TForm3::TForm3(const ViewerTable &table, const report::HeaderTexts &header, const QDateTime &printedAt)
    : QWidget(nullptr, Qt::Window)
    , report(table, header, printedAt)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    Form3 = this;
    setWindowTitle(QStringLiteral("Relatórios"));
    move(347, 187);
    resize(588, 443);

    Panel1 = new QFrame(this);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(Panel1);
    F1Book1 = new SheetView(report.sheet(), report.printArea(), Panel1);
    auto *inner = new QVBoxLayout(Panel1);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->addWidget(F1Book1);

    PopupMenu1 = new QMenu(this);
    Imprimir1 = PopupMenu1->addAction(QStringLiteral("Imprimir"));
    connect(Imprimir1, &QAction::triggered, this, guarded(this, [this] { Imprimir1Click(); }));
    F1Book1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(F1Book1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(F1Book1->viewport()->mapToGlobal(at)); });
}

TForm3 *TForm3::open(const ViewerTable &table, const report::HeaderTexts &header)
{
    auto *window = new TForm3(table, header);
    window->show();
    return window;
}

void TForm3::Imprimir1Click()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString target = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    print(printer, target);
}

int TForm3::print(QPagedPaintDevice &device, const QString &target)
{
    return printSheet(report.sheet(), report.printArea(), device, target);
}
