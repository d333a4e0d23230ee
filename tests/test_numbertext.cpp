// Number texts with the decimal comma, and the command set's exact bytes.
#include "core/HeatIndex.h"
#include "core/NumberText.h"
#include "link/Commands.h"
#include "support/TestData.h"

#include <QtTest>

class NumberTextTest : public QObject {
    Q_OBJECT
private slots:
    void general_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("integer") << 31.0 << "31";
        QTest::newRow("fraction") << 25.3 << "25,3";
        QTest::newRow("negative") << -0.25 << "-0,25";
        QTest::newRow("small fixed") << 0.00001 << "0,00001";
        QTest::newRow("below fixed") << 0.000001 << "1E-6";
        QTest::newRow("15 integer digits") << 123456789012345.0 << "123456789012345";
        QTest::newRow("16 integer digits") << 1234567890123456.0 << "1,23456789012346E15";
        QTest::newRow("large") << 1e20 << "1E20";
        QTest::newRow("rounds to 15 digits") << 0.1 + 0.2 << "0,3";
        QTest::newRow("thousands without separator") << 1234.5 << "1234,5";
    }
    void general()
    {
        QFETCH(double, value);
        QCOMPARE(formatGeneral(value), FETCHED(QString, text));
    }

    // Every decimal the meter can send comes back as the same text.
    void generalRoundTrip()
    {
        for (int cents = -200000; cents <= 200000; cents += 7) {
            QString text = QString::number(cents / 100.0, 'f', 2).replace('.', ',');
            while (text.contains(',') && (text.endsWith('0') || text.endsWith(',')))
                text.chop(1);
            if (text == "-0")
                text = "0";
            const auto v = textToNumber(text);
            QVERIFY(v);
            QCOMPARE(formatGeneral(*v), text);
        }
        for (int e = -30; e <= 30; ++e) {
            const long double v = std::pow(10.0L, e) * 1.25L;
            const QString t = formatGeneral(v);
            QCOMPARE(double(*textToNumber(t)), double(v));
        }
    }

    void indicesFromLongDouble_data()
    {
        QTest::addColumn<QByteArray>("wet");
        QTest::addColumn<QByteArray>("dry");
        QTest::addColumn<QByteArray>("globe");
        QTest::addColumn<QString>("indoor");
        QTest::addColumn<QString>("outdoor");
        QTest::newRow("example") << QByteArray("25,3") << QByteArray("26,1") << QByteArray("31,0") << "27,01"
                                 << "26,52";
        QTest::newRow("zeros") << QByteArray("0") << QByteArray("0") << QByteArray("0") << "0"
                               << "0";
        QTest::newRow("tenths") << QByteArray("24,7") << QByteArray("25,1") << QByteArray("30") << "26,29"
                                << "25,8";
    }
    void indicesFromLongDouble()
    {
        const long double wet = *textToNumber(QByteArrayView(FETCHED(QByteArray, wet)));
        const long double dry = *textToNumber(QByteArrayView(FETCHED(QByteArray, dry)));
        const long double globe = *textToNumber(QByteArrayView(FETCHED(QByteArray, globe)));
        QCOMPARE(formatGeneral(indoorIndex(wet, globe)), FETCHED(QString, indoor));
        QCOMPARE(formatGeneral(outdoorIndex(wet, globe, dry)), FETCHED(QString, outdoor));
    }

    void toNumber_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("comma") << QByteArray("25,3") << true << 25.3;
        QTest::newRow("period is not the separator") << QByteArray("25.3") << false << 0.0;
        QTest::newRow("blanks around") << QByteArray("  -4,5 ") << true << -4.5;
        QTest::newRow("exponent") << QByteArray("1,5E2") << true << 150.0;
        QTest::newRow("bare comma") << QByteArray(",") << false << 0.0;
        QTest::newRow("trailing comma") << QByteArray("7,") << true << 7.0;
        QTest::newRow("empty") << QByteArray("") << false << 0.0;
        QTest::newRow("sign only") << QByteArray("-") << false << 0.0;
        QTest::newRow("exponent without digits") << QByteArray("1E") << false << 0.0;
        QTest::newRow("garbage after") << QByteArray("12x") << false << 0.0;
        QTest::newRow("carriage return") << QByteArray("12\r") << false << 0.0;
        QTest::newRow("thousands separator") << QByteArray("1.234,5") << false << 0.0;
        QTest::newRow("overflow") << QByteArray("1E99999") << false << 0.0;
    }
    void toNumber()
    {
        QFETCH(QByteArray, text);
        const auto v = textToNumber(QByteArrayView(text));
        QCOMPARE(v.has_value(), FETCHED(bool, ok));
        if (v)
            QCOMPARE(double(*v), FETCHED(double, value));
    }

    void toInt_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << QByteArray("2000") << true << 2000;
        QTest::newRow("leading blanks") << QByteArray("  15") << true << 15;
        QTest::newRow("trailing blank") << QByteArray("15 ") << false << 0;
        QTest::newRow("negative") << QByteArray("-3") << true << -3;
        QTest::newRow("max") << QByteArray("2147483647") << true << 2147483647;
        QTest::newRow("min") << QByteArray("-2147483648") << true << int(-2147483648LL);
        QTest::newRow("overflow") << QByteArray("2147483648") << false << 0;
        QTest::newRow("decimal") << QByteArray("1,0") << false << 0;
        QTest::newRow("empty") << QByteArray() << false << 0;
    }
    void toInt()
    {
        QFETCH(QByteArray, text);
        const auto v = textToInt(QByteArrayView(text));
        QCOMPARE(v.has_value(), FETCHED(bool, ok));
        if (v)
            QCOMPARE(*v, FETCHED(int, value));
    }

    void commands_data()
    {
        QTest::addColumn<QByteArray>("built");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("poll 0") << Command::livePoll(0) << QByteArray("@M\r\n");
        QTest::newRow("poll 1") << Command::livePoll(1) << QByteArray("@G\r\n");
        QTest::newRow("poll 2") << Command::livePoll(2) << QByteArray("@B\r\n");
        QTest::newRow("record count") << Command::recordCount(12) << QByteArray("@R12\r\n");
        QTest::newRow("test header") << Command::testHeader(0) << QByteArray("@t0\r\n");
        QTest::newRow("record select") << Command::recordSelect(105) << QByteArray("@r105\r\n");
        QTest::newRow("rate seconds") << Command::setSampleRate(true, " 5 ") << QByteArray("@i0+5\r\n");
        QTest::newRow("rate minutes, 3 chars") << Command::setSampleRate(false, "1234") << QByteArray("@i1+123\r\n");
        QTest::newRow("clock") << Command::setClock(QDateTime(QDate(2024, 3, 7), QTime(9, 5, 1)))
                               << QByteArray("@H090501070324\r\n");
        QTest::newRow("unit F") << Command::unit(true) << QByteArray("@U1\r\n");
        QTest::newRow("zero 2") << Command::zeroOffset(2) << QByteArray("@z2\r\n");
        QTest::newRow("offset 1.5") << Command::adjustOffset(1, 1.5f) << QByteArray("@c1>3FC00000\r\n");
        QTest::newRow("offset -0.5") << Command::adjustOffset(3, -0.5f) << QByteArray("@c3>BF000000\r\n");
        QTest::newRow("offset 0") << Command::adjustOffset(2, 0.0f) << QByteArray("@c2>00000000\r\n");
    }
    void commands()
    {
        QFETCH(QByteArray, built);
        QCOMPARE(built, FETCHED(QByteArray, bytes));
    }
};

QTEST_GUILESS_MAIN(NumberTextTest)
#include "test_numbertext.moc"
