// Any byte stream into the reply parser: it must neither crash nor let a
// conversion error escape, and its field must stay bounded by the input.
#include "link/protocol.h"

#include <cstdint>
#include <cstdlib>

namespace {

// Every window open, the calibration dialog shown, so that every write path runs.
struct ShownCalibration : NullCalibrationSink {
    bool calibrationDialogVisible() override { return true; }
};

struct Windows {
    QObject window;
    NullMainWindowSink mainWindow;
    NullViewerSink viewer;
    ShownCalibration calibration;
    NullSampleRateSink sampleRate;
    WindowSlots slots_;
    Windows()
    {
        slots_.viewer.attach(&window, &viewer);
        slots_.calibration.attach(&window, &calibration);
        slots_.sampleRate.attach(&window, &sampleRate);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Windows windows;
    SharedState state;
    ReplyParser parser(state, windows.mainWindow, windows.slots_);
    for (size_t i = 0; i < size; ++i) {
        parser.feed(char(data[i]));
        if (state.replyField.size() > i + 1)
            std::abort();
    }
    return 0;
}
