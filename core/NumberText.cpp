#include "core/NumberText.h"

#include <charconv>
#include <cmath>
#include <string>

QString formatGeneral(long double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");

    // 15 significant digits, rounded once, without any locale in the way.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    std::string sci(buf, res.ptr);
    const bool negative = sci.front() == '-';
    const auto ePos = sci.find('e');
    int exponent = std::stoi(sci.substr(ePos + 1));
    std::string digits;
    for (size_t i = negative ? 1 : 0; i < ePos; ++i)
        if (sci[i] >= '0' && sci[i] <= '9')
            digits += sci[i];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    if (digits == "0")
        return QStringLiteral("0");

    std::string out = negative ? "-" : "";
    if (exponent + 1 > 15 || exponent < -5) {
        out += digits[0];
        if (digits.size() > 1) {
            out += ',';
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (exponent >= 0) {
        const size_t intLen = size_t(exponent) + 1;
        if (digits.size() <= intLen) {
            out += digits + std::string(intLen - digits.size(), '0');
        } else {
            out += digits.substr(0, intLen) + ',' + digits.substr(intLen);
        }
    } else {
        out += "0," + std::string(size_t(-exponent - 1), '0') + digits;
    }
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

namespace {

bool isBlank(char c) { return c == ' '; }

QByteArrayView stripBlanks(QByteArrayView t)
{
    qsizetype b = 0, e = t.size();
    while (b < e && isBlank(t[b]))
        ++b;
    while (e > b && isBlank(t[e - 1]))
        --e;
    return t.sliced(b, e - b);
}

} // namespace

std::optional<long double> textToNumber(QByteArrayView text)
{
    QByteArrayView t = stripBlanks(text);
    // Validate the shape ourselves and hand from_chars a plain C-style number.
    std::string s;
    s.reserve(size_t(t.size()));
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        negative = t[i++] == '-';
    int mantissaDigits = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
        s += t[i++];
        ++mantissaDigits;
    }
    if (i < t.size() && t[i] == ',') {
        s += '.';
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
            s += t[i++];
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        s += 'e';
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            s += t[i++];
        int expDigits = 0;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
            s += t[i++];
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != t.size())
        return std::nullopt;
    long double v = 0;
    auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size())
        return std::nullopt; // out of range
    return negative ? -v : v;
}

std::optional<long double> textToNumber(const QString &text)
{
    return textToNumber(QByteArrayView(text.toLatin1()));
}

std::optional<int32_t> textToInt(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        return std::nullopt;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > int64_t(INT32_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        v = -v;
    if (v > INT32_MAX || v < INT32_MIN)
        return std::nullopt;
    return int32_t(v);
}

std::optional<int32_t> textToInt(const QString &text)
{
    return textToInt(QByteArrayView(text.toLatin1()));
}

QByteArray trimField(QByteArrayView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && uchar(text[b]) <= ' ')
        ++b;
    while (e > b && uchar(text[e - 1]) <= ' ')
        --e;
    return text.sliced(b, e - b).toByteArray();
}

QString bytesToText(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes);
}
