#pragma once
// The meter's end of the serial line: a pseudo-terminal whose slave device the
// client opens as its port.
//
// The simulator keeps one descriptor of the slave open itself (and never reads
// from it), so the master does not report a hang-up every time the client
// closes the port, and the line keeps its raw settings between clients. A
// client that opened the port exclusively (TIOCEXCL) would leave that flag on
// the device after it closes, because the device itself stays open here; a
// real port loses it on its last close, so clientGone() clears it.

#include <chrono>
#include <string>

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    // Creates the pair in raw mode, the master non-blocking. Throws
    // std::system_error when the system refuses.
    void open();

    int master() const { return masterFd; }
    const std::string &slavePath() const { return path; }

    // Whether a client still holds the device open. Found out by letting go
    // of our own descriptor for a moment: the master reports a hang-up exactly
    // when no other descriptor of the slave is left. A client's exclusive flag
    // survives the check.
    bool clientPresent();

    // The client has gone: unread replies and unanswered requests are
    // discarded (a new client must not read an old answer) and the exclusive
    // flag is cleared.
    void clientGone();

    // Waits, at most `limit`, until the client has read everything sent.
    void waitUntilRead(std::chrono::milliseconds limit);

    // Drops the line: both ends close, and a client reading the port sees
    // the hang-up.
    void close();

private:
    void openHolder();

    int masterFd = -1;
    int holderFd = -1;
    std::string path;
};
