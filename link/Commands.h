#pragma once
// The meter's command set, byte-exact. Every command starts with '@' and a
// letter and ends with CR LF; the builders here are the only place that knows
// their bytes.

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace Command {

QByteArray liveValues();             // "@M": wet, dry and globe now
QByteArray maxima();                 // "@G"
QByteArray minima();                 // "@B"
QByteArray livePoll(int pollIndex);  // 0 "@M", 1 "@G", 2 "@B"
QByteArray testCount();              // "@T"
QByteArray recordCount(int test);    // "@R" n
QByteArray testHeader(int test);     // "@t" n
QByteArray recordSelect(int record); // "@r" n
QByteArray storedRecord();           // "@A"
QByteArray memoryUse();              // "@F"
QByteArray sampleRate();             // "@I"
QByteArray sampleRateUnit();         // "@u"
// "@i0+" v when seconds, "@i1+" v otherwise; v trimmed, at most 3 characters.
QByteArray setSampleRate(bool seconds, const QString &interval);
// "@H" hhnnssddmmyy from a local date and time.
QByteArray setClock(const QDateTime &local);
QByteArray unit(bool fahrenheit);  // "@U0" / "@U1"
QByteArray eraseMemory();          // "@X"
QByteArray zeroAllOffsets();       // "@Z"
QByteArray zeroOffset(int sensor); // "@z1".."@z3": 1 wet, 2 dry, 3 globe
// "@c" sensor ">" and the single-precision bit pattern of the correction as
// 8 upper-case hexadecimal digits.
QByteArray adjustOffset(int sensor, float correction);

} // namespace Command
