#include "recordings/ViewerTable.h"

#include <QChar>

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {

// Only the row right after the dense part is appended densely; any farther
// one (a file numbering its only record 2^31-1) goes to the sparse map. A
// wider reach let a file of records 1024, 2048, 3072 ... allocate a thousand
// rows per line it holds.
constexpr int DenseReach = 1;

// Room taken at a row's first write: a record's eight texts ("1000",
// "08:10:10", four temperatures, two indexes, "01/02/2024") in one
// allocation, without regrowing while its cells arrive one by one.
constexpr qsizetype RowReserve = 60;

bool allLatin1(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

bool allAscii(QUtf8StringView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; });
}

} // namespace

// ---- Row ----

QString ViewerTable::Row::operator[](size_t column) const
{
    if (column >= size_t(ColumnCount))
        return {};
    const qsizetype first = begin(column);
    const qsizetype length = qsizetype(ends[column]) - first;
    if (length == 0)
        return {};
    if (!wide)
        return QString::fromLatin1(units.constData() + first, length);
    QString text(length, Qt::Uninitialized);
    std::memcpy(text.data(), units.constData() + first * 2, size_t(length) * 2);
    return text;
}

bool ViewerTable::Row::isBlank() const
{
    const qsizetype count = ends[ColumnCount - 1];
    for (qsizetype i = 0; i < count; ++i) {
        char16_t unit;
        if (wide)
            std::memcpy(&unit, units.constData() + i * 2, 2);
        else
            unit = uchar(units[i]);
        if (!QChar(unit).isSpace())
            return false;
    }
    return true;
}

void ViewerTable::Row::widen()
{
    const qsizetype count = ends[ColumnCount - 1];
    QByteArray wider(count * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < count; ++i) {
        const char16_t unit = uchar(units[i]);
        std::memcpy(wider.data() + i * 2, &unit, 2);
    }
    units = std::move(wider);
    wide = true;
}

void ViewerTable::Row::set(size_t column, QAnyStringView text)
{
    // The new text as Latin-1 bytes when it has nothing beyond Latin-1, else
    // as UTF-16.
    QByteArray latin1;
    QString utf16;
    bool isLatin1 = true;
    text.visit([&](auto view) {
        using View = decltype(view);
        if constexpr (std::is_same_v<View, QLatin1StringView>) {
            latin1 = QByteArray::fromRawData(view.data(), view.size());
            return;
        } else if constexpr (std::is_same_v<View, QUtf8StringView>) {
            if (allAscii(view)) {
                latin1 = QByteArray::fromRawData(reinterpret_cast<const char *>(view.data()), view.size());
                return;
            }
        }
        utf16 = view.toString();
        if (allLatin1(utf16))
            latin1 = utf16.toLatin1();
        else
            isLatin1 = false;
    });
    if (!isLatin1 && !wide)
        widen();

    const qsizetype first = begin(column);
    const qsizetype oldLength = qsizetype(ends[column]) - first;
    const qsizetype newLength = isLatin1 ? latin1.size() : utf16.size();
    if (units.capacity() == 0)
        units.reserve(RowReserve);
    if (!wide) {
        units.replace(first, oldLength, latin1);
    } else if (isLatin1) {
        QByteArray units16(newLength * 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < newLength; ++i) {
            const char16_t unit = uchar(latin1[i]);
            std::memcpy(units16.data() + i * 2, &unit, 2);
        }
        units.replace(first * 2, oldLength * 2, units16);
    } else {
        units.replace(first * 2, oldLength * 2,
                      QByteArray::fromRawData(reinterpret_cast<const char *>(utf16.utf16()), newLength * 2));
    }
    const qsizetype delta = newLength - oldLength;
    for (size_t c = column; c < size_t(ColumnCount); ++c)
        ends[c] = uint32_t(qsizetype(ends[c]) + delta);
}

// ---- Table ----

ViewerTable::ViewerTable()
{
    dense.resize(1);
    for (int c = 0; c < ColumnCount; ++c)
        dense[0].set(size_t(c), columnTitle(c));
}

QString ViewerTable::columnTitle(int column)
{
    if (column < 0 || column >= ColumnCount)
        return {};
    return QString::fromLatin1(RecordColumnTitles[column]);
}

ViewerTable::Row *ViewerTable::rowForWriting(int r)
{
    const size_t index = size_t(r);
    if (index < dense.size())
        return &dense[index];
    if (index < dense.size() + DenseReach) {
        // Grow the dense part, taking over any rows parked in the map.
        while (dense.size() <= index) {
            const int next = int(dense.size());
            auto parked = sparse.find(next);
            if (parked != sparse.end()) {
                dense.push_back(std::move(parked->second));
                sparse.erase(parked);
            } else {
                dense.emplace_back();
            }
        }
        return &dense[index];
    }
    return &sparse[r];
}

bool ViewerTable::setCell(int r, int column, QAnyStringView text)
{
    if (r < 0 || column < 0 || column >= ColumnCount)
        return false;
    const bool grew = r >= rows;
    if (grew)
        ++rows;
    rowForWriting(r)->set(size_t(column), text);
    return grew;
}

const ViewerTable::Row *ViewerTable::row(int r) const
{
    if (r < 0)
        return nullptr;
    if (size_t(r) < dense.size())
        return &dense[size_t(r)];
    auto it = sparse.find(r);
    return it == sparse.end() ? nullptr : &it->second;
}

QString ViewerTable::cell(int r, int column) const
{
    if (column < 0 || column >= ColumnCount)
        return {};
    const Row *cells = row(r);
    return cells ? (*cells)[size_t(column)] : QString();
}
