#include "core/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

namespace {

constexpr int kDigits = 15;

// Exact powers of ten in extended precision (10^27 is the last one that is).
constexpr long double kExactPow10[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
                                       1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
                                       1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};

// The 15 significant digits of a positive finite value and the decimal
// exponent of the first one. The value is scaled by an exact power of ten in
// extended precision and rounded once, which is what the general format has
// always done; values whose scale needs an inexact power take the library's
// correctly rounded conversion instead.
void significantDigits(long double a, std::string &digits, int &exponent)
{
    // The logarithm in extended precision: every finite positive value, from
    // the smallest subnormal to the largest, has one between -4951 and 4933,
    // which a double would turn into an infinity.
    int e = int(std::floor(std::log10(a)));
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int shift = kDigits - 1 - e;
        if (shift < -27 || shift > 27)
            break;
        const long double scaled = shift >= 0 ? a * kExactPow10[shift] : a / kExactPow10[-shift];
        const auto n = static_cast<unsigned long long>(scaled + 0.5L); // positive: rounds half up
        if (n >= 1000000000000000ULL) {
            ++e;
            continue;
        }
        if (n < 100000000000000ULL) {
            --e;
            continue;
        }
        char buf[24];
        auto r = std::to_chars(buf, buf + sizeof buf, n);
        digits.assign(buf, r.ptr);
        exponent = e;
        return;
    }
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, kDigits - 1);
    const std::string sci(buf, res.ptr);
    const auto ePos = sci.find('e');
    exponent = std::stoi(sci.substr(ePos + 1));
    digits.clear();
    for (size_t i = 0; i < ePos; ++i)
        if (sci[i] >= '0' && sci[i] <= '9')
            digits += sci[i];
}

} // namespace

QLatin1StringView formatGeneral(long double value, GeneralText &buffer)
{
    auto literal = [&buffer](const char *text) {
        const size_t n = std::strlen(text);
        std::memcpy(buffer.data(), text, n);
        return QLatin1StringView(buffer.data(), qsizetype(n));
    };
    if (std::isnan(value))
        return literal("NAN");
    if (std::isinf(value))
        return literal(value < 0 ? "-INF" : "INF");
    if (value == 0)
        return literal("0");

    const bool negative = value < 0;
    std::string digits;
    int exponent = 0;
    significantDigits(negative ? -value : value, digits, exponent);
    size_t n = digits.size();
    while (n > 1 && digits[n - 1] == '0')
        --n;

    // At most: sign, "0,", 5 zeros, 15 digits, or sign, 16 chars and "E-4951".
    char *const out = buffer.data();
    char *p = out;
    if (negative)
        *p++ = '-';
    auto put = [&p](const char *from, size_t count) {
        std::memcpy(p, from, count);
        p += count;
    };
    if (exponent + 1 > kDigits || exponent < -5) {
        *p++ = digits[0];
        if (n > 1) {
            *p++ = ',';
            put(digits.data() + 1, n - 1);
        }
        *p++ = 'E';
        p = std::to_chars(p, out + buffer.size(), exponent).ptr;
    } else if (exponent >= 0) {
        const size_t intLen = size_t(exponent) + 1;
        if (n <= intLen) {
            put(digits.data(), n);
            std::memset(p, '0', intLen - n);
            p += intLen - n;
        } else {
            put(digits.data(), intLen);
            *p++ = ',';
            put(digits.data() + intLen, n - intLen);
        }
    } else {
        *p++ = '0';
        *p++ = ',';
        std::memset(p, '0', size_t(-exponent - 1));
        p += -exponent - 1;
        put(digits.data(), n);
    }
    return QLatin1StringView(out, qsizetype(p - out));
}

QString formatGeneral(long double value)
{
    GeneralText buffer;
    return QString(formatGeneral(value, buffer));
}

namespace {

bool isBlank(char c)
{
    return c == ' ';
}

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

// Plain decimals (no exponent, at most 19 digits) are exact integers divided
// by an exact power of ten: one rounding, the same result as the general
// conversion, without its cost. Replies are read byte by byte on the GUI
// thread, so this is the common path.
std::optional<long double> fastDecimal(QByteArrayView t)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        negative = t[i++] == '-';
    uint64_t mantissa = 0;
    int digits = 0, fraction = 0;
    bool comma = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') {
            if (++digits > 19)
                return std::nullopt;
            mantissa = mantissa * 10 + uint64_t(c - '0');
            fraction += comma;
        } else if (c == ',' && !comma) {
            comma = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    static constexpr long double kPow10[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
                                             1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L};
    const long double v = (long double)mantissa / kPow10[fraction];
    return negative ? -v : v;
}

std::optional<long double> textToNumber(QByteArrayView text)
{
    QByteArrayView t = stripBlanks(text);
    if (auto v = fastDecimal(t))
        return v;
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

QByteArrayView trimField(QByteArrayView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && uchar(text[b]) <= ' ')
        ++b;
    while (e > b && uchar(text[e - 1]) <= ' ')
        --e;
    return text.sliced(b, e - b);
}
