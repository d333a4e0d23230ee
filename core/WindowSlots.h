#pragma once
// The slots of the windows the logic writes into besides the main window: the
// test viewer and the two configuration dialogs. The program has one set
// (forms/Forms.h, windowSlots()); the reply parser and the scheduler take a
// reference to a set, so tests hand them one of their own with fakes attached.

#include "core/DialogSinks.h"
#include "core/ViewerSink.h"
#include "core/WindowSlot.h"

using ViewerSlot = WindowSlot<ViewerSink, NullViewerSink>;
using CalibrationSlot = WindowSlot<CalibrationSink, NullCalibrationSink>;
using SampleRateSlot = WindowSlot<SampleRateSink, NullSampleRateSink>;

struct WindowSlots {
    ViewerSlot viewer;
    CalibrationSlot calibration;
    SampleRateSlot sampleRate;
};
