#include "forms/ErrorReport.h"

#include "forms/QtTranslation.h"

#include <QLocale>
#include <QMessageBox>
#include <exception>

namespace {

const QString unknownError = QStringLiteral("Unknown error");

} // namespace

void showErrorReport(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message, QMessageBox::Ok);
    box.exec();
}

void reportSlotError(const QString &message)
{
    const QString text = message.isEmpty() ? unknownError : message;
    qWarning("error report: %s", qUtf8Printable(text));
    showErrorReport(text);
}

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // Numbers read and shown with the decimal comma and no thousands
    // separator, whatever the machine's locale.
    QLocale numbers(QLocale::Portuguese, QLocale::Brazil);
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(numbers);
    installQtPortuguese(*this);
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        qWarning("error escaped an event handler of %s: %s", receiver ? receiver->metaObject()->className() : "(none)",
                 e.what());
        showErrorReport(QString::fromUtf8(e.what()));
    } catch (...) {
        qWarning("unknown error escaped an event handler of %s",
                 receiver ? receiver->metaObject()->className() : "(none)");
        showErrorReport(unknownError);
    }
    return false;
}
