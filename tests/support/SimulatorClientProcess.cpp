#include "SimulatorClientProcess.h"

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
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

QByteArray ClientProcess::output() const
{
    QFile file(scratch.filePath(QStringLiteral("output.log")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
