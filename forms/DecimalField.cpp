#include "forms/DecimalField.h"

#include "core/NumberText.h"

#include <QMessageBox>

#include <cmath>

std::optional<double> readDecimal(const QString &text)
{
    QString t = text.trimmed();
    int separators = 0;
    int digits = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit() && c.unicode() < 0x80)
            ++digits;
        else if (c == u',' || c == u'.') {
            t[i] = u',';
            ++separators;
        } else if (!(i == 0 && (c == u'-' || c == u'+')))
            return std::nullopt;
    }
    if (digits == 0 || separators > 1)
        return std::nullopt;
    const auto v = textToNumber(t);
    if (!v || !std::isfinite(double(*v)))
        return std::nullopt;
    return double(*v);
}

DecimalField::DecimalField(QString label, double minimum, double maximum, QString unit, QWidget *parent)
    : QLineEdit(parent)
    , label(std::move(label))
    , unit(std::move(unit))
    , low(minimum)
    , high(maximum)
    , current(minimum)
{
    setText(numberText(current));
    refuse = [this](const QString &message) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Aviso"), message, QMessageBox::Ok, this);
        box.exec();
    };
    connect(this, &QLineEdit::editingFinished, this, [this] { commit(); });
}

QString DecimalField::numberText(double value) const
{
    return formatGeneral(static_cast<long double>(value));
}

void DecimalField::setValue(double value)
{
    setText(numberText(value));
    if (value == current)
        return;
    current = value;
    emit valueChanged(current);
}

bool DecimalField::commit()
{
    const std::optional<double> typed = readDecimal(text());
    QString why;
    if (!typed)
        why = QStringLiteral("%1: \"%2\" não é um número. Use a vírgula ou o ponto como separador decimal, como "
                             "em 0,5.")
                  .arg(label, text().trimmed());
    else if (*typed < low || *typed > high)
        why = QStringLiteral("%1: %2 %3 está fora da faixa de %4 a %5 %3.")
                  .arg(label, numberText(*typed), unit, numberText(low), numberText(high));
    if (why.isEmpty()) {
        setValue(*typed);
        return true;
    }
    // The previous value stays in force and in sight.
    setText(numberText(current));
    if (refuse)
        refuse(why + QStringLiteral(" Continua %1 %2.").arg(numberText(current), unit));
    return false;
}
