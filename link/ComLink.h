#pragma once
// TComLink: a consumer registered with a serial port. A link that has a
// receive-buffer callback takes every received byte; the port then reads the
// bytes itself and hands each buffer to the links in registration order.

#include <functional>

class QObject;

class TComLink {
public:
    // TRxBufEvent: sender, buffer, count.
    std::function<void(QObject *sender, const char *buffer, int count)> OnRxBuf;
    // The port opened (true) or closed (false).
    std::function<void(QObject *sender, bool opened)> OnConn;

    bool takesReceivedBytes() const { return bool(OnRxBuf); }
};
