#include "forms/Forms.h"

QPointer<TForm1> Form1;
QPointer<TForm2> Form2;
QPointer<TForm3> Form3;
QPointer<TForm4> Form4;
QPointer<TForm5> Form5;

WindowSlots &windowSlots()
{
    static WindowSlots slots_;
    return slots_;
}

ViewerSlot &viewerSlot()
{
    return windowSlots().viewer;
}

CalibrationSlot &calibrationSlot()
{
    return windowSlots().calibration;
}

SampleRateSlot &sampleRateSlot()
{
    return windowSlots().sampleRate;
}
