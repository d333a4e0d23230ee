#include "forms/Avaliacao.h"

#include "assessment/AssessmentChoices.h"
#include "core/NumberText.h"
#include "core/SharedState.h"
#include "forms/AssessmentPrint.h"
#include "forms/DecimalField.h"
#include "forms/ErrorReport.h"
#include "forms/Visualizar.h"
#include "recordings/ViewerTable.h"

#include <QAbstractItemModel>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFormLayout>
#include <QGraphicsLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

enum Column { Umi = 2, Glo = 4 };

constexpr int otherRateItem = 5; // ComboClasse: after the classes 0–4
constexpr MetabolicClass defaultClass = MetabolicClass::Moderate;
// Plausible bounds of what the operator types.
constexpr double minRateW = 50;
constexpr double maxRateW = 1000;
constexpr double maxClothingIncrement = 12; // °C

QValueAxis *valueAxis(QChart *chart, Qt::Orientation orientation)
{
    const auto axes = chart->axes(orientation);
    for (QAbstractAxis *a : axes)
        if (auto *v = qobject_cast<QValueAxis *>(a))
            return v;
    return nullptr;
}

QLabel *resultLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1StringView(name));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

std::optional<double> chartRowOffset(const ViewerTable &table, std::optional<double> smallestX)
{
    if (!smallestX)
        return std::nullopt;
    for (int row = 1; row < table.rowCount(); ++row) {
        const ViewerTable::Row *cells = table.row(row);
        if (!cells)
            continue;
        for (int column = Umi; column <= Glo; ++column) {
            const auto value = textToNumber((*cells)[column]);
            if (value && std::isfinite(double(*value)))
                return row - *smallestX;
        }
    }
    return std::nullopt;
}

TAvaliacaoPage::TAvaliacaoPage(TForm5 &viewer, QWidget *parent) : QWidget(parent), viewer(viewer)
{
    setObjectName(QStringLiteral("TabSheet4"));
    buildControls();

    askPrinter = [this](QPrinter &printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };

    // The worst hour on the viewer's chart: a translucent band, no legend entry.
    QChart *chart = viewer.Chart1->chart();
    shading = new QAreaSeries;
    shadingTop = new QLineSeries(shading);
    shadingBottom = new QLineSeries(shading);
    shading->setUpperSeries(shadingTop);
    shading->setLowerSeries(shadingBottom);
    shading->setName(QStringLiteral("Pior hora"));
    shading->setPen(Qt::NoPen);
    shading->setBrush(QColor(255, 140, 0, 70));
    chart->addSeries(shading);
    if (QValueAxis *x = valueAxis(chart, Qt::Horizontal))
        shading->attachAxis(x);
    if (QValueAxis *y = valueAxis(chart, Qt::Vertical)) {
        shading->attachAxis(y);
        connect(y, &QValueAxis::rangeChanged, this, [this] { fitShadingToAxis(); });
    }
    for (QLegendMarker *marker : chart->legend()->markers(shading))
        marker->setVisible(false);

    recomputeTimer.setSingleShot(true);
    recomputeTimer.setInterval(RecomputeIntervalMs);
    connect(&recomputeTimer, &QTimer::timeout, this, [this] { recompute(); });

    // The table announces what the fillers wrote at most every 200 ms (the
    // cells themselves are readable at once). The chart takes its points
    // when it pleases; the band follows them at once, as placing it is cheap.
    QAbstractItemModel *model = viewer.StringGrid1->model();
    auto changed = [this] { scheduleRecompute(); };
    connect(model, &QAbstractItemModel::rowsInserted, this, changed);
    connect(model, &QAbstractItemModel::dataChanged, this, changed);
    connect(model, &QAbstractItemModel::modelReset, this, changed);
    for (QLineSeries *series : viewer.Series) {
        connect(series, &QXYSeries::pointAdded, this, [this] { updateShading(); });
        connect(series, &QXYSeries::pointsReplaced, this, [this] { updateShading(); });
        connect(series, &QXYSeries::pointsRemoved, this, [this] { updateShading(); });
    }

    recompute();
}

