#pragma once
// The test viewer TForm5: four descriptive fields and the record count on the
// page "Dados", the test's table on "Testes" (shown at opening) and its chart
// on "Grafico". The fillers (reply parser, scheduler, test-file reader) reach
// it only as a ViewerSink through viewerSlot(), to which it attaches itself
// while it exists; the saving, report and export code read it through the
// accessors below.
//
// Creation disables the main window it is given; closing enables it again,
// runs onClosed (the main window ends the download into this viewer there)
// and destroys the window. viewerRecordCount is left as it is.
//
// A download writes eight cells and three chart points per record, many
// records per event-loop turn: the table announces new rows at most every
// ViewerTableModel::AnnounceIntervalMs, and its rows have one fixed height,
// so the view neither measures nor repaints once per turn. The chart takes
// its points in bulk: every change of a series makes the chart recompute the
// geometry of all its points, so points are buffered while the chart page is
// not shown and handed over when it is, and while it is shown they go in at
// most every chartRefreshMs, or less often when a hand-over costs more than
// a tenth of that (chartCostFactor). A long test is thus neither redrawn
// once per point nor once per turn.
//
// The toolbar's save, report and export go through the hooks onSave,
// onPrintReport and onExport; while a hook is unset its button does nothing
// (after the "Não existe testes" check for save and export, which asks
// whether this viewer's table holds a record). Ctrl+S, Ctrl+P and Ctrl+E
// press "Salvar dados", "Imprimir" and "Exportar EXCEL"; Esc closes the viewer. The program
// opens its viewers through openViewer (forms/ViewerActions.h), which plugs
// in the real actions; an error a hook throws goes to the default error
// report.

#include "core/ViewerSink.h"
#include "forms/DialogLifecycle.h"

#include <QElapsedTimer>
#include <QList>
#include <QPointF>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>

class QAction;
class QChart;
class QChartView;
class QLineEdit;
class QLineSeries;
class QMenu;
class QPrinter;
class QTabWidget;
class QTableView;
class QToolBar;
class QToolButton;
class QValueAxis;
class AssessmentPage;
class ViewerTable;
class ViewerTableModel;

class TForm5 : public QWidget, public ViewerSink {
    Q_OBJECT
public:
    // mainWindow is disabled while the viewer exists (the main window passes
    // itself; null in a program without one). The viewer is a window of its
    // own, never a child of the main window, which would disable it too.
    // It stores itself in Form5 and attaches itself to viewerSlot().
    explicit TForm5(QWidget *mainWindow = nullptr);
    ~TForm5() override;

    // ViewerSink
    void setViewerCell(int row, int column, QAnyStringView text) override;
    void addChartPoint(int series, double x, double y) override;
    void setViewerRecordCount(int records) override;
    void appendViewerCaption(const QString &text) override;
    void setHeaderField(int field, const QString &text) override;

    // What the save, the report and the export read.
    // Edit1..Edit4 ("Nome", "Setor", "Empresa", "Observações") for field 1..4;
    // empty for any other field.
    QString headerField(int field) const;
    QString recordCountText() const; // Edit5
    const ViewerTable &table() const;

    // Plugged in by the file, report and export code.
    std::function<void()> onSave;        // ToolButton2, when holdsRecords()
    std::function<void()> onPrintReport; // ToolButton1, always
    std::function<void()> onExport;      // ToolButton4, when holdsRecords()
    std::function<void()> onClosed;      // when the window closes

    // A row of the table below the titles holds text.
    bool holdsRecords() const;

    // Toolbar and chart menu handlers.
    void ToolButton2Click();
    void ToolButton1Click();
    void ToolButton4Click();
    void ToolButton7Click(); // temperature axis: fixed at the maximum in effect + 10
    void Imprimir1Click();   // print dialog, then printChart; errors to the error report

    // The chart alone on one page of printer, scaled into the printable area
    // with its proportions kept. Throws std::runtime_error when the printer
    // cannot be painted on.
    void printChart(QPrinter &printer);

    // The temperature axis: the maximum in effect (following the largest
    // value until ToolButton7 fixes it), and whether it is fixed.
    double temperatureAxisMaximum();
    bool temperatureAxisFixed() const { return axisFixed; }

    // Announces the table rows and hands the buffered points to the chart,
    // at once.
    void flushPending();
    // The points of series 0..2 ("UMI", "SEC", "GLO"), sorted by x, the
    // buffered ones included. Readers use this, not Series[i]->points().
    QList<QPointF> seriesPoints(int series);

    static constexpr int chartRefreshMs = 250;
    // The chart's hand-overs take at most about 1/chartCostFactor of the time.
    static constexpr int chartCostFactor = 10;
    // Runs of points a drawn series is reduced to (a plot is narrower).
    static constexpr int chartEnvelopeRuns = 2000;

    // Controls
    QToolBar *ToolBar1 = nullptr;
    QToolButton *ToolButton2 = nullptr;
    QToolButton *ToolButton1 = nullptr;
    QToolButton *ToolButton4 = nullptr;
    QToolButton *ToolButton7 = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr;        // "Dados"
    QWidget *TabSheet2 = nullptr;        // "Testes"
    QWidget *TabSheet3 = nullptr;        // "Grafico"
    AssessmentPage *TabSheet4 = nullptr; // "Avaliação": heat-stress assessment (forms/AssessmentPage.h)
    QLineEdit *Edit1 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QLineEdit *Edit3 = nullptr;
    QLineEdit *Edit4 = nullptr;
    QLineEdit *Edit5 = nullptr;
    QTableView *StringGrid1 = nullptr;
    QChartView *Chart1 = nullptr;
    // Series1 "UMI", Series2 "SEC", Series3 "GLO": every point. The chart
    // draws their envelopes (recordings/ChartEnvelope.h), not these.
    std::array<QLineSeries *, 3> Series{};
    QMenu *PopupMenu1 = nullptr;
    QAction *Imprimir1 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildToolbar();
    QWidget *buildDataPage();
    QWidget *buildTablePage();
    QWidget *buildChartPage();
    void scheduleChartFlush();
    void flushChart();
    // Appends points to all, which is sorted by x, keeping it sorted.
    static void mergeSorted(QList<QPointF> &all, const QList<QPointF> &points);
    std::array<QLineSeries *, 3> drawnSeries{}; // what the chart shows of Series
    void applyAxisRanges();
    void showRecordCount();
    void refuseWithoutRecords(const std::function<void()> &hook);

    DialogLifecycle lifecycle;
    ViewerTableModel *model = nullptr;
    QChart *chart = nullptr;
    QValueAxis *axisX = nullptr;
    QValueAxis *axisY = nullptr;

    // Points added since the last chart flush, per series.
    std::array<QList<QPointF>, 3> pendingPoints;
    QTimer chartTimer; // the next hand-over while the chart is shown
    QElapsedTimer sinceChartFlush;
    qint64 lastChartFlushMs = 0; // what the last hand-over cost
    // Bounds of all points given to the series so far.
    bool anyPoint = false;
    double minX = 0, maxX = 0, maxY = 0;
    bool axisFixed = false;
    int pendingRecordCount = -1; // Edit5's next text
    QTimer recordCountTimer;      // its next showing, in the table's rhythm
    QElapsedTimer sinceRecordCount;
};
