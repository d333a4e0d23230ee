#pragma once
// The reply parser: a numeric state machine fed one received byte at a time
// (the main window's ComTerminal1Char forwards to feed()). It fills the shared
// state and writes through a ReplySink; it never throws.

#include "core/SharedState.h"
#include "link/ReplySink.h"

class ReplyParser {
public:
    ReplyParser(SharedState &state, ReplySink &sink) : s(state), sink(sink) {}

    void feed(char ch);
    void feed(QByteArrayView bytes);

    // Parser states worth naming outside.
    enum : int32_t { Idle = 0, Letter = 1 };

private:
    void step(char ch);
    bool recordValue(int column, long double &target, int series);
    void indexStep();
    void maxMinValue(char ch, char separator, int label, int32_t next);

    SharedState &s;
    ReplySink &sink;
};
