#include "link/PosixComPlatform.h"

#include "core/SettingsLocation.h"
#include "link/ComEvents.h"
#include "link/PortNames.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <mutex>
#include <optional>

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Errors by which an ioctl says "this device has no such thing".
bool notSupported(int error)
{
    return error == ENOTTY || error == EINVAL;
}

// Errors by which a call says the device is gone.
bool deviceGone(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV;
}

speed_t speedFor(uint32_t baud)
{
    static const std::pair<uint32_t, speed_t> speeds[] = {
        {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
        {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
        {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
        {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
        {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
        {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
    };
    for (const auto &s : speeds)
        if (s.first == baud)
            return s.second;
    return B0;
}

// Milliseconds left until a deadline, for poll(); -1 without a deadline.
int remainingMs(const std::optional<Clock::time_point> &deadline)
{
    if (!deadline)
        return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now());
    return int(std::clamp<long long>(left.count(), 0, INT_MAX));
}

std::optional<Clock::time_point> deadlineAfter(uint64_t ms)
{
    if (ms == 0)
        return std::nullopt;
    return Clock::now() + std::chrono::milliseconds(ms);
}

class PosixComDevice : public ComDevice {
public:
    PosixComDevice(int fd, int stopFd) : fd(fd), stopFd(stopFd)
    {
        serial_icounter_struct counts{};
        if (ioctl(fd, TIOCGICOUNT, &counts) == 0) {
            haveCounts = true;
            lastCounts = counts;
        }
    }

    ~PosixComDevice() override
    {
        close();
        if (stopFd >= 0)
            ::close(stopFd);
    }

    int setQueueSizes(uint32_t, uint32_t) override
    {
        // The kernel sizes its own queues; the request is only advice.
        return fd < 0 ? EBADF : 0;
    }

    int setLineSettings(const ComLineSettings &s) override;

    int setTimeouts(const ComTimeoutValues &t) override
    {
        std::lock_guard lock(mutex);
        timeouts = t;
        return 0;
    }

    int setEventMask(uint32_t mask) override
    {
        eventMask = mask;
        return 0;
    }

    ComWaitResult waitEvent(uint32_t &mask, std::chrono::microseconds timeout) override;

    void raiseStop() override
    {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(stopFd, &one, sizeof one);
    }

    int status(ComStatus &st) override;
    int modemLines(ComModemLines &lines) override;
    int read(char *buffer, uint32_t count, uint32_t &got) override;
    int write(const char *buffer, uint32_t count, uint32_t &written) override;
    int purge(uint32_t what) override;
    int close() override;

private:
    // Adds the errors the driver counted since the last look to pendingErrors.
    void collectLineErrors();
    void markGone()
    {
        std::lock_guard lock(mutex);
        gone = true;
        pendingErrors |= ErrorFlag::IO;
    }

    int fd;
    int stopFd;
    std::atomic<uint32_t> eventMask{0};
    std::atomic<bool> discardNull{false};

    std::mutex mutex; // guards what follows: the event thread and the GUI thread both look
    ComTimeoutValues timeouts;
    bool gone = false;
    bool haveCounts = false;
    serial_icounter_struct lastCounts{};
    uint32_t pendingErrors = 0;
};

int PosixComDevice::setLineSettings(const ComLineSettings &s)
{
    using namespace LineFlag;
    // What termios cannot express is refused rather than silently ignored.
    const uint32_t unsupported = OutxDsrFlow | DtrHandshake | DsrSensitivity | ErrorChar;
    if (s.flags & unsupported || !(s.flags & Binary) || (s.flags & RtsControlMask) == RtsToggle)
        return EINVAL;
    const speed_t speed = speedFor(s.baudRate);
    if (speed == B0 || s.byteSize < 5 || s.byteSize > 8 || s.parity > 4 || s.stopBits > 2)
        return EINVAL;

    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return errno;
    cfmakeraw(&tio);
    tio.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD;
    const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= sizes[s.byteSize - 5];
    switch (s.parity) {
    case 1: tio.c_cflag |= PARENB | PARODD; break;
    case 2: tio.c_cflag |= PARENB; break;
    case 3: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 4: tio.c_cflag |= PARENB | CMSPAR; break;
    }
    if (s.stopBits != 0)
        tio.c_cflag |= CSTOPB;
    if (s.flags & Parity)
        tio.c_iflag |= INPCK;
    if (s.flags & (OutxCtsFlow | RtsHandshake))
        tio.c_cflag |= CRTSCTS;
    if (s.flags & OutX)
        tio.c_iflag |= IXON;
    if (s.flags & InX)
        tio.c_iflag |= IXOFF;
    if (!(s.flags & TxContinueOnXoff) && (s.flags & OutX))
        tio.c_iflag &= ~tcflag_t(IXANY);
    tio.c_cc[VSTART] = cc_t(s.xonChar);
    tio.c_cc[VSTOP] = cc_t(s.xoffChar);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        return errno;
    discardNull = (s.flags & Null) != 0;

    // DTR and RTS: held active or inactive as asked; handshake lines are
    // left to the driver. Devices without modem lines have nothing to set.
    auto setLine = [this](int line, bool active) {
        if (ioctl(fd, active ? TIOCMBIS : TIOCMBIC, &line) != 0 && !notSupported(errno))
            return errno;
        return 0;
    };
    if ((s.flags & DtrControlMask) != DtrHandshake)
        if (int e = setLine(TIOCM_DTR, (s.flags & DtrControlMask) == DtrEnable))
            return e;
    if ((s.flags & RtsControlMask) != RtsHandshake)
        if (int e = setLine(TIOCM_RTS, (s.flags & RtsControlMask) == RtsEnable))
            return e;
    return 0;
}

void PosixComDevice::collectLineErrors()
{
    std::lock_guard lock(mutex);
    if (!haveCounts || gone)
        return;
    serial_icounter_struct now{};
    if (ioctl(fd, TIOCGICOUNT, &now) != 0) {
        if (deviceGone(errno)) {
            gone = true;
            pendingErrors |= ErrorFlag::IO;
        }
        return;
    }
    if (now.frame != lastCounts.frame)
        pendingErrors |= ErrorFlag::Frame;
    if (now.overrun != lastCounts.overrun)
        pendingErrors |= ErrorFlag::Overrun;
    if (now.parity != lastCounts.parity)
        pendingErrors |= ErrorFlag::RxParity;
    if (now.brk != lastCounts.brk)
        pendingErrors |= ErrorFlag::Break;
    if (now.buf_overrun != lastCounts.buf_overrun)
        pendingErrors |= ErrorFlag::RxOver;
    lastCounts = now;
}

ComWaitResult PosixComDevice::waitEvent(uint32_t &mask, std::chrono::microseconds timeout)
{
    mask = 0;
    const uint32_t wanted = eventMask;
    bool isGone;
    {
        std::lock_guard lock(mutex);
        isGone = gone;
    }
    // Data is waited for only when received bytes are asked for: poll() is
    // level-triggered, and bytes nobody reads would wake it forever. A device
    // that has gone is not polled at all (its hang-up would repeat forever).
    const bool watchDevice = !isGone && (wanted & EventMask::RxChar);
    pollfd fds[2] = {{stopFd, POLLIN, 0}, {watchDevice ? fd : -1, POLLIN, 0}};
    timespec limit{};
    if (timeout.count() >= 0) {
        limit.tv_sec = time_t(timeout.count() / 1000000);
        limit.tv_nsec = long(timeout.count() % 1000000) * 1000;
    }
    const int ready = ppoll(fds, 2, timeout.count() >= 0 ? &limit : nullptr, nullptr);
    if (ready < 0)
        return ComWaitResult::Failed;
    if (ready == 0)
        return ComWaitResult::TimedOut;
    if (fds[0].revents)
        return ComWaitResult::Stopped;

    const short r = fds[1].revents;
    if (r & (POLLHUP | POLLERR | POLLNVAL))
        markGone();
    else if (r & POLLIN)
        collectLineErrors();
    if (r & POLLIN)
        mask |= EventMask::RxChar;
    {
        std::lock_guard lock(mutex);
        if (pendingErrors && (wanted & EventMask::Err))
            mask |= EventMask::Err;
    }
    mask &= wanted;
    return mask ? ComWaitResult::Event : ComWaitResult::Failed;
}

int PosixComDevice::status(ComStatus &st)
{
    collectLineErrors();
    int queued = 0;
    bool isGone;
    {
        std::lock_guard lock(mutex);
        isGone = gone;
    }
    if (!isGone && ioctl(fd, FIONREAD, &queued) != 0) {
        if (!deviceGone(errno))
            return errno;
        markGone();
        queued = 0;
    }
    std::lock_guard lock(mutex);
    st.errors = pendingErrors;
    st.inQueue = uint32_t(std::max(queued, 0));
    pendingErrors = 0;
    return 0;
}

int PosixComDevice::modemLines(ComModemLines &lines)
{
    lines = {};
    {
        std::lock_guard lock(mutex);
        if (gone)
            return 0;
    }
    int bits = 0;
    if (ioctl(fd, TIOCMGET, &bits) != 0) {
        if (notSupported(errno))
            return 0;
        if (deviceGone(errno)) {
            markGone();
            return 0;
        }
        return errno;
    }
    lines.cts = bits & TIOCM_CTS;
    lines.dsr = bits & TIOCM_DSR;
    lines.rlsd = bits & TIOCM_CD;
    return 0;
}

int PosixComDevice::read(char *buffer, uint32_t count, uint32_t &got)
{
    got = 0;
    ComTimeoutValues t;
    {
        std::lock_guard lock(mutex);
        t = timeouts;
    }
    const bool immediate = t.readInterval == UINT32_MAX && t.readTotalMultiplier == 0 && t.readTotalConstant == 0;
    const auto deadline = deadlineAfter(uint64_t(t.readTotalMultiplier) * count + t.readTotalConstant);
    while (got < count) {
        const ssize_t n = ::read(fd, buffer + got, count - got);
        if (n > 0) {
            got += uint32_t(n);
            continue;
        }
        if (n == 0)
            break; // end of file: the device hung up
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return errno;
        if (immediate)
            break;
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, remainingMs(deadline));
        if (ready == 0 || (ready > 0 && (p.revents & (POLLHUP | POLLERR))))
            break;
    }
    if (discardNull)
        got = uint32_t(std::remove(buffer, buffer + got, '\0') - buffer);
    return 0;
}

int PosixComDevice::write(const char *buffer, uint32_t count, uint32_t &written)
{
    written = 0;
    ComTimeoutValues t;
    {
        std::lock_guard lock(mutex);
        t = timeouts;
        if (gone)
            return EIO;
    }
    const auto deadline = deadlineAfter(uint64_t(t.writeTotalMultiplier) * count + t.writeTotalConstant);
    while (written < count) {
        const ssize_t n = ::write(fd, buffer + written, count - written);
        if (n > 0) {
            written += uint32_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return errno;
        pollfd p{fd, POLLOUT, 0};
        const int ready = poll(&p, 1, remainingMs(deadline));
        if (ready == 0)
            break; // the write time-out: written tells how far it came
        if (ready > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
            return EIO;
    }
    return 0;
}

int PosixComDevice::purge(uint32_t what)
{
    const bool tx = what & (Purge::TxAbort | Purge::TxClear);
    const bool rx = what & (Purge::RxAbort | Purge::RxClear);
    if (!tx && !rx)
        return 0;
    {
        std::lock_guard lock(mutex);
        if (gone)
            return 0; // nothing is pending on a device that has gone
    }
    if (tcflush(fd, tx && rx ? TCIOFLUSH : tx ? TCOFLUSH : TCIFLUSH) == 0)
        return 0;
    if (deviceGone(errno)) {
        markGone();
        return 0;
    }
    return errno;
}

int PosixComDevice::close()
{
    if (fd < 0)
        return 0;
    // The exclusive mode belongs to the terminal, not to this descriptor: if
    // another process keeps the device open it would outlive us.
    ioctl(fd, TIOCNXCL);
    const int result = ::close(fd) == 0 || errno == EINTR ? 0 : errno;
    fd = -1;
    return result;
}

} // namespace

PosixComPlatform::PosixComPlatform(QString settingsPath, QString devDir)
    : settingsPath(std::move(settingsPath))
    , devDir(std::move(devDir))
{
}

std::unique_ptr<ComDevice> PosixComPlatform::open(const QString &portName, int &error)
{
    const QString path = comDevicePath(portName, settingsPath.isEmpty() ? settingsFilePath() : settingsPath, devDir);
    if (path.isEmpty()) {
        error = ENOENT;
        return nullptr;
    }
    return openPath(path, error);
}

std::unique_ptr<ComDevice> PosixComPlatform::openPath(const QString &path, int &error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    auto fail = [fd, &error](int e) -> std::unique_ptr<ComDevice> {
        ::close(fd);
        error = e;
        return nullptr;
    };
    if (!isatty(fd))
        return fail(ENOTTY);
    // Exclusive against every process that locks the same way, root
    // included, and through the terminal's own exclusive mode against every
    // other opener that is not root. A terminal already in exclusive mode
    // belongs to someone else.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail(errno == EWOULDBLOCK ? EBUSY : errno);
    int exclusive = 0;
    if (ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive)
        return fail(EBUSY);
    ioctl(fd, TIOCEXCL);
    tcflush(fd, TCIOFLUSH);
    const int stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopFd < 0) {
        const int e = errno;
        ioctl(fd, TIOCNXCL);
        return fail(e);
    }
    error = 0;
    return std::make_unique<PosixComDevice>(fd, stopFd);
}

std::shared_ptr<ComPlatform> defaultComPlatform()
{
    static const auto platform = std::make_shared<PosixComPlatform>();
    return platform;
}
