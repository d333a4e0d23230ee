#include "forms/Notice.h"

#include <QMessageBox>
#include <QPointer>

Tell noticeIn(QWidget *window)
{
    return [window = QPointer<QWidget>(window)](const QString &text) {
        if (!window)
            return;
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Aviso"), text, QMessageBox::Ok, window);
        box.exec();
    };
}
