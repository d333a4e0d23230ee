#include "support/ModalCatcher.h"

#include "forms/InputBox.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

ModalCatcher::ModalCatcher()
{
    connect(&timer, &QTimer::timeout, this, &ModalCatcher::poll);
    timer.start(5);
}

QStringList ModalCatcher::texts() const
{
    QStringList out;
    for (const Box &b : boxes)
        out << b.text;
    return out;
}

void ModalCatcher::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        boxes.append({box->windowTitle(), box->text(), int(box->icon())});
        box->accept();
        return;
    }
    if (auto *input = qobject_cast<TInputBoxDialog *>(modal)) {
        prompts << QStringLiteral("%1|%2|%3")
                       .arg(input->windowTitle(), input->Prompt->text())
                       .arg(input->Edit->echoMode() == QLineEdit::Password ? "masked" : "clear");
        if (entries.isEmpty()) {
            input->reject();
        } else {
            input->Edit->setText(entries.takeFirst());
            input->accept();
        }
    }
}
