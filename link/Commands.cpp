#include "link/Commands.h"

#include <bit>
#include <cstdint>

namespace Command {
namespace {

const QByteArray kEnd("\r\n");

QByteArray withNumber(const char *head, int n)
{
    return QByteArray(head) + QByteArray::number(n) + kEnd;
}

QByteArray twoDigits(int v)
{
    return QByteArray::number(v % 100).rightJustified(2, '0');
}

} // namespace

QByteArray liveValues()
{
    return QByteArrayLiteral("@M\r\n");
}
QByteArray maxima()
{
    return QByteArrayLiteral("@G\r\n");
}
QByteArray minima()
{
    return QByteArrayLiteral("@B\r\n");
}

QByteArray livePoll(int pollIndex)
{
    switch (pollIndex) {
    case 1: return maxima();
    case 2: return minima();
    default: return liveValues();
    }
}

QByteArray testCount()
{
    return QByteArrayLiteral("@T\r\n");
}
QByteArray recordCount(int test)
{
    return withNumber("@R", test);
}
QByteArray testHeader(int test)
{
    return withNumber("@t", test);
}
QByteArray recordSelect(int record)
{
    return withNumber("@r", record);
}
QByteArray storedRecord()
{
    return QByteArrayLiteral("@A\r\n");
}
QByteArray memoryUse()
{
    return QByteArrayLiteral("@F\r\n");
}
QByteArray sampleRate()
{
    return QByteArrayLiteral("@I\r\n");
}
QByteArray sampleRateUnit()
{
    return QByteArrayLiteral("@u\r\n");
}

QByteArray setSampleRate(bool seconds, const QString &interval)
{
    const QByteArray v = interval.trimmed().left(3).toLatin1();
    return QByteArray(seconds ? "@i0+" : "@i1+") + v + kEnd;
}

QByteArray setClock(const QDateTime &local)
{
    const QTime t = local.time();
    const QDate d = local.date();
    return QByteArray("@H") + twoDigits(t.hour()) + twoDigits(t.minute()) + twoDigits(t.second()) + twoDigits(d.day()) +
           twoDigits(d.month()) + twoDigits(d.year()) + kEnd;
}

QByteArray unit(bool fahrenheit)
{
    return fahrenheit ? QByteArrayLiteral("@U1\r\n") : QByteArrayLiteral("@U0\r\n");
}
QByteArray eraseMemory()
{
    return QByteArrayLiteral("@X\r\n");
}
QByteArray zeroAllOffsets()
{
    return QByteArrayLiteral("@Z\r\n");
}
QByteArray zeroOffset(int sensor)
{
    return withNumber("@z", sensor);
}

QByteArray adjustOffset(int sensor, float correction)
{
    const uint32_t bits = std::bit_cast<uint32_t>(correction);
    return QByteArray("@c") + QByteArray::number(sensor) + '>' +
           QByteArray::number(bits, 16).toUpper().rightJustified(8, '0') + kEnd;
}

} // namespace Command
