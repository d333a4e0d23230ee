#pragma once
// What the serial port needs from the operating system, and nothing more.
// The port logic (settings, open and close sequences, the event thread, batch
// processing) talks only to these two interfaces; the program uses the POSIX
// implementation, the unit tests a scripted fake.
//
// Every operation that can fail returns 0 on success or the platform error
// number (errno) of the failure.

#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>

// The line settings handed to the device when it opens.
struct ComLineSettings {
    uint32_t baudRate = 19200;
    uint8_t byteSize = 8; // 5..8
    uint8_t parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t stopBits = 0; // 0 one, 1 one and a half, 2 two
    uint32_t flags = 0;   // LineFlag bits
    uint16_t xonLimit = 0;
    uint16_t xoffLimit = 0;
    char xonChar = 0;
    char xoffChar = 0;
    char errorChar = 0;
    char eofChar = 0;
    char eventChar = 0;
};

namespace LineFlag {
constexpr uint32_t Binary = 0x1, Parity = 0x2, OutxCtsFlow = 0x4, OutxDsrFlow = 0x8, DtrControlMask = 0x30,
                   DtrEnable = 0x10, DtrHandshake = 0x20, DsrSensitivity = 0x40, TxContinueOnXoff = 0x80, OutX = 0x100,
                   InX = 0x200, ErrorChar = 0x400, Null = 0x800, RtsControlMask = 0x3000, RtsEnable = 0x1000,
                   RtsHandshake = 0x2000, RtsToggle = 0x3000;
}

// Time-outs in milliseconds. A read interval of all bits set with both read
// totals 0 makes a read return at once with the bytes already queued. A write
// ends after at most WriteTotalConstant + WriteTotalMultiplier per byte
// (both 0: no limit).
struct ComTimeoutValues {
    uint32_t readInterval = 0;
    uint32_t readTotalMultiplier = 0;
    uint32_t readTotalConstant = 0;
    uint32_t writeTotalMultiplier = 0;
    uint32_t writeTotalConstant = 0;
};

struct ComStatus {
    uint32_t errors = 0;  // ErrorFlag bits raised since the previous status read
    uint32_t inQueue = 0; // bytes waiting to be read
};

struct ComModemLines {
    bool cts = false;
    bool dsr = false;
    bool rlsd = false;
};

enum class ComWaitResult {
    Event,    // a device event; the mask says which
    Stopped,  // the stop signal is set
    Failed,   // the wait ended without a usable result; wait again
    TimedOut, // nothing within the time the wait was given
};

// One open device. Destroying it releases the device if close() was not
// called. All calls come from the thread that opened it, except waitEvent
// (the event thread), status and read (either thread, one at a time: the
// event thread reads while some link takes the bytes, the opening thread
// otherwise) and raiseStop (any thread).
class ComDevice {
public:
    virtual ~ComDevice() = default;

    virtual int setQueueSizes(uint32_t input, uint32_t output) = 0;
    virtual int setLineSettings(const ComLineSettings &settings) = 0;
    virtual int setTimeouts(const ComTimeoutValues &timeouts) = 0;
    // Which events end a wait (EventMask bits); 0 ends a pending wait.
    virtual int setEventMask(uint32_t mask) = 0;

    // Blocks until the stop signal or one of the masked events, or until
    // timeout has passed (negative: no limit). Once the stop signal is raised
    // every wait returns Stopped at once.
    virtual ComWaitResult waitEvent(uint32_t &mask, std::chrono::microseconds timeout) = 0;
    virtual void raiseStop() = 0;

    // Returns and clears the error flags; gives the input queue's count.
    virtual int status(ComStatus &status) = 0;
    virtual int modemLines(ComModemLines &lines) = 0;
    // Reads up to count bytes within the read time-outs.
    virtual int read(char *buffer, uint32_t count, uint32_t &got) = 0;
    // Writes the bytes within the write time-outs; a time-out is no error,
    // written then tells how far the write came.
    virtual int write(const char *buffer, uint32_t count, uint32_t &written) = 0;
    // Purge bits: abort pending transfers, or discard queued bytes.
    virtual int purge(uint32_t what) = 0;
    virtual int close() = 0;
};

class ComPlatform {
public:
    virtual ~ComPlatform() = default;

    // Opens the port with the given name ("COM1".."COM96") exclusively for
    // reading and writing. Null and the error number on failure.
    virtual std::unique_ptr<ComDevice> open(const QString &portName, int &error) = 0;
};

// The platform the program runs on.
std::shared_ptr<ComPlatform> defaultComPlatform();
