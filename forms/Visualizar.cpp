#include "forms/Visualizar.h"

#include "core/SharedState.h"
#include "forms/AssessmentPage.h"
#include "forms/ErrorReport.h"
#include "forms/Forms.h"
#include "forms/ImageList1.h"
#include "recordings/ChartEnvelope.h"
#include "recordings/ViewerTable.h"
#include "recordings/ViewerTableModel.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QGraphicsLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace {

constexpr QSize clientSize(564, 335);
constexpr int toolBarHeight = 44;
constexpr int wideGap = 40;          // sets ToolButton7 apart from the other buttons
constexpr double axisRaiseStep = 10; // ToolButton7, temperature units
// The temperature scale while no value above 0 has been shown.
constexpr double emptyTemperatureMaximum = 10;

struct SeriesLook {
    const char *title;
    Qt::GlobalColor colour;
};
constexpr SeriesLook seriesLooks[3] = {{"UMI", Qt::red}, {"SEC", Qt::darkGreen}, {"GLO", Qt::blue}};

enum DataField { NameField = 1, SectorField, CompanyField, RemarksField };

// Column 0 is a fixed (title) column: painted as header sections, so that
// it reads as part of the frame around the records like the title row.
class FixedColumnDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (index.column() != 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionHeader header;
        header.initFrom(option.widget);
        header.rect = option.rect;
        header.text = index.data().toString();
        header.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        header.orientation = Qt::Vertical;
        header.position = QStyleOptionHeader::Middle;
        header.section = index.row();
        header.state |= QStyle::State_Raised;
        const QStyle *style = option.widget ? option.widget->style() : QApplication::style();
        painter->save();
        style->drawControl(QStyle::CE_Header, &header, painter, option.widget);
        painter->restore();
    }
};

QToolButton *toolButton(const char *name, ImageListEntry picture, const char *toolTip, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1StringView(name));
    button->setIcon(imageListIcon(picture));
    button->setIconSize(QSize(imageListSize, imageListSize));
    button->setAutoRaise(true);
    if (toolTip)
        button->setToolTip(QString::fromUtf8(toolTip));
    return button;
}

} // namespace

