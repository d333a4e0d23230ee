// The test viewer: the table's growth rule and its batched announcements, the
// chart's axis and point order, the toolbar's checks and hooks, opening and
// closing against a stand-in main window, the slot, and the printed chart.
#include "core/SharedState.h"
#include "forms/Forms.h"
#include "forms/ImageList1.h"
#include "forms/Visualizar.h"
#include "recordings/ViewerTable.h"
#include "recordings/ViewerTableModel.h"
#include "support/ModalCatcher.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QLineSeries>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <stdexcept>

namespace {

struct Write {
    int row;
    int column;
    const char *text;
};

// A viewer on the heap (it deletes itself on close), shown, with a stand-in
// main window.
struct OpenViewer {
    QWidget mainWindow;
    QPointer<TForm5> viewer;
    OpenViewer()
    {
        mainWindow.show();
        viewer = new TForm5(&mainWindow);
        viewer->show();
    }
    ~OpenViewer() { delete viewer.data(); }
};

QString pdfText(const QString &file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

Q_DECLARE_METATYPE(Write)

class ViewerTest : public QObject {
    Q_OBJECT
private slots:
    void init();

    void growthRule_data();
    void growthRule();
    void keptTextAppearsWhenTheTableGrowsThatFar();
    void rowInsertionsAreAnnouncedOncePerTurn();
    void changesToShownRowsAreAnnouncedOncePerTurn();
    void titlesAndFixedColumn();

    void opensEmpty();
    void captionAndFields();
    void temperatureAxisFollowsThenIsRaisedByTen();
    void pointsStaySortedByX();
    void chartTakesPointsInBulk();

    void toolbarRefusesWithoutRecords_data();
    void toolbarRefusesWithoutRecords();
    void keysPressTheToolbar_data();
    void keysPressTheToolbar();
    void reportOpensWithoutCheck();
    void hookErrorGoesToTheErrorReport();
    void toolbarIcons();

    void closingEndsTheSequenceAndEnablesTheMainWindow();
    void slotReachesTheOpenViewerOnly();

    void chartPrintsToPdf();
    void chartPrintFailureThrows();
};

void ViewerTest::init()
{
    shared() = SharedState();
}

void ViewerTest::growthRule_data()
{
    QTest::addColumn<QList<Write>>("writes");
    QTest::addColumn<int>("tableRows");
    QTest::addColumn<int>("checkRow");
    QTest::addColumn<int>("checkColumn");
    QTest::addColumn<QString>("checkText");

    QTest::newRow("row 1 of a new table adds no row") << QList<Write>{{1, 0, "1"}} << 2 << 1 << 0 << "1";
    QTest::newRow("row 2 adds one row") << QList<Write>{{1, 0, "1"}, {2, 0, "2"}} << 3 << 2 << 0 << "2";
    QTest::newRow("row 9 of a table of 3 rows adds only one and keeps the text")
        << QList<Write>{{2, 0, "2"}, {9, 3, "24,7"}} << 4 << 9 << 3 << "24,7";
    QTest::newRow("every cell of a record grows the table once")
        << QList<Write>{{2, 0, "a"}, {2, 1, "b"}, {2, 7, "c"}} << 3 << 2 << 7 << "c";
    QTest::newRow("a column beyond the eighth is ignored") << QList<Write>{{2, 8, "x"}} << 2 << 2 << 8 << "";
    QTest::newRow("a negative row is ignored") << QList<Write>{{-1, 0, "x"}} << 2 << 1 << 0 << "";
    QTest::newRow("row 0 rewrites a title") << QList<Write>{{0, 2, "UMIDO"}} << 2 << 0 << 2 << "UMIDO";
}

void ViewerTest::growthRule()
{
    QFETCH(QList<Write>, writes);
    QFETCH(int, tableRows);
    QFETCH(int, checkRow);
    QFETCH(int, checkColumn);
    QFETCH(QString, checkText);

    TForm5 viewer;
    for (const Write &w : writes)
        viewer.setViewerCell(w.row, w.column, QLatin1StringView(w.text));
    viewer.flushPending();
    QCOMPARE(viewer.table().rowCount(), tableRows);
    QCOMPARE(viewer.StringGrid1->model()->rowCount(), tableRows - 1);
    QCOMPARE(viewer.table().cell(checkRow, checkColumn), checkText);
}

void ViewerTest::keptTextAppearsWhenTheTableGrowsThatFar()
{
    ViewerTableModel model;
    model.setCell(2, 0, u"2");
    model.setCell(9, 2, u"31,5");
    model.flush();
    QCOMPARE(model.rowCount(), 3); // table rows 1..3
    for (int row = 4; row <= 8; ++row)
        model.setCell(row, 0, QString::number(row));
    model.flush();
    QCOMPARE(model.rowCount(), 8); // table row 9 is not shown yet
    model.setCell(10, 0, u"10");
    model.flush();
    QCOMPARE(model.rowCount(), 9);
    QCOMPARE(model.index(8, 2).data().toString(), QStringLiteral("31,5"));
    QCOMPARE(model.index(8, 0).data().toString(), QString());
}

void ViewerTest::rowInsertionsAreAnnouncedOncePerTurn()
{
    TForm5 viewer;
    QAbstractItemModel *model = viewer.StringGrid1->model();
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    for (int record = 0; record < 1000; ++record)
        for (int column = 0; column < ViewerTable::ColumnCount; ++column)
            viewer.setViewerCell(record + 1, column, QString::number(record));
    QCOMPARE(model->rowCount(), 1); // nothing announced within the turn
    QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(), 1000, 5000);
    QVERIFY2(inserted.count() <= 2, qPrintable(QString::number(inserted.count())));
    QCOMPARE(model->index(999, 0).data().toString(), QStringLiteral("999"));
    QCOMPARE(model->index(0, 7).data().toString(), QStringLiteral("0"));
}

void ViewerTest::changesToShownRowsAreAnnouncedOncePerTurn()
{
    ViewerTableModel model;
    for (int row = 1; row <= 50; ++row)
        model.setCell(row, 0, u"x");
    model.flush();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (int row = 3; row <= 40; ++row)
        model.setCell(row, 4, u"y");
    QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 1, 5000);
    QCOMPARE(changed.at(0).at(0).value<QModelIndex>().row(), 2);
    QCOMPARE(changed.at(0).at(1).value<QModelIndex>().row(), 39);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(model.index(39, 4).data().toString(), QStringLiteral("y"));
}

