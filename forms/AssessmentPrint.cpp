#include "forms/AssessmentPrint.h"

#include "core/NumberText.h"

#include <QChart>
#include <QFont>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

#include <cmath>
#include <stdexcept>

namespace {

const QString minus = QStringLiteral("\u2212");

QString numberText(double v)
{
    return formatGeneral(static_cast<long double>(v));
}

QString degreesText(double v)
{
    return numberText(v) + QStringLiteral(" °C");
}

// The signed tenths with the minus sign of a formula.
QString signedTenthsText(int tenths)
{
    QString t = tenthsText(tenths);
    if (tenths < 0)
        t.replace(0, 1, minus);
    return t;
}

bool rateIsValid(double watts)
{
    return std::isfinite(watts) && watts > 0;
}

} // namespace

QString criterionSourceText(LimitCriterion c)
{
    switch (c) {
    case LimitCriterion::Nr15: return QStringLiteral("NR-15 Anexo 3 (Portaria 1.359/2019), Quadro 1 – aclimatizado");
    case LimitCriterion::Iso7243Acclimatised: return QStringLiteral("ISO 7243:2017 – aclimatizado");
    case LimitCriterion::Iso7243NonAcclimatised: return QStringLiteral("ISO 7243:2017 – não aclimatizado");
    }
    return {};
}

QString rateChoiceText(double watts, std::optional<MetabolicClass> chosenClass)
{
    if (chosenClass)
        return QStringLiteral("classe %1 – %2 (%3 W)")
            .arg(int(*chosenClass))
            .arg(metabolicClassName(*chosenClass), numberText(metabolicRate(*chosenClass)));
    return numberText(watts) + QStringLiteral(" W");
}

std::vector<std::pair<QString, QString>> choiceLines(const AssessmentOptions &o,
                                                     std::optional<MetabolicClass> chosenClass)
{
    return {
        {QStringLiteral("Índice"), indexName(o.index)},
        {QStringLiteral("Critério"), criterionSourceText(o.criterion)},
        {QStringLiteral("Taxa metabólica (M)"), rateChoiceText(o.metabolicRateW, chosenClass)},
        {QStringLiteral("Acréscimo pela vestimenta"), degreesText(o.clothingIncrement)},
        {QStringLiteral("Unidade do teste"),
         o.unit == RecordedUnit::Fahrenheit ? QStringLiteral("°F (convertido para °C)") : QStringLiteral("°C")},
    };
}

QString limitFormulaText(const AssessmentResult &r)
{
    const AssessmentOptions &o = r.options;
    const QString formula = o.criterion == LimitCriterion::Iso7243NonAcclimatised
                                ? QStringLiteral("59,9 %1 14,1·log₁₀(%2)")
                                : QStringLiteral("56,7 %1 11,5·log₁₀(%2)");
    if (!rateIsValid(o.metabolicRateW))
        return QStringLiteral("IBUTG_max = ") + formula.arg(minus, QStringLiteral("M")) +
               QStringLiteral(": sem valor, M deve ser maior que zero");
    const QString filled = QStringLiteral("IBUTG_max = ") + formula.arg(minus, numberText(o.metabolicRateW));
    if (!r.limitTenths)
        return filled + QStringLiteral(": sem limite, M fora do Quadro 1 da NR-15 (100 a 606 W)");
    return filled + QStringLiteral(" = ") + tenthsText(*r.limitTenths);
}

QString shortMeanMark(const AssessmentResult &r)
{
    if (!r.meanTenths || !r.shorterThanHour)
        return {};
    return QStringLiteral(" – média de só %1 min, não de uma hora").arg(r.windowSeconds / 60);
}

QStringList formulaLines(const AssessmentResult &r)
{
    const QString index = indexName(r.options.index);
    QStringList lines{limitFormulaText(r)};
    if (r.meanTenths)
        lines << QStringLiteral("%1 médio = Σ(%1·Δt) / %2 s = %3")
                     .arg(index)
                     .arg(r.windowSeconds)
                     .arg(tenthsText(*r.meanTenths));
    if (r.meanTenths && r.assessedTenths && r.options.clothingIncrement > 0)
        lines << QStringLiteral("%1 médio + acréscimo = %2 + %3 = %4")
                     .arg(index, tenthsText(*r.meanTenths), degreesText(r.options.clothingIncrement),
                          tenthsText(*r.assessedTenths));
    if (r.marginTenths)
        lines << QStringLiteral("margem = %1 %2 %3 = %4")
                     .arg(tenthsText(*r.limitTenths), minus, tenthsText(*r.assessedTenths),
                          signedTenthsText(*r.marginTenths));
    return lines;
}

QString recordCountsText(const AssessmentResult &r)
{
    const int leftOut = r.leftOutMoment + r.leftOutValue;
    return QStringLiteral("%1 usados, %2 deixados de fora").arg(r.recordsUsed).arg(leftOut);
}

