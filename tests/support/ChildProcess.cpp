#include "ChildProcess.h"

#include <QElapsedTimer>
#include <QFile>

#include <csignal>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

void endProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString runInChildWithin(int seconds, const std::function<QString()> &body)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child < 0)
        return QStringLiteral("no child");
    if (child == 0) {
        ::close(fds[0]);
        const QByteArray text = body().toUtf8();
        const bool sent = ::write(fds[1], text.constData(), size_t(text.size())) == text.size();
        ::_exit(sent ? 0 : 4);
    }
    ::close(fds[1]);
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    bool timedOut = false;
    for (;;) {
        const qint64 left = qint64(seconds) * 1000 - clock.elapsed();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        if (::poll(&p, 1, int(left)) <= 0)
            continue;
        char buffer[512];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        out.append(buffer, n);
    }
    ::close(fds[0]);
    if (timedOut)
        ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (timedOut)
        return QStringLiteral("timed out after %1 s").arg(seconds);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("child failed with status %1").arg(status);
    return QString::fromUtf8(out);
}
