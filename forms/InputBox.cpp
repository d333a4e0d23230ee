#include "forms/InputBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

TInputBoxDialog::TInputBoxDialog(QWidget *parent, const QString &caption, const QString &prompt, bool masked)
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
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Prompt);
    layout->addWidget(Edit);
    layout->addLayout(buttons);
    setMinimumWidth(300);
    Edit->setFocus();
}

QString TInputBoxDialog::entry() const
{
    return result() == QDialog::Accepted ? Edit->text() : QString();
}

QString InputBox(QWidget *parent, const QString &caption, const QString &prompt, bool masked)
{
    TInputBoxDialog box(parent, caption, prompt, masked);
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
