#include "support/ModalCatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
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
        QAbstractButton *yes = box->button(QMessageBox::Yes);
        QAbstractButton *no = box->button(QMessageBox::No);
        if (yes && no) {
            questions << box->text();
            (!answer || answer(box->text()) ? yes : no)->click();
            return;
        }
        boxes.append({box->windowTitle(), box->text(), int(box->icon())});
        box->accept();
        return;
    }
    // The input box (forms/InputBox), known by its class name and its two
    // children so that the fakes need no window code.
    auto *input = qobject_cast<QDialog *>(modal);
    if (!input || !input->inherits("InputBoxDialog"))
        return;
    auto *prompt = input->findChild<QLabel *>();
    auto *edit = input->findChild<QLineEdit *>();
    if (!prompt || !edit)
        return;
    prompts << QStringLiteral("%1|%2|%3")
                   .arg(input->windowTitle(), prompt->text())
                   .arg(edit->echoMode() == QLineEdit::Password ? "masked" : "clear");
    if (entries.isEmpty()) {
        input->reject();
    } else {
        edit->setText(entries.takeFirst());
        input->accept();
    }
}