TForm5::TForm5(QWidget *mainWindow) : QWidget(nullptr)
{
    setObjectName(QStringLiteral("Form5"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Visualizar testes"));
    recordCountTimer.setSingleShot(true);
    connect(&recordCountTimer, &QTimer::timeout, this, [this] { showRecordCount(); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolbar();
    layout->addWidget(ToolBar1);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = buildDataPage();
    TabSheet2 = buildTablePage();
    TabSheet3 = buildChartPage();
    TabSheet4 = new AssessmentPage(*this);
    PageControl1->addTab(TabSheet1, QStringLiteral("Dados"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Testes"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Grafico"));
    PageControl1->addTab(TabSheet4, QStringLiteral("Avaliação"));
    PageControl1->setCurrentWidget(TabSheet2);
    layout->addWidget(PageControl1, 1);

    resize(clientSize);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    lifecycle.open(this, Form5, viewerSlot(), mainWindow);
}

TForm5::~TForm5() = default;

void TForm5::buildToolbar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setFixedHeight(toolBarHeight);
    ToolBar1->setIconSize(QSize(imageListSize, imageListSize));
    ToolBar1->setMovable(false);

    ToolButton2 = toolButton("ToolButton2", ImageListEntry::Save, "Salvar dados", ToolBar1);
    ToolButton1 = toolButton("ToolButton1", ImageListEntry::Print, "Imprimir", ToolBar1);
    ToolButton4 = toolButton("ToolButton4", ImageListEntry::Spreadsheet, "Exportar EXCEL", ToolBar1);
    ToolButton7 = toolButton("ToolButton7", ImageListEntry::RaiseAxis,
                             "Subir 10 graus o topo da escala de temperatura do gráfico (a escala deixa de "
                             "acompanhar os valores)",
                             ToolBar1);

    ToolBar1->addWidget(ToolButton2);
    ToolBar1->addSeparator();
    ToolBar1->addWidget(ToolButton1);
    ToolBar1->addSeparator();
    ToolBar1->addWidget(ToolButton4);
    auto *gap = new QWidget(ToolBar1);
    gap->setFixedWidth(wideGap);
    ToolBar1->addWidget(gap);
    ToolBar1->addWidget(ToolButton7);

    connect(ToolButton2, &QToolButton::clicked, this, [this] { ToolButton2Click(); });
    connect(ToolButton1, &QToolButton::clicked, this, [this] { ToolButton1Click(); });
    connect(ToolButton4, &QToolButton::clicked, this, [this] { ToolButton4Click(); });
    connect(ToolButton7, &QToolButton::clicked, this, [this] { ToolButton7Click(); });

    // The keys users try first, anywhere in the viewer.
    const std::pair<QKeySequence, std::function<void()>> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_S), [this] { ToolButton2Click(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_P), [this] { ToolButton1Click(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_E), [this] { ToolButton4Click(); }},
        {QKeySequence(Qt::Key_Escape), [this] { close(); }},
    };
    for (const auto &[key, run] : keys) {
        auto *shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, run);
    }
}

QWidget *TForm5::buildDataPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    auto edit = [page](const char *name) {
        auto *e = new QLineEdit(page);
        e->setObjectName(QLatin1StringView(name));
        return e;
    };
    Edit1 = edit("Edit1");
    Edit2 = edit("Edit2");
    Edit3 = edit("Edit3");
    Edit4 = edit("Edit4");
    Edit5 = edit("Edit5");
    const int shortWidth = Edit2->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 18;
    Edit2->setFixedWidth(shortWidth);
    Edit5->setFixedWidth(shortWidth / 2);
    // Remarks: one line of text in a tall box.
    Edit4->setFixedHeight(Edit4->sizeHint().height() * 3);
    Edit4->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *grid = new QGridLayout(page);
    auto label = [page](const char *text) { return new QLabel(QString::fromUtf8(text), page); };
    grid->addWidget(label("Nome:"), 0, 0, 1, 3);
    grid->addWidget(Edit1, 1, 0, 1, 3);
    grid->addWidget(label("Setor:"), 2, 0);
    grid->addWidget(label("Registros:"), 2, 1);
    grid->addWidget(Edit2, 3, 0);
    grid->addWidget(Edit5, 3, 1);
    grid->addWidget(label("Empresa:"), 4, 0, 1, 3);
    grid->addWidget(Edit3, 5, 0, 1, 3);
    grid->addWidget(label("Observações:"), 6, 0, 1, 3);
    grid->addWidget(Edit4, 7, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(8, 1);
    return page;
}

QWidget *TForm5::buildTablePage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    model = new ViewerTableModel(this);
    StringGrid1 = new QTableView(page);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setModel(model);
    StringGrid1->setItemDelegate(new FixedColumnDelegate(StringGrid1));
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid1->setWordWrap(false);
    StringGrid1->verticalHeader()->hide();
    // Fixed row heights keep scrolling through a long test cheap: the view
    // never measures rows.
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setDefaultSectionSize(StringGrid1->fontMetrics().height() + 6);
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // Columns as narrow as the titles allow, so that the eight of them fit
    // the window's width.
    int columnWidth = 64;
    for (int c = 0; c < ViewerTable::ColumnCount; ++c)
        columnWidth =
            std::max(columnWidth, StringGrid1->fontMetrics().horizontalAdvance(ViewerTable::columnTitle(c)) + 16);
    StringGrid1->horizontalHeader()->setDefaultSectionSize(columnWidth);
    StringGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(StringGrid1);
    return page;
}

QWidget *TForm5::buildChartPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet3"));
    chart = new QChart;
    chart->setPlotAreaBackgroundVisible(false); // transparent back wall
    chart->setLocalizeNumbers(true);            // axis labels with the decimal comma
    axisX = new QValueAxis;
    axisX->setTitleText(QStringLiteral("Registro"));
    axisY = new QValueAxis;
    axisY->setTitleText(QStringLiteral("Temperatura"));
    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(axisY, Qt::AlignLeft);
    for (size_t i = 0; i < Series.size(); ++i) {
        auto look = [&](QLineSeries *series) {
            series->setName(QLatin1StringView(seriesLooks[i].title));
            series->setPen(QPen(QColor(seriesLooks[i].colour), 1));
            series->setPointsVisible(false);
            series->setPointLabelsVisible(false);
        };
        Series[i] = new QLineSeries(this);
        look(Series[i]);
        auto *drawn = new QLineSeries;
        look(drawn);
        chart->addSeries(drawn);
        drawn->attachAxis(axisX);
        drawn->attachAxis(axisY);
        drawnSeries[i] = drawn;
    }
    applyAxisRanges();

    Chart1 = new QChartView(chart, page);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setRenderHint(QPainter::Antialiasing, false);
    Chart1->installEventFilter(this);
    chartTimer.setSingleShot(true);
    connect(&chartTimer, &QTimer::timeout, this, [this] { flushChart(); });

    PopupMenu1 = new QMenu(this);
    Imprimir1 = PopupMenu1->addAction(QStringLiteral("Imprimir"));
    connect(Imprimir1, &QAction::triggered, this, [this] { Imprimir1Click(); });
    Chart1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Chart1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu1->popup(Chart1->viewport()->mapToGlobal(pos)); });

    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Chart1);
    return page;
}

// ---- ViewerSink ----

void TForm5::setViewerCell(int row, int column, QAnyStringView text)
{
    model->setCell(row, column, text);
}

