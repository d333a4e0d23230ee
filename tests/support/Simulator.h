#pragma once
// The end-to-end helper: runs vestara-sim on a pseudo-terminal, maps it to a
// COM name in a settings folder for the client, and reads back the requests
// the simulator received from its log.
//
//   SimulatorProcess sim;
//   QVERIFY(sim.start({"--tests", "2"}));
//   QVERIFY(sim.writeSettings(configHome, 1, 1));   // COM1, Porta=1
//   ... run the client (ClientProcess, or the main window in-process) ...
//   QVERIFY(sim.waitForRequests(3, 5000));
//   QCOMPARE(sim.requests().first(), QByteArray("@M\r\n"));

#include <QByteArrayList>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

struct LoggedRequest {
    double seconds = 0.0; // CLOCK_MONOTONIC, the clock QElapsedTimer uses here too
    QByteArray bytes;
};

class SimulatorProcess {
public:
    SimulatorProcess();
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess &) = delete;
    SimulatorProcess &operator=(const SimulatorProcess &) = delete;

    // Starts VESTARA_BIN_DIR/vestara-sim with `args`, adding "--baud 0" and
    // "--log <temporary file>" unless args name their own, and
    // "--exit-with-parent". Waits for the device path on the first output
    // line. False (with the reason in errorText()) when it does not come.
    bool start(const QStringList &args = {}, int timeoutMs = 5000);
    // Ends the simulator (SIGTERM, then SIGKILL) and waits for it.
    void stop();
    bool isRunning() const { return process.state() != QProcess::NotRunning; }

    QString devicePath() const { return device; }
    QString logPath() const { return log; }
    QString errorText() const { return error; }
    // What the simulator wrote on standard error so far.
    QByteArray consoleOutput() const;
    QProcess &qprocess() { return process; }

    // Writes <configHome>/Tavenor/Quorvin.conf with Porta=<porta> and
    // [Portas] COM<comNumber>=<device path>, and TempoResposta when a reply
    // time-out is given (long tests wait less). Other entries are kept.
    bool writeSettings(const QString &configHome, int comNumber, int porta, int replyTimeoutMs = 0) const;

    QByteArrayList requests() const;
    QList<LoggedRequest> loggedRequests() const;
    // Until at least n requests are logged or ms pass; whether they were.
    bool waitForRequests(int n, int ms) const;

private:
    QProcess process;
    QTemporaryDir scratch;
    QString device;
    QString log;
    QString error;
};

// A request log line's bytes back from their escaped form.
QByteArray unescapeLoggedBytes(const QByteArray &text);
