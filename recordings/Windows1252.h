#pragma once
// The single-byte code page of test files, both ways, without the platform's
// codecs: a file must read the same on every machine. Bytes 0x00-0x7F and
// 0xA0-0xFF are the same code points as in Latin-1; 0x80-0x9F carry the
// typographic characters ("€", "‚", curly quotes, "—", "™" ...), except the
// five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D),
// which stand for the control characters U+0081 ... and come back as the same
// bytes, so every byte survives a decode and an encode.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace windows1252 {

char16_t toUnicode(unsigned char byte);

// True when the bytes mean the same in Latin-1 (none in 0x80-0x9F), so they
// can be handed on as a QLatin1StringView without decoding.
bool sameAsLatin1(QByteArrayView bytes);

QString decode(QByteArrayView bytes);

// Appends the bytes of text to out. A character the code page has no byte for
// is written as "?" (a surrogate pair counts as one character). Returns how
// many characters were replaced.
qsizetype encodeAppend(QStringView text, QByteArray &out);

QByteArray encode(QStringView text, qsizetype *replaced = nullptr);

} // namespace windows1252
