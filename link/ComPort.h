#pragma once
// TCustomComPort / TComPort: the serial port object. Settings, the port-name
// rule, opening and closing with their events, writing, the registered links
// and the processing of the event thread's batches on the GUI thread.
//
// Events are plain callbacks, all called on the thread the port lives in:
// OnAfterOpen(Sender), OnAfterClose(Sender), OnError(Sender, Errors).
// Every failing operation raises EComPort.

#include "link/ComEvents.h"
#include "link/ComGathering.h"
#include "link/ComLink.h"
#include "link/ComPlatform.h"
#include "link/ComPortError.h"
#include "link/ComPortSettings.h"
#include "link/ReplyLengths.h"

#include <QByteArray>
#include <QList>
#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

class TComThread;
struct ComBatch;

class TCustomComPort : public QObject {
    Q_OBJECT
public:
    // Without a platform the port uses the operating system's.
    explicit TCustomComPort(QObject *parent = nullptr, std::shared_ptr<ComPlatform> platform = {});
    ~TCustomComPort() override;

    // The port name, normalised by the port-name rule ("3" -> "COM3", anything
    // outside 1..96 -> "COM1"). A different name while open closes the port
    // and opens it again on the new name.
    QString Port() const { return portName; }
    void setPort(const QString &text);

    // Assigning true opens, false closes; the current value changes nothing.
    bool Connected() const { return connected; }
    void setConnected(bool value);
    void Open() { setConnected(true); }
    void Close() { setConnected(false); }

    // Writes the bytes as one request and returns the count written; a write
    // ended by the write time-out returns the shorter count.
    int32_t SendText(const QByteArray &text);

    void RegisterLink(TComLink *link);
    void UnRegisterLink(TComLink *link);

    std::function<void(QObject *sender)> OnAfterOpen;
    std::function<void(QObject *sender)> OnAfterClose;
    std::function<void(QObject *sender, TComErrors errors)> OnError;
    // Received bytes when no registered link takes them: the count, the
    // handler reads. Without a handler such bytes are discarded.
    std::function<void(QObject *sender, int count)> OnRxChar;
    std::function<void(QObject *sender, const char *buffer, int count)> OnRxBuf;

    TBaudRate BaudRate() const { return baudRate; }
    void setBaudRate(TBaudRate value);
    uint32_t CustomBaudRate() const { return customBaudRate; }
    void setCustomBaudRate(uint32_t value);
    TDataBits DataBits() const { return dataBits; }
    void setDataBits(TDataBits value);
    TStopBits StopBits() const { return stopBits; }
    void setStopBits(TStopBits value);
    bool DiscardNull() const { return discardNull; }
    void setDiscardNull(bool value);
    char EventChar() const { return eventChar; }
    void setEventChar(char value);
    // Takes effect at the next opening.
    TComEvents Events() const { return events; }
    void setEvents(TComEvents value) { events = value; }
    TSyncMethod SyncMethod() const { return TSyncMethod::smThreadSync; }

    TComParity &Parity() { return parity; }
    TComFlowControl &FlowControl() { return flowControl; }
    TComTimeouts &Timeouts() { return timeouts; }
    TComBuffer &Buffer() { return buffer; }
    // Takes effect at the next opening.
    ComGathering &Gathering() { return gathering; }
    const TComParity &Parity() const { return parity; }
    const TComFlowControl &FlowControl() const { return flowControl; }
    const TComTimeouts &Timeouts() const { return timeouts; }
    const TComBuffer &Buffer() const { return buffer; }

    // What the settings mean to the device.
    ComLineSettings lineSettings() const;
    ComTimeoutValues timeoutValues() const;

    // Re-apply a setting group to the open device.
    void applyLineSettings();
    void applyTimeouts();
    void applyQueueSizes();

private:
    friend class TComThread;

    void openPort();
    void closePort();
    void releaseDevice() noexcept;
    void tellLinks(bool opened);

    // One batch of line events, on the GUI thread. False when an error
    // ended it; the event thread then ends.
    bool processBatch(const ComBatch &batch) noexcept;
    void processSteps(const ComBatch &batch, quint64 generation);
    void checkLineErrors(uint32_t flags);
    // The receive step: reads on this thread, unless the event thread has.
    void receive();
    void receiveReadAhead(const ComBatch &batch, quint64 generation);
    void handToLinks(const QByteArray &bytes);
    void readModemLines();
    bool stillOpen(quint64 generation) const;

    std::shared_ptr<ComPlatform> platform;
    std::unique_ptr<ComDevice> device;
    std::unique_ptr<TComThread> thread;
    QString portName = QStringLiteral("COM1");
    bool connected = false;
    bool closing = false;
    quint64 openCount = 0; // tells one opening from the next
    QList<TComLink *> links;
    // Some link takes received bytes: the event thread then reads them.
    // Written on the GUI thread, read by the event thread.
    std::atomic<bool> linksTakeBytes = false;

    TBaudRate baudRate = br19200;
    uint32_t customBaudRate = 19200;
    TDataBits dataBits = dbEight;
    TStopBits stopBits = sbOneStopBit;
    bool discardNull = false;
    char eventChar = 0;
    TComEvents events = allComEvents();
    TComParity parity{*this};
    TComFlowControl flowControl{*this};
    TComTimeouts timeouts{*this};
    TComBuffer buffer{*this};
    ComGathering gathering;
    ReplyLengths replyLengths;
};

class TComPort : public TCustomComPort {
    Q_OBJECT
public:
    using TCustomComPort::TCustomComPort;
};
