#include "Pty.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSettings>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

Pty::Pty()
{
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master < 0)
        return;
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        closeMaster();
        return;
    }
    path = QString::fromLocal8Bit(ptsname(master));
    // Raw on both sides, so that nothing is echoed or translated before the
    // port sets its own line settings.
    termios tio{};
    if (tcgetattr(master, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(master, TCSANOW, &tio);
    }
}

Pty::~Pty()
{
    closeMaster();
}

bool Pty::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    QElapsedTimer timer;
    timer.start();
    while (done < bytes.size() && master >= 0 && timer.elapsed() < 5000) {
        const ssize_t n = ::write(master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        } else {
            pollfd p{master, POLLOUT, 0};
            poll(&p, 1, 10);
        }
    }
    return done == bytes.size();
}

QByteArray Pty::read(int count, int timeoutMs)
{
    QByteArray result;
    QElapsedTimer timer;
    timer.start();
    while (result.size() < count && master >= 0) {
        const int left = int(timeoutMs - timer.elapsed());
        if (left <= 0)
            break;
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, left) <= 0)
            continue;
        char buf[256];
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n > 0)
            result.append(buf, n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
    }
    return result;
}

void Pty::closeMaster()
{
    if (master >= 0)
        ::close(master);
    master = -1;
}

void writePortMap(const QString &configHome, const QList<std::pair<QString, QString>> &map)
{
    QDir().mkpath(configHome + QStringLiteral("/Tavenor"));
    QSettings settings(configHome + QStringLiteral("/Tavenor/Quorvin.conf"), QSettings::IniFormat);
    settings.remove(QStringLiteral("Portas"));
    settings.beginGroup(QStringLiteral("Portas"));
    for (const auto &entry : map)
        settings.setValue(entry.first, entry.second);
    settings.endGroup();
    settings.sync();
}
