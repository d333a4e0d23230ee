#pragma once
// The sample-rate dialog (Form4, "Taxa de amostragem"): shows the interval the
// meter records at, as the reply to "@I" fills it in, and sends a new one.
// Created fresh by the menu command, shown at once, destroyed when it closes;
// while it is open the main window takes no input, but its timers run on so
// the query sequence and its replies still reach the dialog.
//
// "Confirma" sends "@i0+" (seconds) or "@i1+" (minutes, also when no unit is
// checked) with the trimmed interval text; anything but a whole number from 1
// to 999 (empty, "0", letters, four digits) is refused with "Parâmetro de
// tempo inválido." and nothing is sent. Either way the dialog closes. The
// command goes out once the line is free; nothing confirms it.

#include "core/DialogSinks.h"
#include "forms/DialogLifecycle.h"

#include <QWidget>

class CommandQueue;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TForm4 : public QWidget, public SampleRateSink {
    Q_OBJECT
public:
    // Stores itself in Form4, attaches to the sample-rate slot, disables
    // mainWindow (when given) until it closes, and shows itself.
    TForm4(CommandQueue &line, QWidget *mainWindow = nullptr);
    ~TForm4() override;

    // SampleRateSink
    void checkSampleUnit(bool seconds) override;
    void setSampleInterval(const QString &text) override;

    void BitBtn5Click(); // "Confirma"
    void BitBtn6Click(); // "Cancelar"

    QLineEdit *Edit1 = nullptr;
    QRadioButton *RadioButton1 = nullptr; // "Minutos", unit code 1
    QRadioButton *RadioButton2 = nullptr; // "Segundo", unit code 0
    QPushButton *BitBtn5 = nullptr;
    QPushButton *BitBtn6 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FormClose();

    CommandQueue &line;
    DialogLifecycle lifecycle;
};
