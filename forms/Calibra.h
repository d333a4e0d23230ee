#pragma once
// The calibration dialog (Form2, "Calibração"): one page per channel ("WET",
// "DRY", "GLO"), each with a reference field the operator types, a read-only
// reading field that every reading reply fills while the dialog is visible,
// and the buttons "LER", "Ajustar OFFSET" and "Zerar OFFSET". The buttons act
// on the channel of the page shown at the moment of the click.
//
// Created fresh after the maintenance password, shown at once on the "GLO"
// page with every field "0", destroyed when it closes; while it is open the
// main window takes no input. "Ajustar OFFSET" and "Zerar OFFSET" first ask
// the operator (control/CalibrationConfirm.h): an empty or untouched reference
// is refused with the reason, and nothing goes out before a yes. Commands go
// out through the scheduler's queue, once the line is free; the confirmation
// "Parâmetro calibrado." follows every one written, before any reply, and one
// that could not be written (the port closed or gone) says so instead. A
// field that is not a number goes to the default error report and nothing is
// sent.

#include "control/CommandQueue.h"
#include "core/DialogSinks.h"
#include "forms/DialogLifecycle.h"
#include "link/ConfigCommands.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

class TForm2 : public QWidget, public CalibrationSink {
    Q_OBJECT
public:
    // Stores itself in Form2, attaches to the calibration slot, disables
    // mainWindow (when given) until it closes, and shows itself.
    explicit TForm2(CommandQueue &line, QWidget *mainWindow = nullptr);
    ~TForm2() override;

    // CalibrationSink
    bool calibrationDialogVisible() override;
    void setCalibrationReading(int editNumber, const QString &text) override;

    // The channel of the page shown.
    ConfigCommand::Channel shownChannel() const;

    // The buttons' handlers; the buttons run them through guarded(), so what
    // they throw goes to the default error report.
    void BitBtn3Click(); // "LER" (BitBtn3, BitBtn4, BitBtn7)
    // "Ajustar OFFSET" (BitBtn1, BitBtn5, BitBtn8). Throws AppError, asking,
    // sending and confirming nothing, when a field is not a number.
    void BitBtn1Click();
    void BitBtn2Click(); // "Zerar OFFSET" (BitBtn2, BitBtn6, BitBtn9), after a yes

    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr; // WET, DRY, GLO
    // Reference fields Edit1, Edit3, Edit5; reading fields Edit2, Edit4, Edit6.
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr;
    QLineEdit *Edit4 = nullptr, *Edit5 = nullptr, *Edit6 = nullptr;
    QPushButton *BitBtn1 = nullptr, *BitBtn2 = nullptr, *BitBtn3 = nullptr;
    QPushButton *BitBtn4 = nullptr, *BitBtn5 = nullptr, *BitBtn6 = nullptr;
    QPushButton *BitBtn7 = nullptr, *BitBtn8 = nullptr, *BitBtn9 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    struct Page {
        QLineEdit *reference;
        QLineEdit *reading;
    };
    QWidget *buildPage(const QString &caption, QLineEdit *&reference, QLineEdit *&reading, QPushButton *&read,
                       QPushButton *&adjust, QPushButton *&zero);
    Page shownPage() const;
    void FormClose();
    // "Parâmetro calibrado." once a command is written, or why it was not.
    CommandQueue::Written confirmation();

    CommandQueue &line;
    DialogLifecycle lifecycle;
};
