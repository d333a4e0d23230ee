#include "support/ScriptedMeter.h"

#include "support/FakeComPlatform.h"

ScriptedMeter::ScriptedMeter(FakeComPlatform &platform) : platform(platform)
{
    clock.start();
    QObject::connect(&poll, &QTimer::timeout, [this] { answer(); });
    poll.start(1);
}

QByteArray ScriptedMeter::reply(const QByteArray &c)
{
    if (c.startsWith("@r"))
        selected = c.mid(2).trimmed().toInt();
    if (c == "@M\r\n")
        return ":W25.3D26.1G31.0\r\n";
    if (c == "@G\r\n")
        return ":G30.5D32.0G40.2\r\n";
    if (c == "@B\r\n")
        return ":B20.1D21.7G22.9\r\n";
    if (c == "@T\r\n")
        return ":T2\r\n";
    if (c.startsWith("@R"))
        return c.mid(2).trimmed() == "0" ? ":R2\r\n" : ":R3\r\n";
    if (c == "@F\r\n")
        return ":F T2000L1500\r\n";
    if (c.startsWith("@t") || c.startsWith("@r") || c.startsWith("@H"))
        return ":" + c.mid(1, 1) + "\r\n";
    if (c == "@A\r\n")
        return ":A[" + QByteArray::number(selected + 1) + "]01/01/24 10:00:0" + QByteArray::number(selected) +
               " =24.5\001=26\001=30.25\001C";
    return {};
}

void ScriptedMeter::answer()
{
    FakeComDevice *device = platform.device();
    if (!device)
        return;
    const QByteArray written = device->written();
    qsizetype end;
    while ((end = written.indexOf("\r\n", read)) >= 0) {
        const QByteArray request = written.mid(read, end + 2 - read);
        read = end + 2;
        requests << request.trimmed();
        requestedAt << clock.elapsed();
        device->receive(reply(request));
    }
}
