#include "link/ConfigCommands.h"

#include "core/AppError.h"
#include "core/NumberText.h"
#include "link/Commands.h"

#include <QDateTime>
#include <cmath>

namespace ConfigCommand {
namespace {

bool isBlankOrControl(QChar c)
{
    return c.unicode() <= u' ';
}

[[noreturn]] void overflow()
{
    throw AppError(QStringLiteral("Floating point overflow."));
}

} // namespace

QByteArray clock(const QDate &date, const QTime &time)
{
    return Command::setClock(QDateTime(date, time));
}

QByteArray clockNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    return clock(now.date(), now.time());
}

QString intervalText(const QString &editText)
{
    qsizetype begin = 0, end = editText.size();
    while (begin < end && isBlankOrControl(editText[begin]))
        ++begin;
    while (end > begin && isBlankOrControl(editText[end - 1]))
        --end;
    return editText.mid(begin, end - begin);
}

std::optional<QByteArray> sampleInterval(const QString &editText, bool seconds)
{
    const QString t = intervalText(editText);
    if (t.isEmpty() || t.size() > maxIntervalLength)
        return std::nullopt;
    int value = 0;
    for (QChar c : t) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value < minInterval || value > maxInterval)
        return std::nullopt;
    return Command::setSampleRate(seconds, t);
}

float singleValue(const QString &fieldText)
{
    const std::optional<long double> v = textToNumber(fieldText);
    if (!v)
        throw AppError(QStringLiteral("'%1' is not a valid floating point value.").arg(fieldText));
    const float single = float(*v);
    if (!std::isfinite(single))
        overflow();
    return single;
}

float offset(const QString &reference, const QString &reading)
{
    const float ref = singleValue(reference);
    const float now = singleValue(reading);
    // volatile keeps the subtraction in single precision whatever the
    // compiler's evaluation method.
    volatile float difference = ref - now;
    const float d = difference;
    if (!std::isfinite(d))
        overflow();
    return d == 0.0f ? 0.0f : d;
}

QByteArray adjustOffset(Channel channel, const QString &reference, const QString &reading)
{
    return Command::adjustOffset(int(channel), offset(reference, reading));
}

QByteArray zeroOffset(Channel channel)
{
    return Command::zeroOffset(int(channel));
}

} // namespace ConfigCommand
