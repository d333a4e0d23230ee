#pragma once
// The input box: caption, prompt, an edit field with an empty default, the
// standard OK and Cancel buttons (in the program's language). The field takes at most 255 characters; Cancel (or closing the box)
// gives the empty text. In masked mode every typed character shows as "*".

#include "control/CalibrationConfirm.h"
#include "control/PasswordGate.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

class InputBoxDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int maxLength = 255;

    InputBoxDialog(QWidget *parent, const QString &caption, const QString &prompt, bool masked);
    // The entry when accepted, the empty text otherwise.
    QString entry() const;

private:
    // Named as their members (forms/ControlNames.h).
    QLabel *Prompt = nullptr;
    QLineEdit *Edit = nullptr;
    QPushButton *OkButton = nullptr;
    QPushButton *CancelButton = nullptr;
};

QString InputBox(QWidget *parent, const QString &caption, const QString &prompt, bool masked);

// The operator's dialogs of the protected and calibration commands: InputBox
// for the prompts, a message box with an OK button for the messages, and a
// question captioned "Aviso" with the standard Yes and No buttons, No the
// default, for the confirmations.
class InputBoxPrompt : public PasswordPrompt, public OperatorQuestions {
public:
    explicit InputBoxPrompt(QWidget *parent) : parent(parent) {}
    QString ask(const QString &caption, const QString &prompt, bool masked) override;
    void showMessage(const QString &text, const QString &caption) override;
    bool askYesNo(const QString &question) override;
    void tell(const QString &message) override;

private:
    QWidget *parent;
};
