#include "SimulatorClientProcess.h"

#include "ChildProcess.h"
#include <QFile>
#include <QProcessEnvironment>

ClientProcess::ClientProcess()
{
    process.setProgram(QStringLiteral(VESTARA_BIN_DIR "/vestara"));
    process.setProcessChannelMode(QProcess::MergedChannels);
}

ClientProcess::~ClientProcess()
{
    stop();
}

bool ClientProcess::start(const QString &configHome)
{
    stop();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(scratch.filePath(QStringLiteral("output.log")));
    process.start();
    return process.waitForStarted(5000);
}

void ClientProcess::stop()
{
    endProcess(process);
}

QByteArray ClientProcess::output() const
{
    return readWholeFile(scratch.filePath(QStringLiteral("output.log")));
}

QProcessEnvironment bareClientEnvironment(const QString &configHome)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    return env;
}

ClientRun runClientToEnd(const QStringList &args, const QString &configHome, int timeoutMs)
{
    QProcess client;
    client.setProcessEnvironment(bareClientEnvironment(configHome));
    client.start(QStringLiteral(VESTARA_BIN_DIR "/vestara"), args);
    ClientRun run;
    if (!client.waitForFinished(timeoutMs)) {
        endProcess(client);
        return run;
    }
    run.exitCode = client.exitStatus() == QProcess::NormalExit ? client.exitCode() : -1;
    run.out = QString::fromUtf8(client.readAllStandardOutput());
    run.err = QString::fromUtf8(client.readAllStandardError());
    return run;
}