void TForm5::addChartPoint(int series, double x, double y)
{
    if (series < 0 || series >= int(Series.size()))
        return;
    pendingPoints[size_t(series)].append(QPointF(x, y));
    scheduleChartFlush();
}

void TForm5::setViewerRecordCount(int records)
{
    // Written after every record of a download; laying out and painting the
    // field's text each time would cost more than the record. Shown in the
    // next turn, then at most as often as the table shows new rows.
    pendingRecordCount = records;
    if (recordCountTimer.isActive())
        return;
    const qint64 waited = sinceRecordCount.isValid() ? sinceRecordCount.elapsed() : ViewerTableModel::AnnounceIntervalMs;
    recordCountTimer.start(int(std::max<qint64>(0, ViewerTableModel::AnnounceIntervalMs - waited)));
}

void TForm5::showRecordCount()
{
    recordCountTimer.stop();
    sinceRecordCount.start();
    if (pendingRecordCount >= 0)
        Edit5->setText(QString::number(pendingRecordCount));
    pendingRecordCount = -1;
}

void TForm5::appendViewerCaption(const QString &text)
{
    // A download ends with its caption: the count it ends with is shown now.
    if (recordCountTimer.isActive())
        showRecordCount();
    setWindowTitle(windowTitle() + text);
}

void TForm5::setHeaderField(int field, const QString &text)
{
    QLineEdit *edits[] = {Edit1, Edit2, Edit3, Edit4};
    if (field >= NameField && field <= RemarksField)
        edits[field - NameField]->setText(text);
}

QString TForm5::headerField(int field) const
{
    const QLineEdit *edits[] = {Edit1, Edit2, Edit3, Edit4};
    if (field >= NameField && field <= RemarksField)
        return edits[field - NameField]->text();
    return {};
}

QString TForm5::recordCountText() const
{
    return pendingRecordCount >= 0 ? QString::number(pendingRecordCount) : Edit5->text();
}

const ViewerTable &TForm5::table() const
{
    return model->table();
}

// ---- Chart ----

void TForm5::scheduleChartFlush()
{
    // Hidden: the points wait for the page to be shown (eventFilter).
    if (chartTimer.isActive() || !Chart1->isVisible())
        return;
    // Every hand-over makes the chart recompute all its points (and the
    // outline it uses for hit testing), which grows with the test: the
    // interval grows with the cost of the last one, so that a long test
    // shown while it downloads keeps the chart's share of the processor small.
    const qint64 interval = std::max<qint64>(chartRefreshMs, lastChartFlushMs * chartCostFactor);
    const qint64 waited = sinceChartFlush.isValid() ? sinceChartFlush.elapsed() : interval;
    chartTimer.start(int(std::max<qint64>(0, interval - waited)));
}

bool TForm5::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Chart1 && event->type() == QEvent::Show)
        flushChart();
    return QWidget::eventFilter(watched, event);
}

QList<QPointF> TForm5::seriesPoints(int series)
{
    if (series < 0 || series >= int(Series.size()))
        return {};
    // Merged here rather than handed to the chart, which would recompute
    // its geometry for a reader that does not draw.
    const QList<QPointF> &pending = pendingPoints[size_t(series)];
    QList<QPointF> points = Series[size_t(series)]->points();
    if (pending.isEmpty())
        return points;
    mergeSorted(points, pending);
    return points;
}

void TForm5::flushPending()
{
    model->flush();
    showRecordCount();
    flushChart();
}

void TForm5::mergeSorted(QList<QPointF> &all, const QList<QPointF> &points)
{
    auto byX = [](const QPointF &a, const QPointF &b) { return a.x() < b.x(); };
    const bool inOrder = std::is_sorted(points.cbegin(), points.cend(), byX) &&
                         (all.isEmpty() || points.isEmpty() || all.constLast().x() <= points.constFirst().x());
    all.append(points);
    if (!inOrder) {
        // Points out of order (a file numbering its records freely): the
        // series keeps ascending x, equal x in the order they came.
        std::stable_sort(all.begin(), all.end(), byX);
    }
}

void TForm5::flushChart()
{
    chartTimer.stop();
    QElapsedTimer cost;
    cost.start();
    bool added = false;
    for (const QList<QPointF> &points : pendingPoints)
        for (const QPointF &p : points) {
            minX = anyPoint ? std::min(minX, p.x()) : p.x();
            maxX = anyPoint ? std::max(maxX, p.x()) : p.x();
            maxY = anyPoint ? std::max(maxY, p.y()) : p.y();
            anyPoint = added = true;
        }
    if (!added)
        return;
    // The axes first: a change of range makes the chart recompute every point
    // it holds, which are still the old ones (none, for a test just read).
    applyAxisRanges();
    for (size_t i = 0; i < Series.size(); ++i) {
        QList<QPointF> points = std::move(pendingPoints[i]);
        pendingPoints[i] = {};
        if (points.isEmpty())
            continue;
        // One replace per series: append() of a list adds the points one by
        // one, and the chart recomputes all its points after each of them.
        QLineSeries *series = Series[i];
        QList<QPointF> all = series->points();
        mergeSorted(all, points);
        drawnSeries[i]->replace(chartEnvelope(all, chartEnvelopeRuns));
        series->replace(all);
    }
    lastChartFlushMs = cost.elapsed();
    sinceChartFlush.start();
}

