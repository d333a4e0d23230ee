#include "SimulatorPort.h"

#include <QDeadlineTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

SimulatorPort::~SimulatorPort()
{
    close();
}

bool SimulatorPort::open(const QString &devicePath)
{
    close();
    fd = ::open(devicePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    termios tio{};
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetspeed(&tio, B19200);
        tcsetattr(fd, TCSANOW, &tio);
    }
    buffer.clear();
    skippedBytes.clear();
    hangUp = false;
    return true;
}

void SimulatorPort::close()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool SimulatorPort::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (fd >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            if (poll(&p, 1, 1000) <= 0)
                return false;
        } else if (!(n < 0 && errno == EINTR)) {
            return false;
        }
    }
    return fd >= 0;
}

bool SimulatorPort::fill(int ms)
{
    if (fd < 0)
        return false;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, ms < 0 ? 0 : ms) <= 0)
        return false;
    char chunk[4096];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n > 0) {
        buffer.append(chunk, n);
        return true;
    }
    if (n == 0 || errno == EIO || (p.revents & POLLHUP))
        hangUp = true;
    return false;
}

qsizetype SimulatorPort::frameEnd() const
{
    if (!buffer.startsWith(':'))
        return -1;
    if (buffer.startsWith(":A")) {
        qsizetype at = 0;
        for (int soh = 0; soh < 3; ++soh) {
            at = buffer.indexOf('\x01', at);
            if (at < 0)
                return -1;
            ++at;
        }
        const qsizetype c = buffer.indexOf('C', at);
        return c < 0 ? -1 : c + 1;
    }
    const qsizetype lf = buffer.indexOf('\n');
    return lf < 0 ? -1 : lf + 1;
}

QByteArray SimulatorPort::readFrame(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const qsizetype colon = buffer.indexOf(':');
        const qsizetype noise = colon < 0 ? buffer.size() : colon;
        skippedBytes += buffer.left(noise);
        buffer.remove(0, noise);
        const qsizetype end = frameEnd();
        if (end > 0) {
            const QByteArray frame = buffer.left(end);
            buffer.remove(0, end);
            return frame;
        }
        if (deadline.hasExpired() || (!fill(int(deadline.remainingTime())) && (hangUp || deadline.hasExpired())))
            return {};
    }
}

QByteArray SimulatorPort::ask(const QByteArray &request, int timeoutMs)
{
    return write(request) ? readFrame(timeoutMs) : QByteArray();
}

QByteArray SimulatorPort::readFor(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired() && !hangUp)
        fill(int(deadline.remainingTime()));
    QByteArray all = buffer;
    buffer.clear();
    return all;
}

QByteArray SimulatorPort::readBytes(int count, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (buffer.size() < count && !deadline.hasExpired() && !hangUp)
        fill(int(deadline.remainingTime()));
    const QByteArray head = buffer.left(count);
    buffer.remove(0, head.size());
    return head;
}
