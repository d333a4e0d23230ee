#include "link/ComPort.h"

#include "core/AssignIfChanged.h"
#include "link/ComThread.h"
#include "link/PortNames.h"

#include <QDebug>

#include <algorithm>

#include <cerrno>

namespace {

uint32_t baudValue(TBaudRate rate, uint32_t custom)
{
    static const uint32_t values[] = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                                      14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
    return rate == brCustom ? custom : values[rate];
}

// The codes of failures of the device itself while a batch is processed.
bool isDeviceFailure(int code)
{
    return code == CError_ReadFailed || code == CError_ClearComFailed || code == CError_ModemStatFailed;
}

} // namespace

TCustomComPort::TCustomComPort(QObject *parent, std::shared_ptr<ComPlatform> platform)
    : QObject(parent)
    , platform(platform ? std::move(platform) : defaultComPlatform())
{
}

TCustomComPort::~TCustomComPort()
{
    if (!connected)
        return;
    try {
        closePort();
    } catch (const std::exception &e) {
        qWarning("Serial port closed with an error: %s", e.what());
    } catch (...) {
        qWarning("Serial port closed with an unknown error");
    }
    releaseDevice();
}

void TCustomComPort::setPort(const QString &text)
{
    assignIfChanged(portName, normalisePortName(text), [this] {
        if (connected) {
            closePort();
            openPort();
        }
    });
}

void TCustomComPort::setConnected(bool value)
{
    // A close already under way (its handlers may ask again) finishes alone.
    if (value == connected || closing)
        return;
    if (value)
        openPort();
    else
        closePort();
}

void TCustomComPort::openPort()
{
    int error = 0;
    std::unique_ptr<ComDevice> opened = platform->open(portName, error);
    if (!opened)
        throw EComPort(CError_OpenFailed, error);
    device = std::move(opened);
    connected = true;
    ++openCount;
    try {
        applyQueueSizes();
        applyLineSettings();
        applyTimeouts();
    } catch (...) {
        releaseDevice();
        throw;
    }
    replyLengths.restart();
    if (events) {
        // A byte on the line: start, data and stop bits.
        ComGathering lineGathering = gathering;
        const uint32_t baud = baudValue(baudRate, customBaudRate);
        if (baud > 0)
            lineGathering.byteTime = std::chrono::microseconds((2 + 5 + int(dataBits)) * 1000000LL / baud);
        thread = std::make_unique<TComThread>(*this, *device, eventsToMask(events), lineGathering);
    }
    const quint64 generation = openCount;
    tellLinks(true);
    if (OnAfterOpen)
        OnAfterOpen(this);
    if (stillOpen(generation))
        readModemLines();
}

