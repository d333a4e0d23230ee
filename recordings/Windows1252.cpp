#include "recordings/Windows1252.h"

#include <cstring>

namespace {

// 0x80-0x9F. The undefined bytes map to the control character of the same value.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

// The byte for a code point, 0 when the code page has none ("?" is written).
unsigned char toByte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return (unsigned char)c;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c)
            return (unsigned char)(0x80 + i);
    return 0;
}

} // namespace

namespace windows1252 {

char16_t toUnicode(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? kHigh[byte - 0x80] : char16_t(byte);
}

bool sameAsLatin1(QByteArrayView bytes)
{
    for (char b : bytes)
        if ((unsigned char)(b - char(0x80)) < 0x20)
            return false;
    return true;
}

QString decode(QByteArrayView bytes)
{
    QString text = QString::fromLatin1(bytes);
    if (sameAsLatin1(bytes))
        return text;
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = toUnicode((unsigned char)bytes[i]);
    return text;
}

qsizetype encodeAppend(QStringView text, QByteArray &out)
{
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *p = out.data() + start;
    qsizetype replaced = 0;
    const char16_t *s = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            *p++ = char(c);
            continue;
        }
        const unsigned char b = toByte(c);
        if (b) {
            *p++ = char(b);
            continue;
        }
        *p++ = '?';
        ++replaced;
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1]))
            ++i;
    }
    out.truncate(p - out.constData());
    return replaced;
}

QByteArray encode(QStringView text, qsizetype *replaced)
{
    QByteArray out;
    const qsizetype r = encodeAppend(text, out);
    if (replaced)
        *replaced = r;
    return out;
}

} // namespace windows1252
