#pragma once
// The real client, VESTARA_BIN_DIR/vestara, run as its own process against a
// settings folder (usually one that SimulatorProcess::writeSettings filled),
// for end-to-end tests that watch the simulator's request log.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class ClientProcess {
public:
    ClientProcess();
    ~ClientProcess();
    ClientProcess(const ClientProcess &) = delete;
    ClientProcess &operator=(const ClientProcess &) = delete;

    // Starts the client with XDG_CONFIG_HOME = configHome and the offscreen
    // platform; false when it does not start. Its output goes to files, read
    // with output().
    bool start(const QString &configHome);
    // Ends it (SIGTERM, then SIGKILL) and waits.
    void stop();
    bool isRunning() const { return process.state() != QProcess::NotRunning; }
    QByteArray output() const;
    QProcess &qprocess() { return process; }

private:
    QProcess process;
    QTemporaryDir scratch;
};

// The client's environment with no display at all and its settings in
// configHome.
QProcessEnvironment bareClientEnvironment(const QString &configHome);

struct ClientRun {
    int exitCode = -1; // -1: crashed, or still running after the time limit
    QString out, err;
};

// Runs the client with args and no display to its end (at most timeoutMs).
ClientRun runClientToEnd(const QStringList &args, const QString &configHome, int timeoutMs = 30000);
