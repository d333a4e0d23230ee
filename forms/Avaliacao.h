#pragma once
// The viewer's page "Avaliação": the heat-stress assessment of the test shown
// (assessment/HeatAssessment.h). The operator chooses the index, the
// criterion, the metabolic rate (a class 0–4 or a value in W), the clothing
// increment and the unit the test was recorded in (the number fields take the
// comma or the point and refuse what they cannot read, forms/DecimalField.h);
// the page shows the worst
// hour's start and end, the records used and left out, the mean, the limit,
// the margin and the verdict, and shades the worst hour on the viewer's chart
// ("Grafico").
//
// A changed choice recomputes at once. Changes of the table (records arriving
// during a download, a file being read) recompute at most every 200 ms, so a
// long download is not assessed once per record; as the test grows the
// interval grows with what an assessment costs, so a long download is not
// spent assessing it.
//
// The shading is an area series added to the viewer's chart between the x of
// the window's first and last records, from the bottom to the top of the
// temperature axis. The chart's x is not the table row: a download counts
// records from 0, a file numbers them from 1. Both fillers add a point for
// every temperature that reads and write the record's row with the same
// spacing, so the offset between rows and x is that of the first row holding a
// readable temperature and the smallest x in the chart (chartRowOffset). The
// band follows the chart's points as the chart takes them.
//
// "Imprimir avaliação" asks for a printer (askPrinter, the print dialog by
// default) and prints one A4 page (forms/AssessmentPrint.h); a failure goes to
// the default error report.

#include "assessment/HeatAssessment.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QAreaSeries;
class QComboBox;
class DecimalField;
class QLabel;
class QLineSeries;
class QPrinter;
class QPushButton;
class TForm5;
class ViewerTable;

// row - x for the chart's points of table, given the smallest x among them;
// nothing when the table has no readable temperature or the chart no point.
std::optional<double> chartRowOffset(const ViewerTable &table, std::optional<double> smallestX);

class TAvaliacaoPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int RecomputeIntervalMs = 200;
    // Recomputations for arriving records take at most about
    // 1/RecomputeCostFactor of the time.
    static constexpr int RecomputeCostFactor = 10;

    // Reads viewer's table and draws on its chart; viewer outlives the page
    // (the page is one of its tabs).
    explicit TAvaliacaoPage(TForm5 &viewer, QWidget *parent = nullptr);

    AssessmentOptions options() const;
    std::optional<MetabolicClass> chosenClass() const; // nothing for a rate in W
    // The choices as the test library keeps them (assessment/AssessmentChoices.h),
    // and back: values outside what a field takes keep the field's value; a
    // text that does not read changes nothing. Setting recomputes.
    QString choicesText() const;
    void setChoicesText(const QString &text);
    const AssessmentResult &result() const { return current; }

    // Assesses the table now with the choices shown.
    void recompute();
    // Recomputes within RecomputeIntervalMs unless already due.
    void scheduleRecompute();
    int recomputeCount() const { return recomputes; }

    // The shaded x range on the chart, nothing while no window is shaded.
    std::optional<std::pair<double, double>> shadedRange() const;

    // The page on printer (throws std::runtime_error when it cannot print).
    void printAssessment(QPrinter &printer);
    // "Imprimir avaliação": askPrinter, then printAssessment; errors to the
    // default error report.
    void ImprimirClick();
    // Sets up the printer and says whether to print (the print dialog).
    std::function<bool(QPrinter &)> askPrinter;

    // Controls
    QComboBox *ComboIndice = nullptr;       // IBUTGi, IBUTGe
    QComboBox *ComboCriterio = nullptr;     // NR-15, ISO 7243 acclimatised, not acclimatised
    QComboBox *ComboClasse = nullptr;       // classes 0–4, then "Outra taxa (W)"
    DecimalField *EditTaxa = nullptr;       // M in W (50 to 1000), editable with "Outra taxa (W)"
    DecimalField *EditVestimenta = nullptr; // °C (0 to 12)
    QComboBox *ComboUnidade = nullptr;      // °C, °F
    QLabel *LabelInicio = nullptr;
    QLabel *LabelFim = nullptr;
    QLabel *LabelLinhas = nullptr;
    QLabel *LabelRegistros = nullptr;
    QLabel *LabelMedia = nullptr;
    QLabel *LabelLimite = nullptr;
    QLabel *LabelMargem = nullptr;
    QLabel *LabelConclusao = nullptr;
    QLabel *LabelFormulas = nullptr;
    QLabel *LabelNotas = nullptr;
    QPushButton *BotaoImprimir = nullptr;

signals:
    void recomputed();

protected:
    // Shown with records assessed a while ago: assessed now, not when the
    // interval ends.
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void classChanged();
    void showResult();
    void updateShading();
    void fitShadingToAxis();
    void layOutChart();

    TForm5 &viewer;
    AssessmentResult current;
    QTimer recomputeTimer;
    int recomputes = 0;
    qint64 lastRecomputeMs = 0;
    QAreaSeries *shading = nullptr;
    QLineSeries *shadingTop = nullptr;
    QLineSeries *shadingBottom = nullptr;
    std::optional<std::pair<double, double>> shaded;
};
