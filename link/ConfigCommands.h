#pragma once
// The configuration commands built from what the operator typed or from the
// computer's clock: the clock setting, the sampling interval and the
// calibration offset of one channel. Pure functions over texts and times, so
// the dialogs only read their fields and send the result; the bytes themselves
// come from link/Commands.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>
#include <optional>

namespace ConfigCommand {

// "@H" hhnnssddmmyy CR LF: 24-hour clock, two-digit year, leading zeros.
QByteArray clock(const QDate &date, const QTime &time);

// The same from one reading of the computer's local clock. Date and time come
// from the same instant, so a click at midnight never pairs the new day with
// the old day's time.
QByteArray clockNow();

// The interval as the dialog sends it: the edit text without leading and
// trailing blanks and control characters (every character up to the blank).
QString intervalText(const QString &editText);

// The longest interval text the meter takes, and the range of intervals it
// records at (seconds or minutes): an interval of 0 would stop its recording.
inline constexpr qsizetype maxIntervalLength = 3;
inline constexpr int minInterval = 1;
inline constexpr int maxInterval = 999;

// "@i0+" t CR LF when seconds, "@i1+" t CR LF otherwise, t = intervalText()
// as typed (leading zeros kept). Nothing (nullopt) when t is longer than
// maxIntervalLength or is not a whole number of decimal digits from
// minInterval to maxInterval: empty, "0", a sign, letters.
std::optional<QByteArray> sampleInterval(const QString &editText, bool seconds);

// The calibration channels, numbered as the meter numbers them; the
// calibration dialog's pages come in this order.
enum class Channel { Wet = 1, Dry = 2, Globe = 3 };

// A field text converted as the operator types numbers (decimal comma, blanks
// around it allowed) and rounded to single precision. Throws AppError
// "'<text>' is not a valid floating point value." when the text is not such a
// number, and "Floating point overflow." when it lies beyond single precision.
float singleValue(const QString &fieldText);

// reference - reading, both rounded to single precision first, the
// difference rounded to single precision. A zero difference is +0, so equal
// values always send zero bits. Throws as singleValue, and "Floating point
// overflow." when the difference overflows.
float offset(const QString &reference, const QString &reading);

// "@c" n ">" and the 8 upper-case hexadecimal digits of offset()'s bits,
// CR LF. Throws as offset(); nothing is built then.
QByteArray adjustOffset(Channel channel, const QString &reference, const QString &reading);

// "@z" n CR LF: zero one channel's offset.
QByteArray zeroOffset(Channel channel);

} // namespace ConfigCommand
