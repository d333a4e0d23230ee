// Any bytes as a test file: the reader must neither crash nor place anything
// outside the table, and what it keeps must stay bounded by the input (a
// record number of 2^31-1 is placed sparsely). The table it filled is then
// written out again.
#include "core/SharedState.h"
#include "core/ViewerSink.h"
#include "recordings/TestFile.h"
#include "recordings/ViewerTable.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

struct CheckingViewer : NullViewerSink {
    explicit CheckingViewer(size_t inputSize) : inputSize(inputSize) {}
    size_t inputSize;
    ViewerTable table;
    TestHeader header;
    size_t cells = 0;

    void setViewerCell(int row, int column, QAnyStringView text) override
    {
        if (row < 1 || column < 0 || column > 7 || size_t(text.size()) > inputSize + 10)
            std::abort();
        if (++cells > inputSize * 8 + 8)
            std::abort();
        table.setCell(row, column, text.toString());
    }
    void addChartPoint(int series, double x, double y) override
    {
        if (series < 0 || series > 2 || x < 1 || !std::isfinite(y))
            std::abort();
    }
    void setHeaderField(int field, const QString &text) override
    {
        if (field < 1 || field > 4 || size_t(text.size()) > inputSize)
            std::abort();
        header[size_t(field - 1)] = text;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SharedState state;
    CheckingViewer viewer(size);
    readTestFile(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), viewer, state);
    if (viewer.table.rowCount() > int(viewer.cells) + ViewerTable::InitialRowCount)
        std::abort();
    const QByteArray written = encodeTestFile(viewer.header, viewer.table);
    if (size_t(written.size()) > 64 + size * 4 + size_t(viewer.table.rowCount()) * 24)
        std::abort();
    return 0;
}
