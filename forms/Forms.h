#pragma once
// The window variables: each holds the current instance of its window, and a
// new instance replaces the reference. They turn null by themselves when the
// window is destroyed; writes through them go through guardedWrite.
//
// The slots are how the reply parser, the scheduler and the file reader reach
// the viewer and the dialogs: a window attaches itself on creation and
// detaches in its destructor.

#include "core/WindowSlots.h"

#include <QPointer>

class TForm1; // main window (TesteTemperatura)
class TForm2; // calibration dialog (Calibra)
class TForm3; // report window (Relatorio)
class TForm4; // sample-rate dialog (Taxa)
class TForm5; // test viewer (Visualizar)

extern QPointer<TForm1> Form1;
extern QPointer<TForm2> Form2;
extern QPointer<TForm3> Form3;
extern QPointer<TForm4> Form4;
extern QPointer<TForm5> Form5;

// The program's one set of slots; the three functions below hand out its parts.
WindowSlots &windowSlots();
ViewerSlot &viewerSlot();
CalibrationSlot &calibrationSlot();
SampleRateSlot &sampleRateSlot();
