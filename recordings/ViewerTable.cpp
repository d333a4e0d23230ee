#include "recordings/ViewerTable.h"

namespace {

// Only the row right after the dense part is appended densely; any farther
// one (a file numbering its only record 2^31-1) goes to the sparse map. A
// wider reach let a file of records 1024, 2048, 3072 ... allocate a thousand
// rows per line it holds.
constexpr int DenseReach = 1;

} // namespace

ViewerTable::ViewerTable()
{
    dense.resize(1);
    for (int c = 0; c < ColumnCount; ++c)
        dense[0][size_t(c)] = columnTitle(c);
}

QString ViewerTable::columnTitle(int column)
{
    static const char *const titles[ColumnCount] = {"Registro", "Hora", "UMI", "SEC", "GLO", "IBUTGi", "IBUTGe", "Data"};
    if (column < 0 || column >= ColumnCount)
        return {};
    return QString::fromLatin1(titles[column]);
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

bool ViewerTable::setCell(int r, int column, QString text)
{
    if (r < 0 || column < 0 || column >= ColumnCount)
        return false;
    const bool grew = r >= rows;
    if (grew)
        ++rows;
    (*rowForWriting(r))[size_t(column)] = std::move(text);
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
