// Any byte stream into the reply parser: it must neither crash nor let a
// conversion error escape, and its field must stay bounded by the input.
#include "link/protocol.h"

#include <cstdint>
#include <cstdlib>

namespace {

struct NullSink : ReplySink {
    void setStatusText(int, const QString &) override {}
    void setMaxMinLabel(int, const QString &) override {}
    void setMemoryMaximum(int) override {}
    void setMemoryPosition(int) override {}
    bool calibrationDialogVisible() override { return true; }
    void setCalibrationReading(int, const QString &) override {}
    void checkSampleUnit(bool) override {}
    void setSampleInterval(const QString &) override {}
    void setViewerCell(int, int, QLatin1StringView) override {}
    void addChartPoint(int, double, double) override {}
    void setViewerRecordCount(int) override {}
    void showMessage(const QString &, const QString &) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SharedState state;
    NullSink sink;
    ReplyParser parser(state, sink);
    for (size_t i = 0; i < size; ++i) {
        parser.feed(char(data[i]));
        if (state.replyField.size() > i + 1)
            std::abort();
    }
    return 0;
}
