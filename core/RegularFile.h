#pragma once
// Reads a whole file that must be a regular file of bounded size, without
// ever blocking on what is not one. A FIFO would hold open() until a writer
// comes (and with it the window thread, deaf to SIGTERM); a device such as
// /dev/zero never ends and fills the memory; a serial device changes its
// lines when opened. So the name is looked at with stat() first, opened only
// when it names a regular file, opened with O_NONBLOCK all the same (the
// name may change between the two calls) and checked again on the open
// descriptor. At most maxBytes + 1 bytes are read, so a file that grows while
// it is read is refused too.

#include <QByteArray>
#include <QString>

struct RegularFileRead {
    enum class Outcome {
        Read,        // bytes holds the whole file
        SystemError, // error holds errno (ENOENT, EACCES, ELOOP, EISDIR ...)
        NotRegular,  // a FIFO, a device or a socket: never opened for reading
        TooLarge,    // more than maxBytes
    };
    Outcome outcome = Outcome::SystemError;
    int error = 0;
    QString kind; // NotRegular: "um FIFO (pipe nomeado)", "um dispositivo", "um socket"
    QByteArray bytes;

    bool ok() const { return outcome == Outcome::Read; }
};

RegularFileRead readRegularFile(const QString &path, qint64 maxBytes);

// "200 MB" for 200000000 bytes: the limit as the operator reads it.
QString byteLimitText(qint64 bytes);
