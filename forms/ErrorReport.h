#pragma once
// The default error report: an error is shown in a message box with the
// application title as caption and an error icon, and the program goes on.
// The windows' slots hand their errors to it through guarded()
// (forms/Guarded.h); showErrorReport is the same box for code that catches on
// purpose. GuardedApplication::notify is the last resort for anything that escapes
// an event handler all the same: it logs the error and reports it.
// GuardedApplication also fixes the number format of the whole program (decimal
// comma, no thousands separator) and loads Qt's Portuguese texts
// (forms/QtTranslation.h).

#include <QApplication>
#include <QString>

class QWidget;

void showErrorReport(const QString &message);

// The plain message of the settings: a box captioned with the application
// title, OK button only.
void showPlainMessage(QWidget *parent, const QString &text);

// Once the program closes on a termination signal nobody may be there to
// press OK (a logout, a service manager, kill): from then on the error
// report and the plain message are written to standard error, prefixed with
// the application title, instead of waiting in a box.
void reportToStandardError();
bool reportingToStandardError();

// The report of an error a slot threw: logged, then shown. An empty message
// (an error that is no std::exception) shows "Unknown error".
void reportSlotError(const QString &message);

class GuardedApplication : public QApplication {
    Q_OBJECT
public:
    GuardedApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
