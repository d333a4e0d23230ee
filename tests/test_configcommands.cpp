// The configuration commands built from the operator's texts and the clock:
// clock bytes, the interval length rule, and the calibration offset with both
// inputs rounded to single precision before the subtraction.

#include "core/AppError.h"
#include "link/ConfigCommands.h"

#include <QDateTime>
#include <QtTest>
#include <bit>
#include <cstdint>

using ConfigCommand::Channel;

class ConfigCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void clock_data();
    void clock();
    void clockNowIsTheLocalClock();
    void sampleInterval_data();
    void sampleInterval();
    void offsetCommand_data();
    void offsetCommand();
    void channelDigit();
    void notANumber_data();
    void notANumber();
    void zeroOffset();
};

void ConfigCommandsTest::clock_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QByteArray>("command");
    QTest::newRow("midnight of 1 January 2030 is all zeros but day and month")
        << QDate(2030, 1, 1) << QTime(0, 0, 0) << QByteArray("@H000000010130\r\n");
    QTest::newRow("an afternoon hour is sent on the 24-hour clock")
        << QDate(2026, 12, 7) << QTime(13, 0, 0) << QByteArray("@H130000071226\r\n");
    QTest::newRow("the year 2000 is sent as 00")
        << QDate(2000, 6, 15) << QTime(8, 30, 45) << QByteArray("@H083045150600\r\n");
    QTest::newRow("the example of 7 December 2026 at 14:05:09")
        << QDate(2026, 12, 7) << QTime(14, 5, 9) << QByteArray("@H140509071226\r\n");
    QTest::newRow("the last second of a century")
        << QDate(2099, 12, 31) << QTime(23, 59, 59) << QByteArray("@H235959311299\r\n");
    QTest::newRow("milliseconds are dropped, not rounded up")
        << QDate(2024, 2, 29) << QTime(9, 5, 1, 999) << QByteArray("@H090501290224\r\n");
}

void ConfigCommandsTest::clock()
{
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QFETCH(QByteArray, command);
    const QByteArray built = ConfigCommand::clock(date, time);
    QCOMPARE(built, command);
    QCOMPARE(built.size(), 16);
}

void ConfigCommandsTest::clockNowIsTheLocalClock()
{
    // The meter keeps local time: in a zone 5 h 30 min east of UTC the hour
    // sent is not the UTC hour.
    const QByteArray oldZone = qgetenv("TZ");
    qputenv("TZ", "IST-5:30");
    auto restore = qScopeGuard([&] {
        if (oldZone.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", oldZone);
    });
    QCOMPARE(QDateTime::currentDateTime().offsetFromUtc(), 5 * 3600 + 30 * 60);

    // The command names a moment between two readings of the local clock.
    QDateTime before, after;
    QByteArray built;
    do {
        before = QDateTime::currentDateTime();
        built = ConfigCommand::clockNow();
        after = QDateTime::currentDateTime();
    } while (before.time().second() != after.time().second()); // a second boundary in between: again
    QCOMPARE(built, ConfigCommand::clock(before.date(), before.time()));
}

void ConfigCommandsTest::sampleInterval_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("seconds");
    QTest::addColumn<QByteArray>("command"); // empty: refused
    QTest::newRow("blanks around the number are removed") << " 15 " << true << QByteArray("@i0+15\r\n");
    QTest::newRow("tabs and control characters count as blanks") << "\t7\x01" << false << QByteArray("@i1+7\r\n");
    QTest::newRow("three digits are the most") << "999" << false << QByteArray("@i1+999\r\n");
    QTest::newRow("four digits are refused") << "1000" << true << QByteArray();
    QTest::newRow("blanks inside count towards the length") << "1 00" << true << QByteArray();
    QTest::newRow("an empty field is refused") << "" << false << QByteArray();
    QTest::newRow("only blanks is refused") << "   " << true << QByteArray();
    QTest::newRow("three letters are refused") << "abc" << true << QByteArray();
    QTest::newRow("zero would stop the recording and is refused") << "0" << true << QByteArray();
    QTest::newRow("zero with leading zeros is refused") << "000" << false << QByteArray();
    QTest::newRow("a sign is refused") << "+5" << false << QByteArray();
    QTest::newRow("one is the shortest interval") << "1" << true << QByteArray("@i0+1\r\n");
    QTest::newRow("leading zeros are kept") << "005" << false << QByteArray("@i1+005\r\n");
}

void ConfigCommandsTest::sampleInterval()
{
    QFETCH(QString, edit);
    QFETCH(bool, seconds);
    QFETCH(QByteArray, command);
    const std::optional<QByteArray> built = ConfigCommand::sampleInterval(edit, seconds);
    if (command.isEmpty()) {
        QVERIFY(!built);
    } else {
        QVERIFY(built);
        QCOMPARE(*built, command);
    }
}

