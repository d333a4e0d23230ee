#include "recordings/library/LibraryChunk.h"

namespace {

void appendVarint(QByteArray &out, uint32_t value)
{
    while (value >= 0x80) {
        out.append(char((value & 0x7F) | 0x80));
        value >>= 7;
    }
    out.append(char(value));
}

} // namespace

void encodeChunkRow(QByteArray &raw, int previousRow, const NumberedRow &row)
{
    appendVarint(raw, uint32_t(row.row - previousRow));
    for (const QString &text : row.texts) {
        const QByteArray utf8 = text.toUtf8();
        appendVarint(raw, uint32_t(utf8.size()));
        raw.append(utf8);
    }
}
