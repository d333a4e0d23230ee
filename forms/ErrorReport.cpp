#include "forms/ErrorReport.h"

#include <QLocale>
#include <QMessageBox>
#include <exception>

void showErrorReport(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message, QMessageBox::Ok);
    box.exec();
}

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // Numbers read and shown with the decimal comma and no thousands
    // separator, whatever the machine's locale.
    QLocale numbers(QLocale::Portuguese, QLocale::Brazil);
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(numbers);
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        showErrorReport(QString::fromUtf8(e.what()));
    } catch (...) {
        showErrorReport(QStringLiteral("Unknown error"));
    }
    return false;
}