void TAvaliacaoPage::buildControls()
{
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *content = new QWidget;
    scroll->setWidget(content);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto *choices = new QGroupBox(QStringLiteral("Escolhas"), content);
    auto *form = new QFormLayout(choices);

    ComboIndice = new QComboBox(choices);
    ComboIndice->setObjectName(QStringLiteral("ComboIndice"));
    ComboIndice->addItem(QStringLiteral("IBUTGi – interno, ou externo sem carga solar"));
    ComboIndice->addItem(QStringLiteral("IBUTGe – externo com carga solar"));
    form->addRow(QStringLiteral("Índice:"), ComboIndice);

    ComboCriterio = new QComboBox(choices);
    ComboCriterio->setObjectName(QStringLiteral("ComboCriterio"));
    for (LimitCriterion c :
         {LimitCriterion::Nr15, LimitCriterion::Iso7243Acclimatised, LimitCriterion::Iso7243NonAcclimatised})
        ComboCriterio->addItem(criterionSourceText(c));
    form->addRow(QStringLiteral("Critério:"), ComboCriterio);

    ComboClasse = new QComboBox(choices);
    ComboClasse->setObjectName(QStringLiteral("ComboClasse"));
    for (int c = 0; c < otherRateItem; ++c)
        ComboClasse->addItem(
            QStringLiteral("%1 – %2 (%3 W)")
                .arg(c)
                .arg(metabolicClassName(MetabolicClass(c)), formatGeneral(metabolicRate(MetabolicClass(c)))));
    ComboClasse->addItem(QStringLiteral("Outra taxa (W)"));
    ComboClasse->setCurrentIndex(int(defaultClass));
    EditTaxa = new DecimalField(QStringLiteral("Taxa metabólica"), minRateW, maxRateW, QStringLiteral("W"), choices);
    EditTaxa->setObjectName(QStringLiteral("EditTaxa"));
    EditTaxa->setValue(metabolicRate(defaultClass));
    EditTaxa->setEnabled(false);
    auto *rateRow = new QHBoxLayout;
    rateRow->addWidget(ComboClasse, 1);
    rateRow->addWidget(EditTaxa);
    rateRow->addWidget(new QLabel(QStringLiteral("W"), choices));
    form->addRow(QStringLiteral("Taxa metabólica (M):"), rateRow);

    EditVestimenta = new DecimalField(QStringLiteral("Acréscimo pela vestimenta"), 0, maxClothingIncrement,
                                      QStringLiteral("°C"), choices);
    EditVestimenta->setObjectName(QStringLiteral("EditVestimenta"));
    auto *clothingRow = new QHBoxLayout;
    clothingRow->addWidget(EditVestimenta);
    clothingRow->addWidget(new QLabel(QStringLiteral("°C"), choices));
    clothingRow->addStretch(1);
    form->addRow(QStringLiteral("Acréscimo pela vestimenta:"), clothingRow);
    // The fields are as wide as their longest plausible value.
    for (DecimalField *field : {EditTaxa, EditVestimenta})
        field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("00000,00")) + 12);

    ComboUnidade = new QComboBox(choices);
    ComboUnidade->setObjectName(QStringLiteral("ComboUnidade"));
    ComboUnidade->addItem(QStringLiteral("°C"));
    ComboUnidade->addItem(QStringLiteral("°F"));
    // The unit the meter was last seen in; the table does not say.
    ComboUnidade->setCurrentIndex(shared().fahrenheitUnit ? 1 : 0);
    form->addRow(QStringLiteral("Unidade do teste:"), ComboUnidade);

    // The lists fit a narrow window: a long entry is cut in the box, shown
    // whole in the open list.
    for (QComboBox *combo : {ComboIndice, ComboCriterio, ComboClasse, ComboUnidade}) {
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(12);
    }

    auto *results = new QGroupBox(QStringLiteral("Resultado"), content);
    auto *resultForm = new QFormLayout(results);
    LabelInicio = resultLabel(results, "LabelInicio");
    LabelFim = resultLabel(results, "LabelFim");
    LabelLinhas = resultLabel(results, "LabelLinhas");
    LabelRegistros = resultLabel(results, "LabelRegistros");
    LabelMedia = resultLabel(results, "LabelMedia");
    LabelLimite = resultLabel(results, "LabelLimite");
    LabelMargem = resultLabel(results, "LabelMargem");
    LabelConclusao = resultLabel(results, "LabelConclusao");
    QFont bold = LabelConclusao->font();
    bold.setBold(true);
    LabelConclusao->setFont(bold);
    LabelFormulas = resultLabel(results, "LabelFormulas");
    LabelNotas = resultLabel(results, "LabelNotas");
    resultForm->addRow(QStringLiteral("Início da pior hora:"), LabelInicio);
    resultForm->addRow(QStringLiteral("Fim da pior hora:"), LabelFim);
    resultForm->addRow(QStringLiteral("Linhas da tabela:"), LabelLinhas);
    resultForm->addRow(QStringLiteral("Registros:"), LabelRegistros);
    resultForm->addRow(QStringLiteral("Média:"), LabelMedia);
    resultForm->addRow(QStringLiteral("Limite:"), LabelLimite);
    resultForm->addRow(QStringLiteral("Margem:"), LabelMargem);
    resultForm->addRow(QStringLiteral("Conclusão:"), LabelConclusao);
    resultForm->addRow(QStringLiteral("Fórmulas:"), LabelFormulas);
    resultForm->addRow(QStringLiteral("Observações:"), LabelNotas);

    BotaoImprimir = new QPushButton(QStringLiteral("Imprimir avaliação"), content);
    BotaoImprimir->setObjectName(QStringLiteral("BotaoImprimir"));

    auto *layout = new QVBoxLayout(content);
    layout->addWidget(choices);
    layout->addWidget(results);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BotaoImprimir);
    layout->addLayout(buttons);
    layout->addStretch(1);

    auto now = [this] { recompute(); };
    connect(ComboIndice, &QComboBox::currentIndexChanged, this, now);
    connect(ComboCriterio, &QComboBox::currentIndexChanged, this, now);
    connect(ComboClasse, &QComboBox::currentIndexChanged, this, [this] { classChanged(); });
    connect(EditTaxa, &DecimalField::valueChanged, this, now);
    connect(EditVestimenta, &DecimalField::valueChanged, this, now);
    connect(ComboUnidade, &QComboBox::currentIndexChanged, this, now);
    connect(BotaoImprimir, &QPushButton::clicked, this, [this] { ImprimirClick(); });
}

