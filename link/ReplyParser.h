#pragma once
// The reply parser: a state machine fed one received byte at a time (the main
// window's ComTerminal1Char forwards to feed()). It fills the shared state and
// writes into the main window through its sink, and into the viewer and the
// dialogs through their window slots: a window that is not open takes no
// write. It never throws.

#include "core/MainWindowSink.h"
#include "core/SharedState.h"
#include "core/WindowSlots.h"

#include <QByteArrayView>

class ReplyParser {
public:
    ReplyParser(SharedState &state, MainWindowSink &mainWindow, WindowSlots &windows)
        : s(state), mainWindow(mainWindow), windows(windows)
    {
    }

    void feed(char ch);
    void feed(QByteArrayView bytes);

    // The parser's states (SharedState::replyState). The numbers are the ones
    // traces and tests show: the hundreds name the reply, the units the field.
    enum State : int32_t {
        Idle = 0,             // waiting for the ':' that opens a reply
        Letter = 1,           // the reply letter decides the state
        UnitSet = 30,         // "U": the unit was set
        LiveWet = 100,        // "W"/"w": live values, wet up to 'D'
        LiveDry = 101,        // dry up to 'G'
        LiveGlobe = 102,      // globe up to the line feed
        MaxWet = 110,         // "G"/"g": maxima
        MaxDry = 111,
        MaxGlobe = 112,
        MinWet = 120,         // "B"/"b": minima
        MinDry = 121,
        MinGlobe = 122,
        TestCount = 200,      // "T"
        SampleRate = 300,     // "I": unit '+' interval
        RecordCount = 400,    // "R"
        Acknowledged = 500,   // "i", "r", "t": read and dropped
        UnitAcknowledged = 600, // "u": read and dropped
        ClockSet = 700,       // "H"
        Erased = 800,         // "X": read and dropped
        OffsetSet = 900,      // "Z", "c", "z": read and dropped
        RecordOpen = 1000,    // "A": skips up to '['
        RecordNumber = 1001,  // up to ']'
        RecordDate = 1002,    // up to ' '
        RecordTime = 1003,    // up to ' '
        RecordWetTag = 1004,  // skips up to '='
        RecordWet = 1005,     // up to SOH
        RecordDryTag = 1006,
        RecordDry = 1007,
        RecordGlobeTag = 1008,
        RecordGlobe = 1009,
        RecordEnd = 1010,     // skips up to 'C'
        Memory = 2000,        // "F": T total L free, up to CR
    };

private:
    void step(char ch);
    bool recordValue(int column, long double &target, int series);
    void indexStep();
    void maxMinValue(char ch, char separator, MaxMinLabel label, State next);
    void calibrationReading(int editNumber, long double value);

    SharedState &s;
    MainWindowSink &mainWindow;
    WindowSlots &windows;
};