namespace {

// Sets the range of an axis with labels at multiples of a round step (1, 2
// or 5 times a power of ten) giving about five intervals over it. The axis
// lays out its labels at every change of range or step, so the step is
// changed first when it grows and last when it shrinks: never a large range
// with a small step in between, which would create a label item per step.
void setAxisRange(QValueAxis *axis, double min, double max)
{
    // A range change makes the chart recompute every point of every series.
    if (axis->min() == min && axis->max() == max && axis->tickType() == QValueAxis::TicksDynamic)
        return;
    const double raw = (max - min) / 5;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double fraction = raw / power;
    const double step = (fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10) * power;
    const int decimals = step >= 1 ? 0 : int(std::ceil(-std::log10(step)));
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
    if (step >= axis->tickInterval()) {
        axis->setTickInterval(step);
        axis->setRange(min, max);
    } else {
        axis->setRange(min, max);
        axis->setTickInterval(step);
    }
}

} // namespace

void TForm5::applyAxisRanges()
{
    if (anyPoint)
        setAxisRange(axisX, minX, maxX > minX ? maxX : minX + 1);
    else
        setAxisRange(axisX, 0, 1);
    if (!axisFixed)
        setAxisRange(axisY, 0, anyPoint && maxY > 0 ? maxY : emptyTemperatureMaximum);
}

double TForm5::temperatureAxisMaximum()
{
    flushChart();
    return axisY->max();
}

void TForm5::ToolButton7Click()
{
    const double inEffect = temperatureAxisMaximum();
    axisFixed = true;
    setAxisRange(axisY, 0, inEffect + axisRaiseStep);
}

void TForm5::printChart(QPrinter &printer)
{
    flushChart();
    // The chart follows its view's size only while the view is shown. For a
    // chart page that is not open, lay the chart out at the size of the page
    // area (every page has the same), as it would be shown.
    const QSize shownSize = Chart1->isVisible() ? Chart1->size() : PageControl1->currentWidget()->size();
    if (chart->size() != QSizeF(shownSize)) {
        chart->resize(shownSize);
        if (QGraphicsLayout *chartLayout = chart->layout())
            chartLayout->activate();
    }
    QPainter painter;
    if (!painter.begin(&printer))
        throw std::runtime_error("Não foi possível iniciar a impressão do gráfico.");
    const QRectF page(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
    chart->scene()->render(&painter, page, chart->geometry(), Qt::KeepAspectRatio);
    if (!painter.end())
        throw std::runtime_error("Não foi possível concluir a impressão do gráfico.");
}

void TForm5::Imprimir1Click()
{
    try {
        QPrinter printer(QPrinter::HighResolution);
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        printChart(printer);
    } catch (const std::exception &e) {
        showErrorReport(QString::fromUtf8(e.what()));
    }
}

// ---- Toolbar ----

void TForm5::refuseWithoutRecords(const std::function<void()> &hook)
{
    // What this viewer shows decides, not viewerRecordCount: an earlier
    // viewer's download leaves that above 0 for an empty viewer opened later.
    if (!holdsRecords()) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Aviso"), QStringLiteral("Não existe testes"),
                        QMessageBox::Ok, this);
        box.exec();
        return;
    }
    if (!hook)
        return;
    try {
        hook();
    } catch (const std::exception &e) {
        showErrorReport(QString::fromUtf8(e.what()));
    }
}

bool TForm5::holdsRecords() const
{
    const ViewerTable &records = table();
    for (int r = 1; r < records.rowCount(); ++r)
        if (const ViewerTable::Row *cells = records.row(r); cells && !cells->isBlank())
            return true;
    return false;
}

void TForm5::ToolButton2Click()
{
    refuseWithoutRecords(onSave);
}

void TForm5::ToolButton4Click()
{
    refuseWithoutRecords(onExport);
}

void TForm5::ToolButton1Click()
{
    if (!onPrintReport)
        return;
    try {
        onPrintReport();
    } catch (const std::exception &e) {
        showErrorReport(QString::fromUtf8(e.what()));
    }
}

// ---- Lifecycle ----

void TForm5::closeEvent(QCloseEvent *event)
{
    // viewerRecordCount stays for the next viewer's save and export check.
    if (onClosed)
        onClosed();
    lifecycle.close();
    event->accept();
}
