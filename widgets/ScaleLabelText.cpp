#include "widgets/ScaleLabelText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int significantDigits = 8;

QString withComma(std::string text)
{
    std::replace(text.begin(), text.end(), '.', ',');
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

} // namespace

QString fixedScaleNumber(double value, int decimals)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    decimals = std::clamp(decimals, 0, 18);

    char buf[512];
    // Round to the significant digits first; the exponent of the rounded
    // number tells how many of them are integer digits.
    std::snprintf(buf, sizeof buf, "%.*e", significantDigits - 1, value);
    const double rounded = std::strtod(buf, nullptr);
    const int exponent = rounded == 0.0 ? 0 : int(std::floor(std::log10(std::fabs(rounded))));
    if (exponent >= significantDigits) {
        // Too large for fixed point within the digits: exponent form.
        std::string mantissa(buf, std::strchr(buf, 'e'));
        return withComma(mantissa) + QStringLiteral("E+") + QString::number(exponent);
    }

    // Digits below the last significant one read 0.
    const int keptDecimals = std::max(0, significantDigits - 1 - exponent);
    std::snprintf(buf, sizeof buf, "%.*f", std::min(decimals, keptDecimals), rounded);
    std::string text(buf);
    if (decimals > keptDecimals) {
        if (keptDecimals == 0)
            text += '.';
        text.append(size_t(decimals - keptDecimals), '0');
    }
    // A number that rounds to zero has no sign.
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    return withComma(text);
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
