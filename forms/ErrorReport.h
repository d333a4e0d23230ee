#pragma once
// The default error report: an error that no handler catches is shown in a
// message box with the application title as caption and an error icon, and
// the program goes on. TApplication catches what escapes an event handler;
// showErrorReport is the same box for code that catches on purpose.
// TApplication also fixes the number format of the whole program: decimal
// comma, no thousands separator.

#include <QApplication>
#include <QString>

void showErrorReport(const QString &message);

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
