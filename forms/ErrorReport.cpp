#include "forms/ErrorReport.h"

#include "forms/QtTranslation.h"

#include <QLocale>
#include <QMessageBox>

#include <atomic>
#include <cstdio>
#include <exception>

namespace {

const QString unknownError = QStringLiteral("Unknown error");

std::atomic<bool> toStandardError{false};

// True when the text went to standard error instead of a box.
bool writtenToStandardError(const QString &text)
{
    if (!toStandardError)
        return false;
    std::fprintf(stderr, "%s: %s\n", QApplication::applicationName().toLocal8Bit().constData(),
                 text.toLocal8Bit().constData());
    std::fflush(stderr);
    return true;
}

} // namespace

void showErrorReport(const QString &message)
{
    if (writtenToStandardError(message))
        return;
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message, QMessageBox::Ok);
    box.exec();
}

void showPlainMessage(QWidget *parent, const QString &text)
{
    if (writtenToStandardError(text))
        return;
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
}

void reportToStandardError()
{
    toStandardError = true;
}

bool reportingToStandardError()
{
    return toStandardError;
}

void reportSlotError(const QString &message)
{
    const QString text = message.isEmpty() ? unknownError : message;
    qWarning("error report: %s", qUtf8Printable(text));
    showErrorReport(text);
}

GuardedApplication::GuardedApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // Numbers read and shown with the decimal comma and no thousands
    // separator, whatever the machine's locale.
    QLocale numbers(QLocale::Portuguese, QLocale::Brazil);
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(numbers);
    installQtPortuguese(*this);
}

bool GuardedApplication::notify(QObject *receiver, QEvent *event)
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