void ViewerTest::titlesAndFixedColumn()
{
    ViewerTableModel model;
    const QStringList titles{"Registro", "Hora", "UMI", "SEC", "GLO", "IBUTGi", "IBUTGe", "Data"};
    QCOMPARE(model.columnCount(), titles.size());
    for (int c = 0; c < titles.size(); ++c)
        QCOMPARE(model.headerData(c, Qt::Horizontal).toString(), titles[c]);
    // Fixed column: neither selectable nor editable; the rest selectable only.
    QCOMPARE(model.flags(model.index(0, 0)), Qt::ItemIsEnabled);
    QCOMPARE(model.flags(model.index(0, 3)), Qt::ItemIsEnabled | Qt::ItemIsSelectable);
}

void ViewerTest::opensEmpty()
{
    OpenViewer open;
    TForm5 *viewer = open.viewer;
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Visualizar testes"));
    QCOMPARE(viewer->size(), QSize(564, 335));
    QCOMPARE(viewer->PageControl1->currentWidget(), viewer->TabSheet2);
    QCOMPARE(viewer->PageControl1->tabText(0), QStringLiteral("Dados"));
    QCOMPARE(viewer->PageControl1->tabText(2), QStringLiteral("Grafico"));
    QVERIFY(!(viewer->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(viewer->windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(viewer->ToolBar1->height(), 44);
    QCOMPARE(viewer->table().rowCount(), 2);
    QCOMPARE(viewer->StringGrid1->model()->rowCount(), 1);
    for (QLineEdit *e : {viewer->Edit1, viewer->Edit2, viewer->Edit3, viewer->Edit4, viewer->Edit5})
        QVERIFY(e->text().isEmpty());
    for (QLineSeries *s : viewer->Series)
        QCOMPARE(s->count(), 0);
    QCOMPARE(viewer->Series[0]->name(), QStringLiteral("UMI"));
    QCOMPARE(viewer->Series[1]->name(), QStringLiteral("SEC"));
    QCOMPARE(viewer->Series[2]->name(), QStringLiteral("GLO"));
    QVERIFY(!open.mainWindow.isEnabled());
    QCOMPARE(Form5.data(), viewer);
}

void ViewerTest::captionAndFields()
{
    TForm5 viewer;
    viewer.appendViewerCaption(QStringLiteral(" - 25 Registros"));
    QCOMPARE(viewer.windowTitle(), QStringLiteral("Visualizar testes - 25 Registros"));
    viewer.setViewerRecordCount(24);
    viewer.setViewerRecordCount(25);
    QCOMPARE(viewer.recordCountText(), QStringLiteral("25"));
    QTRY_COMPARE_WITH_TIMEOUT(viewer.Edit5->text(), QStringLiteral("25"), 5000);
    // The operator may type over it; that is what the readers get.
    viewer.Edit5->setText(QStringLiteral("26"));
    QCOMPARE(viewer.recordCountText(), QStringLiteral("26"));
    const QStringList texts{"Ana", "Fundição", "Tavenor", "Forno 2"};
    for (int field = 1; field <= 4; ++field)
        viewer.setHeaderField(field, texts[field - 1]);
    viewer.setHeaderField(5, QStringLiteral("ignored"));
    viewer.setHeaderField(0, QStringLiteral("ignored"));
    QCOMPARE(viewer.Edit1->text(), texts[0]);
    QCOMPARE(viewer.Edit4->text(), texts[3]);
    // The operator's typing is what the readers get.
    viewer.Edit2->setText(QStringLiteral("Caldeiraria"));
    QCOMPARE(viewer.headerField(2), QStringLiteral("Caldeiraria"));
    QCOMPARE(viewer.headerField(3), texts[2]);
    QCOMPARE(viewer.headerField(5), QString());
}

void ViewerTest::temperatureAxisFollowsThenIsRaisedByTen()
{
    TForm5 viewer;
    viewer.addChartPoint(0, 0, 20.5);
    viewer.addChartPoint(1, 0, 35);
    viewer.addChartPoint(2, 0, 30);
    QCOMPARE(viewer.seriesPoints(1), QList<QPointF>{QPointF(0, 35)});
    QCOMPARE(viewer.temperatureAxisMaximum(), 35.0);
    QVERIFY(!viewer.temperatureAxisFixed());
    QTest::mouseClick(viewer.ToolButton7, Qt::LeftButton);
    QCOMPARE(viewer.temperatureAxisMaximum(), 45.0);
    QTest::mouseClick(viewer.ToolButton7, Qt::LeftButton);
    QCOMPARE(viewer.temperatureAxisMaximum(), 55.0);
    QVERIFY(viewer.temperatureAxisFixed());
    // Fixed from now on: a larger value no longer moves it.
    viewer.addChartPoint(2, 1, 80);
    QCOMPARE(viewer.temperatureAxisMaximum(), 55.0);
}

void ViewerTest::pointsStaySortedByX()
{
    TForm5 viewer;
    viewer.addChartPoint(0, 1, 10);
    viewer.addChartPoint(0, 2, 11);
    viewer.flushPending();
    viewer.addChartPoint(0, 5, 15);
    viewer.addChartPoint(0, 3, 13); // out of order within a turn
    viewer.flushPending();
    viewer.addChartPoint(0, 0, 9); // before the points already shown
    viewer.addChartPoint(9, 0, 1); // no such series
    viewer.addChartPoint(-1, 0, 1);
    viewer.flushPending();
    QList<double> xs;
    for (const QPointF &p : viewer.Series[0]->points())
        xs << p.x();
    QCOMPARE(xs, (QList<double>{0, 1, 2, 3, 5}));
    QCOMPARE(viewer.Series[0]->at(3).y(), 13.0);
    QCOMPARE(viewer.Series[1]->count(), 0);
}

void ViewerTest::chartTakesPointsInBulk()
{
    OpenViewer open; // "Testes" shown, the chart page hidden
    TForm5 *viewer = open.viewer;
    QSignalSpy added(viewer->Series[0], &QXYSeries::pointAdded);
    QSignalSpy replaced(viewer->Series[0], &QXYSeries::pointsReplaced);
    for (int r = 0; r < 300; ++r) {
        viewer->addChartPoint(0, r, 20);
        if (r % 100 == 99)
            QCoreApplication::processEvents();
    }
    // Nothing reaches a chart that is not shown...
    QCOMPARE(viewer->Series[0]->count(), 0);
    // ...until its page is.
    viewer->PageControl1->setCurrentWidget(viewer->TabSheet3);
    QCOMPARE(viewer->Series[0]->count(), 300);
    QCOMPARE(added.count() + replaced.count(), 1);

    // Shown: the points go in a few at a time, not one by one.
    for (int r = 300; r < 3300; ++r) {
        viewer->addChartPoint(0, r, 21);
        if (r % 100 == 99)
            QCoreApplication::processEvents();
    }
    QTRY_COMPARE_WITH_TIMEOUT(viewer->Series[0]->count(), 3300, 5000);
    QVERIFY2(added.count() + replaced.count() <= 6, qPrintable(QString::number(added.count() + replaced.count())));
    QCOMPARE(viewer->Series[0]->at(3299), QPointF(3299, 21));
}

void ViewerTest::toolbarRefusesWithoutRecords_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("records"); // viewerRecordCount
    QTest::addColumn<int>("shown");   // records in this viewer's table
    QTest::addColumn<bool>("refused");
    QTest::newRow("save before any test was shown") << "ToolButton2" << 0 << 0 << true;
    QTest::newRow("export before any test was shown") << "ToolButton4" << 0 << 0 << true;
    QTest::newRow("save after a test of 25 records") << "ToolButton2" << 25 << 25 << false;
    QTest::newRow("export after a test of 25 records") << "ToolButton4" << 25 << 25 << false;
    QTest::newRow("save on an empty viewer after an earlier test") << "ToolButton2" << 25 << 0 << true;
    QTest::newRow("export on an empty viewer after an earlier test") << "ToolButton4" << 25 << 0 << true;
    QTest::newRow("a file read in: viewerRecordCount is not asked") << "ToolButton2" << 0 << 3 << false;
}

void ViewerTest::toolbarRefusesWithoutRecords()
{
    QFETCH(QString, button);
    QFETCH(int, records);
    QFETCH(int, shown);
    QFETCH(bool, refused);
    shared().viewerRecordCount = records;
    TForm5 viewer;
    for (int r = 1; r <= shown; ++r)
        viewer.setViewerCell(r, 1, QStringLiteral("08:00:00"));
    int saves = 0, exports = 0;
    viewer.onSave = [&] { ++saves; };
    viewer.onExport = [&] { ++exports; };
    ModalCatcher catcher;
    QTest::mouseClick(viewer.findChild<QToolButton *>(button), Qt::LeftButton);
    if (refused) {
        QCOMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes[0].caption, QStringLiteral("Aviso"));
        QCOMPARE(catcher.boxes[0].text, QStringLiteral("Não existe testes"));
        QCOMPARE(saves + exports, 0);
    } else {
        QCOMPARE(catcher.boxes.size(), 0);
        QCOMPARE(saves, button == "ToolButton2" ? 1 : 0);
        QCOMPARE(exports, button == "ToolButton4" ? 1 : 0);
    }
    QCOMPARE(shared().viewerRecordCount, records);
}

// The keys users try first press the toolbar's buttons; Esc closes.
void ViewerTest::keysPressTheToolbar_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("pressed");
    QTest::newRow("Ctrl+S saves") << "Ctrl+S"
                                  << "save";
    QTest::newRow("Ctrl+P prints the report") << "Ctrl+P"
                                              << "report";
    QTest::newRow("Ctrl+E exports") << "Ctrl+E"
                                    << "export";
    QTest::newRow("Esc closes the viewer") << "Esc"
                                           << "close";
}

