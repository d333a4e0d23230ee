#include "widgets/ScaleLabelText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int significantDigits = 8;

// The magnitude of a finite number as decimal digits d0 d1 d2 ... with the
// value 0.d0d1d2... * 10^(exponent + 1).
struct DecimalDigits {
    std::string digits;
    int exponent = 0;
};

DecimalDigits decimalDigits(double magnitude)
{
    // 40 significant digits decide every rounding at 8 digits exactly.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.39e", magnitude);
    DecimalDigits d;
    const char *p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            d.digits += *p;
    d.exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    return d;
}

// Keeps the first `keep` digits, rounding half away from zero. A carry out of
// the first digit adds a digit in front and raises the exponent.
void roundTo(DecimalDigits &d, int keep)
{
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    if (size_t(keep) >= d.digits.size())
        return;
    const bool up = d.digits[size_t(keep)] >= '5';
    d.digits.resize(size_t(keep));
    if (!up)
        return;
    int i = keep - 1;
    while (i >= 0 && d.digits[size_t(i)] == '9')
        d.digits[size_t(i--)] = '0';
    if (i >= 0) {
        ++d.digits[size_t(i)];
    } else {
        d.digits.insert(d.digits.begin(), '1');
        ++d.exponent;
    }
}

// Digit at position `power` (10^power) of the rounded number, '0' outside.
char digitAt(const DecimalDigits &d, int power)
{
    const int index = d.exponent - power;
    return index >= 0 && size_t(index) < d.digits.size() ? d.digits[size_t(index)] : '0';
}

} // namespace

QString fixedScaleNumber(double value, int decimals)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    decimals = std::clamp(decimals, 0, 18);

    DecimalDigits d = decimalDigits(std::fabs(value));
    if (d.exponent + 1 > significantDigits) {
        // More integer digits than the precision: exponent form.
        roundTo(d, significantDigits);
        std::string text = value < 0 ? "-" : "";
        text += d.digits[0];
        text += ',';
        text += d.digits.substr(1, significantDigits - 1);
        text += "E+" + std::to_string(d.exponent);
        return QString::fromLatin1(text.c_str());
    }

    // The last digit kept is the 8th significant one or the last decimal,
    // whichever comes first.
    const int keep = std::min(significantDigits, d.exponent + 1 + decimals);
    if (keep <= 0 && !d.digits.empty()) {
        // The first digit lies below the last kept place: rounding it at that
        // place gives either 0 or one unit of that place.
        const bool up = keep == 0 && d.digits[0] >= '5';
        d.digits = up ? "1" : "";
        d.exponent = -decimals;
    } else {
        roundTo(d, keep);
    }
    if (d.exponent + 1 > significantDigits)
        return fixedScaleNumber(value < 0 ? -std::pow(10.0, d.exponent) : std::pow(10.0, d.exponent), decimals);

    std::string text;
    for (int power = std::max(d.exponent, 0); power >= 0; --power)
        text += digitAt(d, power);
    if (decimals > 0) {
        text += ',';
        for (int power = -1; power >= -decimals; --power)
            text += digitAt(d, power);
    }
    // A number that rounds to zero has no sign.
    const bool allZero = text.find_first_not_of("0,") == std::string::npos;
    if (value < 0 && !allZero)
        text.insert(text.begin(), '-');
    return QString::fromLatin1(text.c_str());
}

QString applyScaleFormat(const QString &format, const QString &text)
{
    QString out;
    out.reserve(format.size() + text.size());
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'%' && i + 1 < format.size()) {
            const QChar next = format.at(i + 1);
            if (next == u's' || next == u'S') {
                out += text;
                ++i;
                continue;
            }
            if (next == u'%') {
                out += u'%';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString scaleLabelText(double value, int decimals, const QString &format)
{
    return applyScaleFormat(format, fixedScaleNumber(value, decimals));
}
