#pragma once
// A pseudo-terminal pair for tests of the serial link: the test holds the
// master side and plays the device; the port under test opens the slave
// path like any serial device.

#include <QByteArray>
#include <QString>

class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    bool isOpen() const { return master >= 0; }
    QString slavePath() const { return path; }
    int masterFd() const { return master; }

    // Writes all bytes to the master side (what the device sends).
    bool write(const QByteArray &bytes);
    // Reads what the port wrote, until `count` bytes or the time limit.
    QByteArray read(int count, int timeoutMs);
    // The device vanishes: the slave side hangs up.
    void closeMaster();

private:
    int master = -1;
    QString path;
};

// Writes a settings file under configHome whose [Portas] group maps each
// "COMn" key to its device path.
void writePortMap(const QString &configHome, const QList<std::pair<QString, QString>> &map);