void TCustomComPort::closePort()
{
    closing = true;
    struct Reset {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{closing};

    if (int e = device->purge(Purge::TxAbort | Purge::RxAbort))
        throw EComPort(CError_PurgeFailed, e);
    if (thread) {
        thread->stop();
        thread.reset();
    }
    if (int e = device->close())
        qWarning("Closing the serial device failed: errno %d", e);
    device.reset();
    connected = false;
    tellLinks(false);
    if (OnAfterClose)
        OnAfterClose(this);
}

// Lets go of the device without events: after a failed opening, and when the
// port is destroyed while a close fails.
void TCustomComPort::releaseDevice() noexcept
{
    if (thread) {
        thread->stop();
        thread.reset();
    }
    if (device) {
        device->close();
        device.reset();
    }
    connected = false;
}

void TCustomComPort::tellLinks(bool opened)
{
    const QList<TComLink *> current = links;
    for (TComLink *link : current)
        if (link->OnConn)
            link->OnConn(this, opened);
}

int32_t TCustomComPort::SendText(const QByteArray &text)
{
    if (!device)
        throw EComPort(CError_WriteFailed, EBADF);
    uint32_t written = 0;
    const int replyBytes = replyLengths.written(text);
    if (thread)
        thread->expectReply(replyBytes);
    if (int e = device->write(text.constData(), uint32_t(text.size()), written))
        throw EComPort(CError_WriteFailed, e);
    return int32_t(written);
}

void TCustomComPort::RegisterLink(TComLink *link)
{
    if (links.contains(link))
        throw EComPort(CError_RegFailed);
    links.append(link);
    linksTakeBytes =
        std::any_of(links.cbegin(), links.cend(), [](const TComLink *l) { return l->takesReceivedBytes(); });
}

void TCustomComPort::UnRegisterLink(TComLink *link)
{
    if (!links.removeOne(link))
        throw EComPort(CError_RegFailed);
    linksTakeBytes =
        std::any_of(links.cbegin(), links.cend(), [](const TComLink *l) { return l->takesReceivedBytes(); });
}

ComLineSettings TCustomComPort::lineSettings() const
{
    ComLineSettings s;
    s.baudRate = baudValue(baudRate, customBaudRate);
    s.byteSize = uint8_t(5 + dataBits);
    s.parity = uint8_t(parity.Bits());
    s.stopBits = uint8_t(stopBits);
    s.xonLimit = s.xoffLimit = uint16_t(buffer.InputSize() / 4);
    s.xonChar = flowControl.XonChar();
    s.xoffChar = flowControl.XoffChar();
    s.eventChar = eventChar;

    using namespace LineFlag;
    s.flags = Binary;
    if (parity.Check()) {
        s.flags |= LineFlag::Parity;
        if (parity.Replace()) {
            s.flags |= ErrorChar;
            s.errorChar = parity.ReplaceChar();
        }
    }
    if (flowControl.OutCTSFlow())
        s.flags |= OutxCtsFlow;
    if (flowControl.OutDSRFlow())
        s.flags |= OutxDsrFlow;
    s.flags |= uint32_t(flowControl.ControlDTR()) << 4;
    if (flowControl.DSRSensitivity())
        s.flags |= DsrSensitivity;
    if (flowControl.TxContinueOnXoff())
        s.flags |= TxContinueOnXoff;
    if (flowControl.XonXoffOut())
        s.flags |= OutX;
    if (flowControl.XonXoffIn())
        s.flags |= InX;
    if (discardNull)
        s.flags |= Null;
    s.flags |= uint32_t(flowControl.ControlRTS()) << 12;
    return s;
}

ComTimeoutValues TCustomComPort::timeoutValues() const
{
    return {timeouts.ReadInterval(), timeouts.ReadTotalMultiplier(), timeouts.ReadTotalConstant(),
            timeouts.WriteTotalMultiplier(), timeouts.WriteTotalConstant()};
}

void TCustomComPort::applyLineSettings()
{
    if (int e = device->setLineSettings(lineSettings()))
        throw EComPort(CError_SetStateFailed, e);
}

void TCustomComPort::applyTimeouts()
{
    if (int e = device->setTimeouts(timeoutValues()))
        throw EComPort(CError_TimeoutsFailed, e);
}

void TCustomComPort::applyQueueSizes()
{
    if (int e = device->setQueueSizes(buffer.InputSize(), buffer.OutputSize()))
        throw EComPort(CError_SetupComFailed, e);
}

void TCustomComPort::setBaudRate(TBaudRate value)
{
    baudRate = value;
    if (connected)
        applyLineSettings();
}

void TCustomComPort::setCustomBaudRate(uint32_t value)
{
    customBaudRate = value;
    if (connected && baudRate == brCustom)
        applyLineSettings();
}

void TCustomComPort::setDataBits(TDataBits value)
{
    dataBits = value;
    if (connected)
        applyLineSettings();
}

void TCustomComPort::setStopBits(TStopBits value)
{
    stopBits = value;
    if (connected)
        applyLineSettings();
}

void TCustomComPort::setDiscardNull(bool value)
{
    discardNull = value;
    if (connected)
        applyLineSettings();
}

void TCustomComPort::setEventChar(char value)
{
    eventChar = value;
    if (connected)
        applyLineSettings();
}

bool TCustomComPort::stillOpen(quint64 generation) const
{
    return connected && device && openCount == generation;
}

bool TCustomComPort::processBatch(const ComBatch &batch) noexcept
{
    const quint64 generation = openCount;
    if (!stillOpen(generation))
        return false;
    try {
        processSteps(batch, generation);
        return true;
    } catch (const EComPort &e) {
        if (!isDeviceFailure(e.Code()))
            qWarning("Serial event handling ended: %s", e.what());
        else if (stillOpen(generation) && OnError) {
            // The device cannot be read any more. Rather than leave the link
            // open and silent, report it the way a line error is reported,
            // so the owner closes it.
            try {
                OnError(this, TComErrors(ceIO));
            } catch (const std::exception &inner) {
                qWarning("Serial error handler failed: %s", inner.what());
            }
        }
    } catch (const std::exception &e) {
        qWarning("Serial event handling ended: %s", e.what());
    } catch (...) {
        qWarning("Serial event handling ended by an unknown error");
    }
    return false;
}

// The steps of a batch in their fixed order. Each step runs only while the
// port is still the one that was open when the batch began: a handler may
// close it.
void TCustomComPort::processSteps(const ComBatch &batch, quint64 generation)
{
    const TComEvents events = batch.events;
    if (events.testFlag(evError)) {
        if (batch.readAhead) {
            if (batch.errorStepFailure)
                throw EComPort(batch.errorStepFailure.code, batch.errorStepFailure.error);
            checkLineErrors(batch.errorFlags);
        } else {
            ComStatus st;
            if (int e = device->status(st))
                throw EComPort(CError_ClearComFailed, e);
            checkLineErrors(st.errors);
        }
    }
    if (events.testFlag(evRxChar) && stillOpen(generation)) {
        if (batch.readAhead)
            receiveReadAhead(batch, generation);
        else
            receive();
    }
    // evTxEmpty, evBreak, evRing: their events are not used.
    for (TComEvent modemEvent : {evCTS, evDSR})
        if (events.testFlag(modemEvent) && stillOpen(generation))
            readModemLines();
    // evRxFlag: not used.
    if (events.testFlag(evRLSD) && stillOpen(generation))
        readModemLines();
    // evRx80Full: nothing acts on it.
}

void TCustomComPort::checkLineErrors(uint32_t flags)
{
    const TComErrors errors = flagsToErrors(flags, parity.Check());
    if (errors && OnError)
        OnError(this, errors);
}

void TCustomComPort::receiveReadAhead(const ComBatch &batch, quint64 generation)
{
    if (batch.receiveFailure)
        throw EComPort(batch.receiveFailure.code, batch.receiveFailure.error);
    if (!batch.bytes.isEmpty())
        handToLinks(batch.bytes);
    // The status read clears the error flags: errors that came with these
    // bytes are reported rather than lost.
    if (batch.receiveErrorFlags && stillOpen(generation))
        checkLineErrors(batch.receiveErrorFlags);
}

void TCustomComPort::receive()
{
    const quint64 generation = openCount;
    ComStatus st;
    if (int e = device->status(st))
        throw EComPort(CError_ClearComFailed, e);
    if (st.inQueue > 0) {
        if (linksTakeBytes || !OnRxChar) {
            QByteArray bytes(qsizetype(st.inQueue), Qt::Uninitialized);
            uint32_t got = 0;
            if (int e = device->read(bytes.data(), st.inQueue, got))
                throw EComPort(CError_ReadFailed, e);
            bytes.truncate(got);
            if (got > 0 && linksTakeBytes)
                handToLinks(bytes);
        } else {
            OnRxChar(this, int(st.inQueue));
        }
    }
    if (st.errors && stillOpen(generation))
        checkLineErrors(st.errors);
}

// OnRxBuf, then the links in registration order. A link that a handler
// unregisters meanwhile gets nothing more.
void TCustomComPort::handToLinks(const QByteArray &bytes)
{
    replyLengths.received(bytes.size());
    const int count = int(bytes.size());
    if (OnRxBuf)
        OnRxBuf(this, bytes.constData(), count);
    const QList<TComLink *> current = links;
    for (TComLink *link : current)
        if (link->OnRxBuf && links.contains(link))
            link->OnRxBuf(this, bytes.constData(), count);
}

void TCustomComPort::readModemLines()
{
    ComModemLines lines;
    if (int e = device->modemLines(lines))
        throw EComPort(CError_ModemStatFailed, e);
    // The CTS, DSR and RLSD change events are not used.
}
