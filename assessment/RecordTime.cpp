#include "assessment/RecordTime.h"

#include <array>

namespace {

constexpr int64_t SecondsPerDay = 86400;

// Days from 01/01/1970 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t daysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int64_t &y, int &m, int &d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2);
}

const int64_t Epoch = daysFromCivil(2000, 1, 1);

int daysInMonth(int64_t y, int m)
{
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[size_t(m - 1)];
}

// Splits "a<sep>b<sep>c" (blanks around the whole allowed) into three runs of
// decimal digits, each of at most maxDigits[i] digits; the number of digits of
// each field is returned too.
bool threeFields(const QString &text, QChar sep, const std::array<int, 3> &maxDigits, std::array<int, 3> &value,
                 std::array<int, 3> &digits)
{
    const QString t = text.trimmed();
    int field = 0;
    value = {0, 0, 0};
    digits = {0, 0, 0};
    for (QChar ch : t) {
        if (ch == sep) {
            if (digits[size_t(field)] == 0 || ++field > 2)
                return false;
            continue;
        }
        if (ch < u'0' || ch > u'9')
            return false;
        auto &n = digits[size_t(field)];
        if (++n > maxDigits[size_t(field)])
            return false;
        value[size_t(field)] = value[size_t(field)] * 10 + (ch.unicode() - u'0');
    }
    return field == 2 && digits[2] > 0;
}

} // namespace

std::optional<RecordSeconds> recordDateSeconds(const QString &date)
{
    std::array<int, 3> v{}, n{};
    if (!threeFields(date, u'/', {2, 2, 4}, v, n))
        return std::nullopt;
    int64_t year;
    if (n[2] == 2)
        year = 2000 + v[2];
    else if (n[2] == 4)
        year = v[2];
    else
        return std::nullopt;
    const int month = v[1];
    const int day = v[0];
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return std::nullopt;
    return (daysFromCivil(year, month, day) - Epoch) * SecondsPerDay;
}

std::optional<int> recordTimeOfDay(const QString &time)
{
    std::array<int, 3> v{}, n{};
    if (!threeFields(time, u':', {2, 2, 2}, v, n))
        return std::nullopt;
    if (v[0] > 23 || v[1] > 59 || v[2] > 59)
        return std::nullopt;
    return v[0] * 3600 + v[1] * 60 + v[2];
}

std::optional<RecordSeconds> recordMoment(const QString &date, const QString &time)
{
    const auto day = recordDateSeconds(date);
    if (!day)
        return std::nullopt;
    const auto clock = recordTimeOfDay(time);
    if (!clock)
        return std::nullopt;
    return *day + *clock;
}

QString recordMomentText(RecordSeconds moment)
{
    int64_t days = moment / SecondsPerDay;
    int64_t rest = moment % SecondsPerDay;
    if (rest < 0) {
        rest += SecondsPerDay;
        --days;
    }
    int64_t y;
    int m, d;
    civilFromDays(days + Epoch, y, m, d);
    const bool shortYear = y >= 2000 && y <= 2099;
    auto two = [](int64_t x) { return QStringLiteral("%1").arg(x, 2, 10, QLatin1Char('0')); };
    return QStringLiteral("%1/%2/%3 %4:%5:%6")
        .arg(two(d), two(m), shortYear ? two(y - 2000) : QString::number(y), two(rest / 3600), two(rest / 60 % 60),
             two(rest % 60));
}
