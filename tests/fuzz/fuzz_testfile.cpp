// Any bytes as a test file: the reader must neither crash nor place anything
// outside the table, and what it keeps must stay bounded by the input (a
// record number of 2^31-1 is placed sparsely): the heap the filled table
// holds may grow by at most KeptPerInputByte per input byte. The table is
// then written out again.
//
// Inputs are kept short (scripts/test passes -max_len): the reader's cost
// grows with the input, and short inputs give the fuzzer many more runs. The
// per-byte bound above catches memory out of proportion at any length.
#include "core/SharedState.h"
#include "core/ViewerSink.h"
#include "recordings/TestFile.h"
#include "recordings/ViewerTable.h"

#include <sanitizer/allocator_interface.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

// A record line takes at least 5 bytes ("{R1-" and its line end) and costs
// a row of the table, its texts and the growth slack of the row store.
constexpr size_t KeptPerInputByte = 256;
constexpr size_t KeptAtLeast = 64 * 1024;

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
    const size_t heapBefore = __sanitizer_get_current_allocated_bytes();
    readTestFile(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), viewer, state);
    const size_t heapAfter = __sanitizer_get_current_allocated_bytes();
    if (heapAfter > heapBefore && heapAfter - heapBefore > KeptAtLeast + size * KeptPerInputByte)
        std::abort();
    if (viewer.table.rowCount() > int(viewer.cells) + ViewerTable::InitialRowCount)
        std::abort();
    const QByteArray written = encodeTestFile(viewer.header, viewer.table);
    if (size_t(written.size()) > 64 + size * 4 + size_t(viewer.table.rowCount()) * 24)
        std::abort();
    return 0;
}
