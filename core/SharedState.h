#pragma once
// The shared state of the client: one record, one instance for the whole run.
// Every part of the program reads and writes these plain variables on the
// user-interface thread; nothing here is locked.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string>

struct SharedState {
    // Reply parser
    int32_t replyState = 0;        // 0 = waiting for the ':' that opens a reply
    std::string replyField;        // characters of the field being collected (single bytes)
    bool readyToSend = true;       // the link is free for the next request
    // The reply letter the request on the line waits for ('W' for "@M", 'R'
    // for "@R" n ...); 0 while the line is free. Only that reply frees it.
    char awaitedReply = 0;
    // The awaited reply answers a request whose sequence has since ended: it
    // still frees the line, and fills nothing.
    bool replyDiscarded = false;
    int32_t fahrenheitUnit = 0;    // unit of the last reading reply: 0 °C, 1 °F
    int32_t replyTimeoutMs = 3000; // a request unanswered this long is given up ("TempoResposta")

    // Port
    int32_t portNumber = 0;      // 1 = COM1 ...; stored as "Porta"
    int32_t portSearchState = 0; // step of the port search (0, 1, 2)

    // Live readings, in the meter's unit
    long double wetReading = 0.0L;
    long double dryReading = 0.0L;
    long double globeReading = 0.0L;

    // Polling scheduler
    int32_t pollIndex = 0;       // next live request: 0 @M, 1 @G, 2 @B
    bool sequenceActive = false; // a request sequence is running
    int32_t downloadStep = 0;    // its current step

    // Test list and download bookkeeping
    int32_t testIndex = 0;
    int32_t recordIndex = 0;
    int32_t testCount = 0;
    int32_t recordCount = 0;
    int32_t viewerRecordCount = 0;
    // Stored records of the download in progress whose register number was
    // not above the one before (a record repeated or out of order), and the
    // last register number read (-1: none yet, or not a number).
    int32_t recordsOutOfOrder = 0;
    int64_t lastRegisterNumber = -1;
    long double recordWet = 0.0L;
    long double recordDry = 0.0L;
    long double recordGlobe = 0.0L;

    // Access
    QString userPassword;
};

// The one instance the program uses. Logic classes take a SharedState& so
// tests can hand them a record of their own.
SharedState &shared();
