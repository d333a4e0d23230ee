#pragma once
// A scripted serial platform for unit tests of the port logic. Every call is
// logged as one line ("open COM3", "purge 0x3", ...); any operation can be
// made to fail with an error number; the test plays the device by queueing
// event masks, received bytes and error flags, which the port's event thread
// picks up exactly as from a real device.

#include "link/ComPlatform.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>

#include <condition_variable>
#include <deque>
#include <mutex>

class FakeComPlatform;

class FakeComDevice : public ComDevice {
public:
    explicit FakeComDevice(FakeComPlatform &platform) : platform(platform) {}
    ~FakeComDevice() override;

    int setQueueSizes(uint32_t input, uint32_t output) override;
    int setLineSettings(const ComLineSettings &settings) override;
    int setTimeouts(const ComTimeoutValues &timeouts) override;
    int setEventMask(uint32_t mask) override;
    ComWaitResult waitEvent(uint32_t &mask, std::chrono::microseconds timeout) override;
    void raiseStop() override;
    int status(ComStatus &status) override;
    int modemLines(ComModemLines &lines) override;
    int read(char *buffer, uint32_t count, uint32_t &got) override;
    int write(const char *buffer, uint32_t count, uint32_t &written) override;
    int purge(uint32_t what) override;
    int close() override;

    // Test side, any thread.
    void raiseEvent(uint32_t mask);
    // Queues bytes (error flags) and, unless told otherwise, raises evRxChar (evError).
    void receive(const QByteArray &bytes, bool raise = true);
    void raiseErrors(uint32_t flags, bool raise = true);
    // Every raised event has been taken by the event thread.
    bool eventsTaken() const;
    QByteArray written() const;

    ComLineSettings lastLineSettings;
    ComTimeoutValues lastTimeouts;
    // How many bytes a write takes before its time-out; -1 all.
    int writeLimit = -1;

private:
    int step(const QString &call);

    FakeComPlatform &platform;
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::deque<uint32_t> events;
    QByteArray input;
    QByteArray output;
    uint32_t errors = 0;
    bool stopped = false;
};

// Operation name ("open", "setLineSettings", "purge", ...) -> errno. The test
// sets it on its own thread while the port's event thread reads it (the purge
// after a failed batch), so every access takes the lock.
class FakeFailures {
public:
    void insert(const QString &operation, int error);
    void remove(const QString &operation);
    void clear();
    int value(const QString &operation) const;

    // failures["open"] = EACCES
    class Slot {
    public:
        Slot(FakeFailures &owner, QString operation) : owner(owner), operation(std::move(operation)) {}
        Slot &operator=(int error)
        {
            owner.insert(operation, error);
            return *this;
        }

    private:
        FakeFailures &owner;
        QString operation;
    };
    Slot operator[](const QString &operation) { return Slot(*this, operation); }

private:
    mutable std::mutex mutex;
    QHash<QString, int> errors; // guarded by mutex
};

class FakeComPlatform : public ComPlatform {
public:
    std::unique_ptr<ComDevice> open(const QString &portName, int &error) override;

    // Names that open; empty: every name opens.
    QStringList present;
    FakeFailures failures;

    QStringList log() const;
    void clearLog();
    // The device opened last, while it is open.
    FakeComDevice *device() const;

private:
    friend class FakeComDevice;
    void record(const QString &line);

    mutable std::mutex mutex;
    QStringList lines;
    FakeComDevice *current = nullptr;
};
