#include "recordings/library/RecordSummary.h"

#include <QDate>

#include <algorithm>

namespace {

// Up to three numbers split by sep, each of one or two digits (the year of a
// date may have four); blanks around the text allowed.
bool splitNumbers(QStringView text, QChar sep, int (&out)[3], int lastDigits)
{
    const auto parts = text.trimmed().split(sep);
    if (parts.size() != 3)
        return false;
    for (int i = 0; i < 3; ++i) {
        const QStringView part = parts[i];
        const int most = i == 2 ? lastDigits : 2;
        if (part.isEmpty() || part.size() > most ||
            !std::all_of(part.begin(), part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
            return false;
        out[i] = part.toInt();
    }
    return true;
}

const QDate Epoch(2000, 1, 1);

} // namespace

std::optional<qint64> recordRowMoment(QStringView date, QStringView time)
{
    int d[3], t[3];
    if (!splitNumbers(date, u'/', d, 4) || !splitNumbers(time, u':', t, 2))
        return std::nullopt;
    const int year = d[2] < 100 ? 2000 + d[2] : d[2];
    const QDate day(year, d[1], d[0]);
    if (!day.isValid() || t[0] > 23 || t[1] > 59 || t[2] > 59)
        return std::nullopt;
    return Epoch.daysTo(day) * 86400 + t[0] * 3600 + t[1] * 60 + t[2];
}

QString momentText(qint64 moment)
{
    const QDate day = Epoch.addDays(moment / 86400);
    const qint64 s = moment % 86400;
    return QStringLiteral("%1 %2:%3")
        .arg(day.toString(QStringLiteral("dd/MM/yyyy")))
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'));
}

void RecordSummary::add(const RecordRow &row)
{
    if (std::all_of(row.begin(), row.end(), [](const QString &t) { return t.trimmed().isEmpty(); }))
        return;
    ++records;
    const auto moment = recordRowMoment(row[7], row[1]);
    if (!moment)
        return;
    if (lastMoment)
        gaps.push_back(int(std::clamp<qint64>(*moment - *lastMoment, INT32_MIN, INT32_MAX)));
    else
        firstMoment = moment;
    lastMoment = moment;
}

std::optional<int> RecordSummary::interval() const
{
    if (gaps.empty())
        return std::nullopt;
    std::vector<int> sorted = gaps;
    const auto middle = sorted.begin() + qsizetype(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    return *middle;
}