std::vector<std::pair<QString, QString>> resultLines(const AssessmentResult &r)
{
    const QString none = QStringLiteral("—");
    const QString index = indexName(r.options.index);
    std::vector<std::pair<QString, QString>> lines;
    lines.emplace_back(QStringLiteral("Início da pior hora"), r.windowFound ? recordMomentText(r.windowStart) : none);
    lines.emplace_back(QStringLiteral("Fim da pior hora"), r.windowFound ? recordMomentText(r.windowEnd) : none);
    lines.emplace_back(QStringLiteral("Linhas da tabela"),
                       r.windowFound ? QStringLiteral("%1 a %2").arg(r.firstRow).arg(r.lastRow) : none);
    lines.emplace_back(QStringLiteral("Registros"), recordCountsText(r));
    lines.emplace_back(QStringLiteral("Média de %1").arg(index),
                       r.meanTenths ? tenthsText(*r.meanTenths) + shortMeanMark(r) : none);
    if (r.options.clothingIncrement > 0)
        lines.emplace_back(QStringLiteral("Média + vestimenta"),
                           r.assessedTenths ? tenthsText(*r.assessedTenths) : none);
    lines.emplace_back(QStringLiteral("Limite"), r.limitTenths ? tenthsText(*r.limitTenths) : none);
    lines.emplace_back(QStringLiteral("Margem"), r.marginTenths ? signedTenthsText(*r.marginTenths) : none);
    lines.emplace_back(QStringLiteral("Conclusão"), verdictText(r));
    return lines;
}

// ---- The printed page ----

namespace {

// Paints texts top-down in a column of the page, wrapping long ones.
class PageWriter {
public:
    PageWriter(QPainter &painter, const QRectF &area) : painter(painter), area(area), y(area.top()) {}

    void setFont(double points, bool bold = false)
    {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPointSizeF(points);
        f.setBold(bold);
        painter.setFont(f);
    }

    // A paragraph across the column, at most maxLines lines (the rest is cut).
    void paragraph(const QString &text, int maxLines = 0)
    {
        const QFontMetricsF m(painter.font(), painter.device());
        QRectF box(area.left(), y, area.width(), area.bottom() - y);
        QRectF need = painter.boundingRect(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
        double height = need.height();
        if (maxLines > 0)
            height = std::min(height, m.lineSpacing() * maxLines);
        box.setHeight(height);
        painter.save();
        painter.setClipRect(box);
        painter.drawText(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
        painter.restore();
        y += height;
    }

    // "label: value" with the values lined up after the widest label.
    void labelled(const std::vector<std::pair<QString, QString>> &lines, int maxLines = 0)
    {
        const QFontMetricsF m(painter.font(), painter.device());
        double labelWidth = 0;
        for (const auto &[label, value] : lines)
            labelWidth = std::max(labelWidth, m.horizontalAdvance(label + QStringLiteral(": ")));
        labelWidth = std::min(labelWidth, area.width() / 2);
        for (const auto &[label, value] : lines) {
            painter.drawText(QRectF(area.left(), y, labelWidth, m.lineSpacing()), Qt::AlignLeft | Qt::AlignTop,
                             label + QLatin1Char(':'));
            QRectF box(area.left() + labelWidth, y, area.width() - labelWidth, area.bottom() - y);
            const QRectF need = painter.boundingRect(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, value);
            double height = std::max(need.height(), m.lineSpacing());
            if (maxLines > 0)
                height = std::min(height, m.lineSpacing() * maxLines);
            box.setHeight(height);
            painter.save();
            painter.setClipRect(box);
            painter.drawText(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, value);
            painter.restore();
            y += height;
        }
    }

    void gap(double lines) { y += QFontMetricsF(painter.font(), painter.device()).lineSpacing() * lines; }

    double top() const { return y; }

private:
    QPainter &painter;
    QRectF area;
    double y;
};

} // namespace

void printAssessment(QPrinter &printer, const AssessmentPrintContent &content, QChart *chart)
{
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);

    QPainter painter;
    if (!painter.begin(&printer))
        throw std::runtime_error("Não foi possível iniciar a impressão da avaliação.");

    const QRectF page(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
    const AssessmentResult &r = content.result;
    PageWriter out(painter, page);

    out.setFont(14, true);
    out.paragraph(QStringLiteral("Avaliação do estresse térmico – pior hora de %1").arg(indexName(r.options.index)));
    out.setFont(9);
    out.gap(0.6);
    static const char *const fieldNames[] = {"Nome", "Setor", "Empresa", "Observações"};
    std::vector<std::pair<QString, QString>> header;
    for (size_t i = 0; i < content.headerFields.size(); ++i)
        header.emplace_back(QString::fromUtf8(fieldNames[i]), content.headerFields[i]);
    out.labelled(header, 3);

    out.gap(0.6);
    out.setFont(11, true);
    out.paragraph(QStringLiteral("Escolhas"));
    out.setFont(9);
    out.labelled(choiceLines(r.options, content.chosenClass));

    out.gap(0.6);
    out.setFont(11, true);
    out.paragraph(QStringLiteral("Fórmulas"));
    out.setFont(9);
    for (const QString &line : formulaLines(r))
        out.paragraph(line);
    out.paragraph(QStringLiteral("Média ponderada no tempo sobre os 60 minutos contínuos de maior média; "
                                 "limites da NR-15 Anexo 3 (Portaria 1.359/2019), Quadro 1, e da ISO 7243:2017."),
                  3);

    out.gap(0.6);
    out.setFont(11, true);
    out.paragraph(QStringLiteral("Resultado"));
    out.setFont(9);
    out.labelled(resultLines(r), 3);
    for (const QString &note : noteTexts(r))
        out.paragraph(QStringLiteral("• ") + note, 2);

    out.gap(0.8);
    if (chart && chart->scene()) {
        const QRectF chartArea(page.left(), out.top(), page.width(), page.bottom() - out.top());
        if (chartArea.height() > 0)
            chart->scene()->render(&painter, chartArea, chart->geometry(), Qt::KeepAspectRatio);
    }

    if (!painter.end())
        throw std::runtime_error("Não foi possível concluir a impressão da avaliação.");
}
