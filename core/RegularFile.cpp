#include "core/RegularFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString kindOf(mode_t mode)
{
    if (S_ISFIFO(mode))
        return QStringLiteral("um FIFO (pipe nomeado)");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("um dispositivo");
    if (S_ISSOCK(mode))
        return QStringLiteral("um socket");
    return QStringLiteral("um arquivo especial");
}

RegularFileRead systemError(int error)
{
    RegularFileRead r;
    r.outcome = RegularFileRead::Outcome::SystemError;
    r.error = error;
    return r;
}

// A folder is reported as the system would report reading it.
RegularFileRead refusal(mode_t mode)
{
    if (S_ISDIR(mode))
        return systemError(EISDIR);
    RegularFileRead r;
    r.outcome = RegularFileRead::Outcome::NotRegular;
    r.kind = kindOf(mode);
    return r;
}

RegularFileRead tooLarge()
{
    RegularFileRead r;
    r.outcome = RegularFileRead::Outcome::TooLarge;
    return r;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    const int fd;
};

} // namespace

RegularFileRead readRegularFile(const QString &path, qint64 maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return systemError(errno);
    if (!S_ISREG(st.st_mode))
        return refusal(st.st_mode);
    if (st.st_size > maxBytes)
        return tooLarge();

    const Descriptor file(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.fd < 0)
        return systemError(errno);
    if (::fstat(file.fd, &st) != 0)
        return systemError(errno);
    if (!S_ISREG(st.st_mode))
        return refusal(st.st_mode);
    if (st.st_size > maxBytes)
        return tooLarge();

    RegularFileRead r;
    r.bytes.resize(qsizetype(st.st_size) + 1);
    qsizetype used = 0;
    for (;;) {
        if (used == r.bytes.size()) {
            if (used > maxBytes)
                return tooLarge();
            r.bytes.resize(qsizetype(std::min<qint64>(maxBytes + 1, qint64(used) * 2 + 4096)));
        }
        const ssize_t n = ::read(file.fd, r.bytes.data() + used, size_t(r.bytes.size() - used));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return systemError(errno);
        }
        if (n == 0)
            break;
        used += n;
    }
    if (used > maxBytes)
        return tooLarge();
    r.bytes.truncate(used);
    r.outcome = RegularFileRead::Outcome::Read;
    return r;
}

QString byteLimitText(qint64 bytes)
{
    if (bytes >= 1000000 && bytes % 1000000 == 0)
        return QStringLiteral("%1 MB").arg(bytes / 1000000);
    if (bytes >= 1000 && bytes % 1000 == 0)
        return QStringLiteral("%1 kB").arg(bytes / 1000);
    return QStringLiteral("%1 bytes").arg(bytes);
}
