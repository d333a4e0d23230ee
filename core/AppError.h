#pragma once
// The base of the program's own errors. The default error report shows
// message(); what() carries the same text in UTF-8.

#include <QString>
#include <stdexcept>

class AppError : public std::runtime_error {
public:
    explicit AppError(const QString &message) : std::runtime_error(message.toStdString()), text(message) {}
    const QString &message() const { return text; }

private:
    QString text;
};
