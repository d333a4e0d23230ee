#pragma once
// A number field of the "Avaliação" page. The operator may type the decimal
// comma or the decimal point ("0,5" and "0.5" are both half a unit); the field
// shows the comma. Text it cannot read, or a value outside its bounds, is
// refused with a message that names the field and its bounds, and the field
// goes back to the value it had: nothing is guessed. The typed text is taken
// when the operator presses Enter or leaves the field.

#include <QLineEdit>

#include <functional>
#include <optional>

// A decimal number as typed: an optional sign, digits with at most one
// separator, "," or ".", blanks around. No exponent, no thousands grouping.
std::optional<double> readDecimal(const QString &text);

class DecimalField : public QLineEdit {
    Q_OBJECT
public:
    // label names the field in the messages ("Acréscimo pela vestimenta");
    // unit follows the numbers in them ("°C").
    DecimalField(QString label, double minimum, double maximum, QString unit, QWidget *parent = nullptr);

    double value() const { return current; }
    // Shows value with the comma; valueChanged when it differs.
    void setValue(double value);
    double minimum() const { return low; }
    double maximum() const { return high; }

    // Takes the text as typed: true and valueChanged (when it differs) for a
    // readable value within the bounds; otherwise refuse, the previous value
    // shown again, false.
    bool commit();

    // Tells the operator why a text was refused; a message box captioned
    // "Aviso" unless replaced.
    std::function<void(const QString &message)> refuse;

signals:
    void valueChanged(double value);

private:
    QString numberText(double value) const;

    QString label;
    QString unit;
    double low;
    double high;
    double current;
};
