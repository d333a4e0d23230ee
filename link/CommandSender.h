#pragma once
// The one road by which a command reaches the meter. The port selection
// implements it (nothing is written while the port is closed; a failed write
// closes the port); dialogs and menu commands hold a reference to it, tests a
// recording fake.

#include <QByteArray>

class CommandSender {
public:
    virtual ~CommandSender() = default;
    // One complete command, "\r\n" included.
    virtual void sendCommand(const QByteArray &command) = 0;
};
