#include "Simulator.h"

#include "ChildProcess.h"
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>

SimulatorProcess::SimulatorProcess()
{
    process.setProgram(QStringLiteral(VESTARA_BIN_DIR "/vestara-sim"));
}

SimulatorProcess::~SimulatorProcess()
{
    stop();
}

bool SimulatorProcess::start(const QStringList &args, int timeoutMs)
{
    stop();
    QStringList all = args;
    if (!args.contains(QLatin1String("--baud")))
        all << QStringLiteral("--baud") << QStringLiteral("0");
    const qsizetype logAt = args.indexOf(QLatin1String("--log"));
    log = logAt >= 0 && logAt + 1 < args.size() ? args.at(logAt + 1) : scratch.filePath(QStringLiteral("requests.log"));
    if (logAt < 0)
        all << QStringLiteral("--log") << log;
    all << QStringLiteral("--exit-with-parent");
    process.setArguments(all);
    // Into a file rather than a pipe nobody drains while a test blocks on the
    // line: a full pipe would stall the simulator.
    process.setStandardErrorFile(scratch.filePath(QStringLiteral("console.log")));
    process.start();
    device.clear();
    const QDeadlineTimer deadline(timeoutMs);
    while (!process.canReadLine() && process.state() != QProcess::NotRunning && !deadline.hasExpired())
        process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    if (process.canReadLine())
        device = QString::fromLocal8Bit(process.readLine().trimmed());
    if (device.isEmpty()) {
        error = QStringLiteral("no device path from vestara-sim: ") + QString::fromLocal8Bit(consoleOutput());
        stop();
        return false;
    }
    return true;
}

void SimulatorProcess::stop()
{
    endProcess(process);
}

QByteArray SimulatorProcess::consoleOutput() const
{
    return readWholeFile(scratch.filePath(QStringLiteral("console.log")));
}

bool SimulatorProcess::writeSettings(const QString &configHome, int comNumber, int porta, int replyTimeoutMs) const
{
    const QString folder = configHome + QStringLiteral("/Tavenor");
    if (!QDir().mkpath(folder))
        return false;
    QSettings settings(folder + QStringLiteral("/Quorvin.conf"), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Porta"), porta);
    settings.setValue(QStringLiteral("Portas/COM%1").arg(comNumber), device);
    if (replyTimeoutMs > 0)
        settings.setValue(QStringLiteral("TempoResposta"), replyTimeoutMs);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QByteArray unescapeLoggedBytes(const QByteArray &text)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c != '\\' || i + 1 >= text.size()) {
            bytes += c;
            continue;
        }
        const char e = text.at(++i);
        if (e == 'r')
            bytes += '\r';
        else if (e == 'n')
            bytes += '\n';
        else if (e == 'x' && i + 2 < text.size()) {
            bytes += char(text.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else
            bytes += e;
    }
    return bytes;
}

QList<LoggedRequest> SimulatorProcess::loggedRequests() const
{
    QList<LoggedRequest> entries;
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    QByteArray text = file.readAll();
    text.truncate(text.lastIndexOf('\n') + 1); // not a line still being written
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype space = line.indexOf(' ');
        if (space <= 0)
            continue;
        entries.append({line.left(space).toDouble(), unescapeLoggedBytes(line.mid(space + 1))});
    }
    return entries;
}

QByteArrayList SimulatorProcess::requests() const
{
    QByteArrayList list;
    for (const LoggedRequest &r : loggedRequests())
        list << r.bytes;
    return list;
}

bool SimulatorProcess::waitForRequests(int n, int ms) const
{
    const QDeadlineTimer deadline(ms);
    for (;;) {
        if (loggedRequests().size() >= n)
            return true;
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10); // the client may run in this process: keep its events going
    }
}
