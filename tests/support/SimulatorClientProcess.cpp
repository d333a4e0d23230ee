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
