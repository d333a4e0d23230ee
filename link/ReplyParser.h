#pragma once
// The reply parser: a state machine fed one received byte at a time (the main
// window's ComTerminal1Char forwards to feed()). It fills the shared state and
// writes into the main window through its sink, and into the viewer and the
// dialogs through their window slots: a window that is not open takes no
// write. It never throws.
//
// A reply is read only when it answers the request on the line (its letter is
// the one state.awaitedReply names, link/ReplyTurn.h). What a reply carries is
// held until the reply has come whole (its line feed; a stored record's 'C')
// and only then written, the line freed with it; a frame out of turn, a
// fragment or noise changes nothing and reaches no window, and is counted
// (droppedFrames). A reply whose request belongs to a sequence that has ended
// (state.replyDiscarded) frees the line and writes nothing.
//
// It does not let a malformed fragment blind it to the replies that follow:
// a ':' at the start of a line begins a new reply even in the states that
// skip up to a character of a stored record ('[', '=', 'C'), and so does any
// ':' while a record waits for its '['; a field that grows past fieldLimit
// bytes abandons its reply; a test or record count outside 0..countLimit
// counts as malformed (0), and so does a reading beyond the range of a double,
// which the gauges and the chart could not take.

#include "core/MainWindowSink.h"
#include "core/RecordColumn.h"
#include "core/SharedState.h"
#include "core/WindowSlots.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

class ReplyParser {
public:
    ReplyParser(SharedState &state, MainWindowSink &mainWindow, WindowSlots &windows)
        : s(state)
        , mainWindow(mainWindow)
        , windows(windows)
    {
    }

    void feed(char ch);
    void feed(QByteArrayView bytes);

    // Frames read and dropped since the start: out of turn, with a letter no
    // reply has, or cut short (by a line feed inside a stored record, a new
    // ':' or a field past fieldLimit). For diagnosis.
    uint64_t droppedFrames() const { return dropped; }

    // The most stored tests, or records of one test, a count may announce.
    // The meter holds a few thousand records; 100,000 is what the viewer, the
    // file and the export are sized and measured for. A larger count is noise.
    static constexpr int32_t countLimit = 100000;
    // The longest field of a well-formed reply is a number or a date of a few
    // bytes; one this long is not a reply any more.
    static constexpr size_t fieldLimit = 256;

    // The parser's states (SharedState::replyState). The numbers are the ones
    // traces and tests show: the hundreds name the reply, the units the field.
    enum State : int32_t {
        Idle = 0,        // waiting for the ':' that opens a reply
        Letter = 1,      // the reply letter decides the state
        UnitSet = 30,    // "U": the unit was set
        LiveWet = 100,   // "W"/"w": live values, wet up to 'D'
        LiveDry = 101,   // dry up to 'G'
        LiveGlobe = 102, // globe up to the line feed
        MaxWet = 110,    // "G"/"g": maxima
        MaxDry = 111,
        MaxGlobe = 112,
        MinWet = 120, // "B"/"b": minima
        MinDry = 121,
        MinGlobe = 122,
        TestCount = 200,        // "T"
        SampleRate = 300,       // "I": unit '+' interval
        RecordCount = 400,      // "R"
        Acknowledged = 500,     // "i", "r", "t": read and dropped
        UnitAcknowledged = 600, // "u": read and dropped
        ClockSet = 700,         // "H"
        Erased = 800,           // "X": read and dropped
        OffsetSet = 900,        // "Z", "c", "z": read and dropped
        RecordOpen = 1000,      // "A": skips up to '['
        RecordNumber = 1001,    // up to ']'
        RecordDate = 1002,      // up to ' '
        RecordTime = 1003,      // up to ' '
        RecordWetTag = 1004,    // skips up to '='
        RecordWet = 1005,       // up to SOH
        RecordDryTag = 1006,
        RecordDry = 1007,
        RecordGlobeTag = 1008,
        RecordGlobe = 1009,
        RecordEnd = 1010, // skips up to 'C'
        Memory = 2000,    // "F": T total L free, up to CR
    };

private:
    // What the reply being read will write once it has come whole.
    struct Held {
        long double live[3] = {}; // "W": wet, dry, globe
        int liveRead = 0;         // how many of them the frame gave
        QString maxMin[3];        // "G"/"B": the label texts, wet, dry, globe
        int maxMinRead = 0;
        std::optional<bool> seconds; // "I": the unit before '+'
        std::optional<int> memoryTotal, memoryFree;
        std::string record[6]; // "A": register number, date, time, wet, dry, globe
    };

    void step(char ch);
    void letter(char ch);
    void lineEnd();
    void maxMinValue(char ch, char separator, State next);
    void holdMaxMin();
    void holdRecordField(int index, State next);
    void writeRecord();
    bool recordValue(RecordColumn column, const std::string &field, long double &target);
    void indexStep();
    void writeMaxMin();
    void writeLive();
    // Frees the line; false when the reply is to be dropped all the same.
    bool replyComplete();
    void dropFrame();

    SharedState &s;
    MainWindowSink &mainWindow;
    WindowSlots &windows;
    bool lineStart = true;        // the previous byte was a line feed
    bool frameFahrenheit = false; // the live-value letter was lower case
    Held held;
    uint64_t dropped = 0;
};
