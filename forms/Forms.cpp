#include "forms/Forms.h"

QPointer<TForm1> Form1;
QPointer<TForm2> Form2;
QPointer<TForm3> Form3;
QPointer<TForm4> Form4;
QPointer<TForm5> Form5;

ViewerSlot &viewerSlot()
{
    static ViewerSlot slot;
    return slot;
}

CalibrationSlot &calibrationSlot()
{
    static CalibrationSlot slot;
    return slot;
}

SampleRateSlot &sampleRateSlot()
{
    static SampleRateSlot slot;
    return slot;
}