void TAvaliacaoPage::classChanged()
{
    const auto c = chosenClass();
    EditTaxa->setEnabled(!c);
    if (c) {
        // The field shows the class's rate, the start for "Outra taxa".
        const QSignalBlocker quiet(EditTaxa);
        EditTaxa->setValue(metabolicRate(*c));
    }
    recompute();
}

std::optional<MetabolicClass> TAvaliacaoPage::chosenClass() const
{
    const int item = ComboClasse->currentIndex();
    if (item >= 0 && item < otherRateItem)
        return MetabolicClass(item);
    return std::nullopt;
}

AssessmentOptions TAvaliacaoPage::options() const
{
    AssessmentOptions o;
    o.index = ComboIndice->currentIndex() == 1 ? AssessedIndex::Outdoor : AssessedIndex::Indoor;
    switch (ComboCriterio->currentIndex()) {
    case 1: o.criterion = LimitCriterion::Iso7243Acclimatised; break;
    case 2: o.criterion = LimitCriterion::Iso7243NonAcclimatised; break;
    default: o.criterion = LimitCriterion::Nr15;
    }
    const auto c = chosenClass();
    o.metabolicRateW = c ? metabolicRate(*c) : EditTaxa->value();
    o.clothingIncrement = EditVestimenta->value();
    o.unit = ComboUnidade->currentIndex() == 1 ? RecordedUnit::Fahrenheit : RecordedUnit::Celsius;
    return o;
}

QString TAvaliacaoPage::choicesText() const
{
    return assessmentChoicesText({options(), chosenClass()});
}

void TAvaliacaoPage::setChoicesText(const QString &text)
{
    const auto choices = readAssessmentChoices(text);
    if (!choices)
        return;
    const AssessmentOptions &o = choices->options;
    ComboIndice->setCurrentIndex(o.index == AssessedIndex::Outdoor ? 1 : 0);
    ComboCriterio->setCurrentIndex(o.criterion == LimitCriterion::Iso7243Acclimatised      ? 1
                                   : o.criterion == LimitCriterion::Iso7243NonAcclimatised ? 2
                                                                                           : 0);
    ComboClasse->setCurrentIndex(choices->metabolicClass ? int(*choices->metabolicClass) : otherRateItem);
    if (!choices->metabolicClass && o.metabolicRateW >= EditTaxa->minimum() && o.metabolicRateW <= EditTaxa->maximum())
        EditTaxa->setValue(o.metabolicRateW);
    if (o.clothingIncrement <= EditVestimenta->maximum())
        EditVestimenta->setValue(o.clothingIncrement);
    ComboUnidade->setCurrentIndex(o.unit == RecordedUnit::Fahrenheit ? 1 : 0);
    recompute();
}

void TAvaliacaoPage::scheduleRecompute()
{
    if (recomputeTimer.isActive())
        return;
    // The assessment reads every record: with a long test arriving, the
    // interval grows with its cost so that it keeps a small share of the
    // processor (a test of 100,000 records still follows several times a
    // second).
    recomputeTimer.start(int(std::max<qint64>(RecomputeIntervalMs, lastRecomputeMs * RecomputeCostFactor)));
}

void TAvaliacaoPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (recomputeTimer.isActive())
        recompute();
}

void TAvaliacaoPage::recompute()
{
    recomputeTimer.stop();
    QElapsedTimer cost;
    cost.start();
    current = assessTest(viewer.table(), options());
    lastRecomputeMs = cost.elapsed();
    ++recomputes;
    showResult();
    updateShading();
    emit recomputed();
}

