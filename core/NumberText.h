#pragma once
// Numbers as the operator reads and types them: decimal comma, no thousands
// separator, whatever the machine's locale. Every conversion between numbers
// and text in the program goes through here.

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// The general format: the shortest text of at most 15 significant digits,
// fixed-point unless the number has more than 15 integer digits or is below
// 0,00001 in magnitude, then "d,dddE-7" style.
QString formatGeneral(long double value);

// The same text written into a caller's buffer, for paths that must not
// allocate; the view points into the buffer.
using GeneralText = std::array<char, 48>;
QLatin1StringView formatGeneral(long double value, GeneralText &buffer);

// Decimal text to a number. Leading and trailing blanks are allowed; the
// decimal separator is the comma; an exponent ("E", "e") may follow. Anything
// else fails.
std::optional<long double> textToNumber(QByteArrayView text);
std::optional<long double> textToNumber(const QString &text);

// Decimal text to a 32-bit signed integer: leading blanks, an optional sign,
// digits, nothing after them. Out of range fails.
std::optional<int32_t> textToInt(QByteArrayView text);
std::optional<int32_t> textToInt(const QString &text);

// Leading and trailing blanks and control characters removed (every byte up
// to and including the blank), as a reply field is read. A view into text.
QByteArrayView trimField(QByteArrayView text);
