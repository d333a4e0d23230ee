#pragma once
// The bytes of a chunk of record rows as the library keeps them, before
// compression: for each row, the distance from the row before it (from the
// chunk's base row for the first) as a base-128 varint, then its eight texts,
// each as a varint length and its UTF-8 bytes. Lengths rather than separators,
// so that any text, a separator character included, comes back as it went in.
// Rows joined this way can be appended to without decoding what is there.

#include "recordings/library/LibraryTypes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QUtf8StringView>

#include <array>
#include <cstdint>

using RowTexts = std::array<QUtf8StringView, ViewerTable::ColumnCount>;

// Appends row (above previousRow) to raw.
void encodeChunkRow(QByteArray &raw, int previousRow, const NumberedRow &row);

// Reads raw from its base row, calling each(row, texts) per row; the views
// point into raw. Stops at the first row that does not decode whole (a chunk
// damaged on disk yields the rows before the damage). Returns the last row.
template <class Each> int decodeChunkRows(QByteArrayView raw, int baseRow, Each &&each);

// ---- implementation ----

namespace chunk_detail {
inline bool readVarint(const char *&p, const char *end, uint32_t &value)
{
    value = 0;
    for (int shift = 0; shift < 35 && p < end; shift += 7) {
        const auto byte = uint8_t(*p++);
        value |= uint32_t(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return true;
    }
    return false;
}
} // namespace chunk_detail

template <class Each> int decodeChunkRows(QByteArrayView raw, int baseRow, Each &&each)
{
    const char *p = raw.data();
    const char *const end = p + raw.size();
    int row = baseRow;
    RowTexts texts;
    while (p < end) {
        uint32_t step = 0;
        if (!chunk_detail::readVarint(p, end, step) || step == 0 || step > uint32_t(INT32_MAX - row))
            break;
        bool whole = true;
        for (auto &text : texts) {
            uint32_t length = 0;
            if (!chunk_detail::readVarint(p, end, length) || length > uint32_t(end - p)) {
                whole = false;
                break;
            }
            text = QUtf8StringView(p, qsizetype(length));
            p += length;
        }
        if (!whole)
            break;
        row += int(step);
        each(row, texts);
    }
    return row;
}