void ConfigCommandsTest::offsetCommand_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<QByteArray>("command");
    QTest::newRow("half a degree up") << "25"
                                      << "24,5" << QByteArray("@c1>3F000000\r\n");
    QTest::newRow("one and a half down") << "30"
                                         << "31,5" << QByteArray("@c1>BFC00000\r\n");
    QTest::newRow("nothing to correct") << "0"
                                        << "0" << QByteArray("@c1>00000000\r\n");
    QTest::newRow("25,3 is rounded to single precision before subtracting") << "25"
                                                                            << "25,3" << QByteArray("@c1>BE999980\r\n");
    QTest::newRow("99,9 is rounded to single precision before subtracting") << "100"
                                                                            << "99,9" << QByteArray("@c1>3DCCCC00\r\n");
    QTest::newRow("an unread channel sends the reference itself") << "25,5"
                                                                  << "0" << QByteArray("@c1>41CC0000\r\n");
    QTest::newRow("equal texts send zero") << "24,7"
                                           << "24,7" << QByteArray("@c1>00000000\r\n");
    QTest::newRow("negative zero minus zero sends plus zero") << "-0"
                                                              << "0" << QByteArray("@c1>00000000\r\n");
    QTest::newRow("negative zero as reference of a negative reading") << "-0"
                                                                      << "-1" << QByteArray("@c1>3F800000\r\n");
    QTest::newRow("a reference with many digits is rounded once to single precision")
        << "25,1234567890123456789012"
        << "0" << QByteArray("@c1>41C8FCD7\r\n");
    QTest::newRow("blanks around the texts are allowed") << " 25 "
                                                         << " 24,5" << QByteArray("@c1>3F000000\r\n");
    QTest::newRow("an exponent is a number") << "2,5E1"
                                             << "24,5" << QByteArray("@c1>3F000000\r\n");
    QTest::newRow("negative temperatures") << "-10"
                                           << "-12,25" << QByteArray("@c1>40100000\r\n");
}

void ConfigCommandsTest::offsetCommand()
{
    QFETCH(QString, reference);
    QFETCH(QString, reading);
    QFETCH(QByteArray, command);
    const QByteArray built = ConfigCommand::adjustOffset(Channel::Wet, reference, reading);
    QCOMPARE(built, command);
    QCOMPARE(built.size(), 14);
    // The bits are those of the single-precision offset.
    const float offset = ConfigCommand::offset(reference, reading);
    QCOMPARE(QByteArray::number(std::bit_cast<uint32_t>(offset), 16).toUpper().rightJustified(8, '0'),
             command.mid(4, 8));
}

void ConfigCommandsTest::channelDigit()
{
    QCOMPARE(ConfigCommand::adjustOffset(Channel::Wet, "1", "0"), QByteArray("@c1>3F800000\r\n"));
    QCOMPARE(ConfigCommand::adjustOffset(Channel::Dry, "1", "0"), QByteArray("@c2>3F800000\r\n"));
    QCOMPARE(ConfigCommand::adjustOffset(Channel::Globe, "1", "0"), QByteArray("@c3>3F800000\r\n"));
}

void ConfigCommandsTest::notANumber_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<QString>("message");
    QTest::newRow("a decimal point instead of the comma") << "25.5"
                                                          << "0"
                                                          << "'25.5' is not a valid floating point value.";
    QTest::newRow("an empty reference") << ""
                                        << "24,5"
                                        << "'' is not a valid floating point value.";
    QTest::newRow("a word as reading") << "25"
                                       << "abc"
                                       << "'abc' is not a valid floating point value.";
    QTest::newRow("the text is quoted as typed, blanks included") << " 2 5 "
                                                                  << "0"
                                                                  << "' 2 5 ' is not a valid floating point value.";
    QTest::newRow("the reference is checked before the reading") << "x"
                                                                 << "y"
                                                                 << "'x' is not a valid floating point value.";
    QTest::newRow("beyond single precision") << "1E39"
                                             << "0"
                                             << "Floating point overflow.";
    QTest::newRow("a difference beyond single precision") << "3E38"
                                                          << "-3E38"
                                                          << "Floating point overflow.";
}

void ConfigCommandsTest::notANumber()
{
    QFETCH(QString, reference);
    QFETCH(QString, reading);
    QFETCH(QString, message);
    try {
        const QByteArray built = ConfigCommand::adjustOffset(Channel::Dry, reference, reading);
        QFAIL(qPrintable("built " + QString::fromLatin1(built)));
    } catch (const AppError &e) {
        QCOMPARE(e.message(), message);
    }
}

void ConfigCommandsTest::zeroOffset()
{
    QCOMPARE(ConfigCommand::zeroOffset(Channel::Wet), QByteArray("@z1\r\n"));
    QCOMPARE(ConfigCommand::zeroOffset(Channel::Dry), QByteArray("@z2\r\n"));
    QCOMPARE(ConfigCommand::zeroOffset(Channel::Globe), QByteArray("@z3\r\n"));
}

QTEST_GUILESS_MAIN(ConfigCommandsTest)
#include "test_configcommands.moc"
