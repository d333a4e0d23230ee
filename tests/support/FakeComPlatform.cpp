#include "FakeComPlatform.h"

#include "link/ComEvents.h"

#include <cstring>

void FakeFailures::insert(const QString &operation, int error)
{
    std::lock_guard lock(mutex);
    errors.insert(operation, error);
}

void FakeFailures::remove(const QString &operation)
{
    std::lock_guard lock(mutex);
    errors.remove(operation);
}

void FakeFailures::clear()
{
    std::lock_guard lock(mutex);
    errors.clear();
}

int FakeFailures::value(const QString &operation) const
{
    std::lock_guard lock(mutex);
    return errors.value(operation);
}

std::unique_ptr<ComDevice> FakeComPlatform::open(const QString &portName, int &error)
{
    record(QStringLiteral("open ") + portName);
    if (int e = failures.value(QStringLiteral("open"))) {
        error = e;
        return nullptr;
    }
    if (!present.isEmpty() && !present.contains(portName)) {
        error = ENOENT;
        return nullptr;
    }
    auto device = std::make_unique<FakeComDevice>(*this);
    std::lock_guard lock(mutex);
    current = device.get();
    return device;
}

QStringList FakeComPlatform::log() const
{
    std::lock_guard lock(mutex);
    return lines;
}

void FakeComPlatform::clearLog()
{
    std::lock_guard lock(mutex);
    lines.clear();
}

FakeComDevice *FakeComPlatform::device() const
{
    std::lock_guard lock(mutex);
    return current;
}

void FakeComPlatform::record(const QString &line)
{
    std::lock_guard lock(mutex);
    lines << line;
}

FakeComDevice::~FakeComDevice()
{
    std::lock_guard lock(platform.mutex);
    if (platform.current == this)
        platform.current = nullptr;
}

int FakeComDevice::step(const QString &call)
{
    platform.record(call);
    return platform.failures.value(call.section(QLatin1Char(' '), 0, 0));
}

int FakeComDevice::setQueueSizes(uint32_t input, uint32_t output)
{
    return step(QStringLiteral("setQueueSizes %1 %2").arg(input).arg(output));
}

int FakeComDevice::setLineSettings(const ComLineSettings &settings)
{
    lastLineSettings = settings;
    return step(QStringLiteral("setLineSettings"));
}

int FakeComDevice::setTimeouts(const ComTimeoutValues &timeouts)
{
    lastTimeouts = timeouts;
    return step(QStringLiteral("setTimeouts"));
}

int FakeComDevice::setEventMask(uint32_t mask)
{
    return step(QStringLiteral("setEventMask 0x%1").arg(mask, 0, 16));
}

ComWaitResult FakeComDevice::waitEvent(uint32_t &mask, std::chrono::microseconds timeout)
{
    std::unique_lock lock(mutex);
    const auto ready = [this] { return stopped || !events.empty(); };
    if (timeout.count() < 0)
        wake.wait(lock, ready);
    else if (!wake.wait_for(lock, timeout, ready))
        return ComWaitResult::TimedOut;
    if (stopped)
        return ComWaitResult::Stopped;
    mask = events.front();
    events.pop_front();
    return ComWaitResult::Event;
}

void FakeComDevice::raiseStop()
{
    {
        std::lock_guard lock(mutex);
        stopped = true;
    }
    wake.notify_all();
}

int FakeComDevice::status(ComStatus &st)
{
    if (int e = step(QStringLiteral("status")))
        return e;
    std::lock_guard lock(mutex);
    st.errors = errors;
    st.inQueue = uint32_t(input.size());
    errors = 0;
    return 0;
}

int FakeComDevice::modemLines(ComModemLines &lines)
{
    lines = {};
    return step(QStringLiteral("modemLines"));
}

int FakeComDevice::read(char *buffer, uint32_t count, uint32_t &got)
{
    got = 0;
    if (int e = step(QStringLiteral("read %1").arg(count)))
        return e;
    std::lock_guard lock(mutex);
    got = std::min<uint32_t>(count, uint32_t(input.size()));
    std::memcpy(buffer, input.constData(), got);
    input.remove(0, got);
    return 0;
}

int FakeComDevice::write(const char *buffer, uint32_t count, uint32_t &written)
{
    written = 0;
    if (int e = step(QStringLiteral("write %1").arg(count)))
        return e;
    written = writeLimit < 0 ? count : std::min<uint32_t>(count, uint32_t(writeLimit));
    std::lock_guard lock(mutex);
    output.append(buffer, written);
    return 0;
}

int FakeComDevice::purge(uint32_t what)
{
    return step(QStringLiteral("purge 0x%1").arg(what, 0, 16));
}

int FakeComDevice::close()
{
    return step(QStringLiteral("close"));
}

void FakeComDevice::raiseEvent(uint32_t mask)
{
    {
        std::lock_guard lock(mutex);
        events.push_back(mask);
    }
    wake.notify_all();
}

void FakeComDevice::receive(const QByteArray &bytes, bool raise)
{
    {
        std::lock_guard lock(mutex);
        input.append(bytes);
    }
    if (raise)
        raiseEvent(EventMask::RxChar);
}

void FakeComDevice::raiseErrors(uint32_t flags, bool raise)
{
    {
        std::lock_guard lock(mutex);
        errors |= flags;
    }
    if (raise)
        raiseEvent(EventMask::Err);
}

bool FakeComDevice::eventsTaken() const
{
    std::lock_guard lock(mutex);
    return events.empty();
}

QByteArray FakeComDevice::written() const
{
    std::lock_guard lock(mutex);
    return output;
}
