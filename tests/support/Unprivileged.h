#pragma once
// Helpers for tests of failed writes. Root writes into any folder and past
// any permission, so a test of a refused write runs its body in a child
// process that has dropped to an unprivileged user; a full disk is a file-size
// limit, which holds for root too.

#include <QByteArray>
#include <QString>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Files written past `bytes` fail with "file too large", root or not: a disk
// that fills up in the middle of a write.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

// Runs body and returns its text. As root, body runs in a child process as
// user and group 65534 (nobody) and its text comes back through a pipe; a
// child that could not drop its privileges or report gives
// "child failed with status N". Outside root, body runs in this process.
inline QString runUnprivileged(const std::function<QString()> &body)
{
    if (geteuid() != 0)
        return body();
    int fds[2];
    if (pipe(fds) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = fork();
    if (child == 0) {
        ::close(fds[0]);
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        const QByteArray text = body().toUtf8();
        const bool sent = ::write(fds[1], text.constData(), size_t(text.size())) == text.size();
        _exit(sent ? 0 : 4);
    }
    ::close(fds[1]);
    QByteArray out;
    char buffer[512];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("child failed with status %1").arg(status);
    return QString::fromUtf8(out);
}