void ViewerTest::keysPressTheToolbar()
{
    QFETCH(QString, key);
    QFETCH(QString, pressed);
    OpenViewer open;
    open.viewer->setViewerCell(1, 1, QStringLiteral("08:00:00"));
    QStringList hooks;
    open.viewer->onSave = [&] { hooks << "save"; };
    open.viewer->onPrintReport = [&] { hooks << "report"; };
    open.viewer->onExport = [&] { hooks << "export"; };
    open.viewer->show();
    QApplication::setActiveWindow(open.viewer);
    QVERIFY(QTest::qWaitForWindowActive(open.viewer));
    QTest::keySequence(open.viewer, QKeySequence(key));
    if (pressed == "close") {
        QVERIFY(hooks.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(open.viewer.isNull(), 5000);
        QVERIFY(open.mainWindow.isEnabled());
    } else {
        QCOMPARE(hooks, QStringList{pressed});
    }
}

void ViewerTest::reportOpensWithoutCheck()
{
    TForm5 viewer; // viewerRecordCount is 0
    int reports = 0;
    viewer.onPrintReport = [&] { ++reports; };
    QTest::mouseClick(viewer.ToolButton1, Qt::LeftButton);
    QTest::mouseClick(viewer.ToolButton1, Qt::LeftButton);
    QCOMPARE(reports, 2);
    // Unset hooks: the buttons do nothing.
    viewer.onPrintReport = nullptr;
    shared().viewerRecordCount = 3;
    viewer.setViewerCell(1, 1, QStringLiteral("08:00:00"));
    QTest::mouseClick(viewer.ToolButton1, Qt::LeftButton);
    QTest::mouseClick(viewer.ToolButton2, Qt::LeftButton);
}

void ViewerTest::hookErrorGoesToTheErrorReport()
{
    shared().viewerRecordCount = 1;
    TForm5 viewer;
    viewer.setViewerCell(1, 1, QStringLiteral("08:00:00"));
    viewer.onSave = [] { throw std::runtime_error("Disco cheio"); };
    ModalCatcher catcher;
    QTest::mouseClick(viewer.ToolButton2, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes.size(), 1, 5000);
    QCOMPARE(catcher.boxes[0].text, QStringLiteral("Disco cheio"));
    QCOMPARE(catcher.boxes[0].icon, int(QMessageBox::Critical));
}

void ViewerTest::toolbarIcons()
{
    TForm5 viewer;
    const struct {
        QToolButton *button;
        int entry;
        const char *toolTip;
    } buttons[] = {{viewer.ToolButton2, 3, "Salvar dados"},
                   {viewer.ToolButton1, 12, "Imprimir"},
                   {viewer.ToolButton4, 6, "Exportar EXCEL"},
                   {viewer.ToolButton7, 1,
                    "Subir 10 graus o topo da escala de temperatura do gráfico (a escala deixa de acompanhar os "
                    "valores)"}};
    for (const auto &b : buttons) {
        QCOMPARE(b.button->toolTip(), QString::fromUtf8(b.toolTip));
        QCOMPARE(b.button->icon().cacheKey() != 0, true);
        QVERIFY(b.button->text().isEmpty() || b.button->toolButtonStyle() == Qt::ToolButtonIconOnly);
    }
    // Every entry draws something: an empty picture means the SVG icon
    // engine or a resource is missing.
    for (int entry = 0; entry < imageListCount; ++entry) {
        QImage image = imageListIcon(entry).pixmap(imageListSize, imageListSize).toImage();
        QVERIFY2(!image.isNull(), qPrintable(QString::number(entry)));
        int painted = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                painted += qAlpha(image.pixel(x, y)) > 0;
        QVERIFY2(painted > 50, qPrintable(QString::number(entry)));
    }
    QVERIFY(imageListIcon(imageListCount).isNull());
    QVERIFY(imageListIcon(-1).isNull());
}

void ViewerTest::closingEndsTheSequenceAndEnablesTheMainWindow()
{
    shared().viewerRecordCount = 7;
    OpenViewer open;
    QVERIFY(!open.mainWindow.isEnabled());
    int closings = 0;
    open.viewer->onClosed = [&closings] { ++closings; };
    QVERIFY(open.viewer->close());
    QCOMPARE(closings, 1);
    QVERIFY(open.mainWindow.isEnabled());
    QCOMPARE(shared().viewerRecordCount, 7);
    QTRY_VERIFY_WITH_TIMEOUT(open.viewer.isNull(), 5000);
    QVERIFY(Form5.isNull());
}

void ViewerTest::slotReachesTheOpenViewerOnly()
{
    OpenViewer open;
    QVERIFY(viewerSlot().isOpen());
    viewerSlot().get().setViewerCell(2, 1, u"10:00:00");
    QCOMPARE(open.viewer->table().cell(2, 1), QStringLiteral("10:00:00"));

    open.viewer->close();
    QTRY_VERIFY_WITH_TIMEOUT(open.viewer.isNull(), 5000);
    QVERIFY(!viewerSlot().isOpen());
    ViewerSink &sink = viewerSlot().get();
    QVERIFY(dynamic_cast<NullViewerSink *>(&sink));
    sink.setViewerCell(3, 0, u"3"); // skipped, no crash
    sink.addChartPoint(0, 1, 2);

    // A viewer destroyed while an older one is still being deleted: the newer
    // stays attached.
    auto *first = new TForm5;
    auto *second = new TForm5;
    delete first;
    QVERIFY(viewerSlot().isOpen());
    QCOMPARE(&viewerSlot().get(), static_cast<ViewerSink *>(second));
    delete second;
}

void ViewerTest::chartPrintsToPdf()
{
    OpenViewer open;
    TForm5 *viewer = open.viewer;
    for (int r = 0; r < 50; ++r) {
        viewer->addChartPoint(0, r, 20 + r % 7);
        viewer->addChartPoint(1, r, 25 + r % 5);
        viewer->addChartPoint(2, r, 30 + r % 3);
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("grafico.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    viewer->printChart(printer); // the chart page was never shown
    const QString text = pdfText(file);
    for (const char *word : {"UMI", "SEC", "GLO", "Registro", "Temperatura"})
        QVERIFY2(text.contains(QLatin1StringView(word)), qPrintable(QStringLiteral("%1 in: %2").arg(word, text)));
    QCOMPARE(text.count(QLatin1Char('\f')), 1); // one page
}

void ViewerTest::chartPrintFailureThrows()
{
    TForm5 viewer;
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QStringLiteral("/nonexistent-folder/grafico.pdf"));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, viewer.printChart(printer));
}

QTEST_MAIN(ViewerTest)
#include "test_viewer.moc"