void TAvaliacaoPage::showResult()
{
    const AssessmentResult &r = current;
    const QString none = QStringLiteral("—");
    LabelInicio->setText(r.windowFound ? recordMomentText(r.windowStart) : none);
    LabelFim->setText(r.windowFound ? recordMomentText(r.windowEnd) : none);
    LabelLinhas->setText(r.windowFound ? QStringLiteral("%1 a %2").arg(r.firstRow).arg(r.lastRow) : none);
    LabelRegistros->setText(recordCountsText(r));
    QString mean =
        r.meanTenths ? QStringLiteral("%1 (%2)").arg(tenthsText(*r.meanTenths), indexName(r.options.index)) : none;
    if (r.meanTenths && r.assessedTenths && r.options.clothingIncrement > 0)
        mean += QStringLiteral("; com a vestimenta, %1").arg(tenthsText(*r.assessedTenths));
    mean += shortMeanMark(r);
    LabelMedia->setText(mean);
    LabelLimite->setText(r.limitTenths ? tenthsText(*r.limitTenths) : none);
    LabelMargem->setText(r.marginTenths ? tenthsText(*r.marginTenths) : none);
    LabelConclusao->setText(verdictText(r));
    const char *colour = r.verdict == Verdict::Within ? "darkgreen" : r.verdict == Verdict::Exceeded ? "darkred" : "";
    LabelConclusao->setStyleSheet(*colour ? QStringLiteral("color: %1").arg(QLatin1StringView(colour)) : QString());
    LabelFormulas->setText(formulaLines(r).join(QLatin1Char('\n')));
    const QStringList notes = noteTexts(r);
    LabelNotas->setText(notes.isEmpty() ? none : notes.join(QLatin1Char('\n')));
}

void TAvaliacaoPage::updateShading()
{
    std::optional<std::pair<double, double>> range;
    if (current.windowFound) {
        std::optional<double> smallestX;
        for (const QLineSeries *series : viewer.Series)
            if (series->count() > 0) {
                const double x = series->at(0).x(); // the series keep ascending x
                smallestX = smallestX ? std::min(*smallestX, x) : x;
            }
        if (const auto offset = chartRowOffset(viewer.table(), smallestX)) {
            double first = current.firstRow - *offset;
            double last = current.lastRow - *offset;
            if (last <= first) {
                // A window inside one record: a band one record wide.
                first -= 0.5;
                last = first + 1;
            }
            range = std::pair(first, last);
        }
    }
    // Points arrive many at a time; the band moves only when its ends do
    // (the axis moves it through fitShadingToAxis).
    if (range == shaded)
        return;
    shaded = range;
    fitShadingToAxis();
}

void TAvaliacaoPage::fitShadingToAxis()
{
    QValueAxis *y = valueAxis(viewer.Chart1->chart(), Qt::Vertical);
    if (!shaded || !y) {
        shadingTop->clear();
        shadingBottom->clear();
        return;
    }
    const auto [first, last] = *shaded;
    shadingTop->replace(QList<QPointF>{{first, y->max()}, {last, y->max()}});
    shadingBottom->replace(QList<QPointF>{{first, y->min()}, {last, y->min()}});
}

std::optional<std::pair<double, double>> TAvaliacaoPage::shadedRange() const
{
    return shaded;
}

void TAvaliacaoPage::layOutChart()
{
    // The chart follows its view's size only while the view is shown: lay it
    // out at the size it has on the "Grafico" page (every page has the same).
    QChart *chart = viewer.Chart1->chart();
    const QSize shownSize =
        viewer.Chart1->isVisible() ? viewer.Chart1->size() : viewer.PageControl1->currentWidget()->size();
    if (chart->size() != QSizeF(shownSize)) {
        chart->resize(shownSize);
        if (QGraphicsLayout *chartLayout = chart->layout())
            chartLayout->activate();
    }
}

void TAvaliacaoPage::printAssessment(QPrinter &printer)
{
    // Every record and point written so far on the page.
    viewer.flushPending();
    recompute();
    layOutChart();
    AssessmentPrintContent content;
    for (int field = 1; field <= 4; ++field)
        content.headerFields[size_t(field - 1)] = viewer.headerField(field);
    content.result = current;
    content.chosenClass = chosenClass();
    ::printAssessment(printer, content, viewer.Chart1->chart());
}

void TAvaliacaoPage::ImprimirClick()
{
    try {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::A4));
        if (!askPrinter || !askPrinter(printer))
            return;
        printAssessment(printer);
    } catch (const std::exception &e) {
        showErrorReport(QString::fromUtf8(e.what()));
    }
}
