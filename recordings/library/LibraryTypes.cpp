#include "recordings/library/LibraryTypes.h"

#include <QCryptographicHash>

QString testStateText(TestState state)
{
    switch (state) {
    case TestState::Complete: return QStringLiteral("completo");
    case TestState::Interrupted: return QStringLiteral("interrompido");
    case TestState::Incomplete: return QStringLiteral("incompleto");
    }
    return {};
}

TestOrigin TestOrigin::meter(const QString &port, int testNumber, int recordCount, const QDateTime &moment)
{
    TestOrigin o;
    o.kind = Kind::Meter;
    o.port = port;
    o.meterTestNumber = testNumber;
    o.meterRecordCount = recordCount;
    o.moment = moment;
    return o;
}

TestOrigin TestOrigin::file(const QString &fileName, const QByteArray &bytes)
{
    TestOrigin o;
    o.kind = Kind::File;
    o.fileName = fileName;
    o.sha256 = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    o.moment = QDateTime::currentDateTime();
    return o;
}

QString TestOrigin::text() const
{
    if (kind == Kind::File)
        return fileName;
    return QStringLiteral("%1, teste %2").arg(port).arg(meterTestNumber);
}
