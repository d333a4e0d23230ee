#pragma once
// The one road by which a command reaches the meter. The port selection
// implements it (nothing is written while the port is closed; a failed write
// closes the port); the scheduler holds it, tests a recording fake. Menu
// commands and dialogs send through the scheduler's queue instead, which
// waits for a free line.

#include <QByteArray>

class CommandSender {
public:
    virtual ~CommandSender() = default;
    // Writes one complete command, "\r\n" included, and takes the line for its
    // reply (takeLine). False when nothing or not all of it was written: the
    // port is closed or the write failed.
    virtual bool sendCommand(const QByteArray &command) = 0;
};
