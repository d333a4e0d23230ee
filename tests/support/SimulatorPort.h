#pragma once
// A bare serial client for talking to vestara-sim in tests: opens the device
// path raw, writes requests and reads the meter's frames with a time limit.
// It shares nothing with the client's own link, so a fault in one cannot hide
// a fault in the other.

#include <QByteArray>
#include <QString>

class SimulatorPort {
public:
    SimulatorPort() = default;
    ~SimulatorPort();
    SimulatorPort(const SimulatorPort &) = delete;
    SimulatorPort &operator=(const SimulatorPort &) = delete;

    bool open(const QString &devicePath);
    void close();
    bool isOpen() const { return fd >= 0; }
    int descriptor() const { return fd; }

    bool write(const QByteArray &bytes);

    // The next whole frame: from ":" up to its line feed, or for a stored
    // record (":A") up to the "C" after its third value. Bytes before the ":"
    // are skipped and kept in skipped(). Empty when no whole frame came in
    // time; what did come stays buffered for the next read.
    QByteArray readFrame(int timeoutMs = 2000);
    // Writes the request and reads the frame that answers it.
    QByteArray ask(const QByteArray &request, int timeoutMs = 2000);
    // Everything that arrives within the time.
    QByteArray readFor(int ms);
    // Exactly `count` bytes, or fewer when the time runs out.
    QByteArray readBytes(int count, int timeoutMs);

    QByteArray skipped() const { return skippedBytes; }
    // Whether the line reported a hang-up (the device went away).
    bool hungUp() const { return hangUp; }

private:
    // Reads what is available within `ms`; false on time-out or hang-up.
    bool fill(int ms);
    qsizetype frameEnd() const;

    int fd = -1;
    QByteArray buffer;
    QByteArray skippedBytes;
    bool hangUp = false;
};
