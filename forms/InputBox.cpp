#include "forms/InputBox.h"

#include "forms/ControlNames.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

InputBoxDialog::InputBoxDialog(QWidget *parent, const QString &caption, const QString &prompt, bool masked)
    : QDialog(parent)
{
    setWindowTitle(caption);
    setModal(true);

    Prompt = new QLabel(prompt, this);
    Edit = new QLineEdit(this);
    Edit->setMaxLength(maxLength);
    if (masked) {
        Edit->setEchoMode(QLineEdit::Password);
        // The style's own mask character varies ("●" on most); the operator
        // expects "*", shown at once rather than after a delay.
        Edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"
                                           " lineedit-password-mask-delay: 0;"));
    }
    // The standard buttons speak the language of Qt's installed translation.
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OkButton = buttons->button(QDialogButtonBox::Ok);
    OkButton->setDefault(true);
    CancelButton = buttons->button(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Prompt);
    layout->addWidget(Edit);
    layout->addWidget(buttons);
    setMinimumWidth(300);
    nameControls({NAMED_CONTROL(Prompt), NAMED_CONTROL(Edit), NAMED_CONTROL(OkButton), NAMED_CONTROL(CancelButton)});
    Edit->setFocus();
}

QString InputBoxDialog::entry() const
{
    return result() == QDialog::Accepted ? Edit->text() : QString();
}

QString InputBox(QWidget *parent, const QString &caption, const QString &prompt, bool masked)
{
    InputBoxDialog box(parent, caption, prompt, masked);
    box.exec();
    return box.entry();
}

QString InputBoxPrompt::ask(const QString &caption, const QString &prompt, bool masked)
{
    return InputBox(parent, caption, prompt, masked);
}

void InputBoxPrompt::showMessage(const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

bool InputBoxPrompt::askYesNo(const QString &question)
{
    QMessageBox box(QMessageBox::Question, warningCaption, question, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes);
}

void InputBoxPrompt::tell(const QString &message)
{
    showMessage(message, warningCaption);
}
