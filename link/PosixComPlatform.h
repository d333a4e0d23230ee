#pragma once
// The serial port on Linux: termios in raw mode, poll() for the event wait
// with an eventfd as stop signal, exclusive opening that holds against root
// (TIOCEXCL plus flock), line errors from the driver's TIOCGICOUNT counters
// and modem lines through TIOCMGET. Devices that do not keep counters or
// modem lines (pseudo-terminals, some adapters) simply report none.
//
// A device that hangs up while open (a USB adapter pulled, a pseudo-terminal
// whose other side closed) is reported once as an I/O error and never polled
// again; closing it then succeeds.

#include "link/ComPlatform.h"

class PosixComPlatform : public ComPlatform {
public:
    // Where the COM names are looked up (see PortNames.h); empty means the
    // program's settings file, read again at every open.
    explicit PosixComPlatform(QString settingsPath = {}, QString devDir = QStringLiteral("/dev"));

    std::unique_ptr<ComDevice> open(const QString &portName, int &error) override;

    // Opens a device by its path, without the COM-name lookup.
    static std::unique_ptr<ComDevice> openPath(const QString &path, int &error);

private:
    QString settingsPath;
    QString devDir;
};
