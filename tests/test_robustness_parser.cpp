// The reply parser against broken input: fragments, cut frames, endless
// lines, noise inside frames, absurd counts and numbers. What matters after
// each fault is that the next well-formed reply is read as it always was.
#include "core/NumberText.h"
#include "link/ReplyTurn.h"
#include "link/protocol.h"
#include "support/RecordingSink.h"
#include "support/TestData.h"

#include <QtTest>

#include <cmath>
#include <limits>

namespace {

struct Run {
    SharedState state;
    RecordingSink sink;
    ReplyParser parser{state, sink, sink.windows};
    Run() { sink.calibrationVisible = true; }

    // The stream comes while the line waits for the reply its first frame
    // answers ("@M" for ":W" ...).
    void answer(const QByteArray &stream)
    {
        const char letter = stream.size() > 1 ? stream[1] : 'W';
        const char command = letter == 'W' || letter == 'w' ? 'M' : letter == 'g' ? 'G' : letter == 'b' ? 'B' : letter;
        takeLine(state, QByteArray("@") + command + "\r\n");
        parser.feed(stream);
    }

    // What the scheduler's time-out does to the parser.
    void timeOut()
    {
        state.replyState = ReplyParser::Idle;
        state.replyField.clear();
        freeLine(state);
    }
};

// One well-formed reply of every kind the parser reads.
const QList<QPair<const char *, QByteArray>> &wellFormed()
{
    static const QList<QPair<const char *, QByteArray>> frames{
        {"live values", ":W25.3D26.1G31.0\r\n"},
        {"live values in Fahrenheit", ":w77.5d79G88\r\n"},
        {"maxima", ":G30.5D32.0G40.2\r\n"},
        {"minima", ":b1.5d2G3\r\n"},
        {"unit set", ":U1\r\n"},
        {"test count", ":T3\r\n"},
        {"record count", ":R25\r\n"},
        {"sample rate", ":I0+5\r\n"},
        {"clock set", ":H\r\n"},
        {"memory", ":FMEM T2000L1500\r\n"},
        {"acknowledgement", ":r12\r\n"},
        {"stored record", ":A01[0012]12/05/24 10:20:30 UMI=24.7\001SEC=25\001GLO=30\001C"},
    };
    return frames;
}

QStringList callsOf(const QByteArray &stream)
{
    Run r;
    r.answer(stream);
    return r.sink.calls;
}

} // namespace

class RobustnessParserTest : public QObject {
    Q_OBJECT

private slots:
    void everyFrameAfterEveryCutOfEveryFrame_data()
    {
        QTest::addColumn<QByteArray>("cut");
        QTest::addColumn<QByteArray>("frame");
        for (const auto &[cutName, cutFrame] : wellFormed())
            for (const auto &[name, frame] : wellFormed())
                QTest::addRow("%s after a %s", name, cutName) << cutFrame << frame;
    }

    // A reply cut at any byte and given up by the time-out: the next reply,
    // of any kind, writes exactly what it writes on a fresh parser.
    void everyFrameAfterEveryCutOfEveryFrame()
    {
        QFETCH(QByteArray, cut);
        QFETCH(QByteArray, frame);
        const QStringList expected = callsOf(frame);
        for (qsizetype k = 1; k < cut.size(); ++k) {
            Run r;
            r.answer(cut.left(k));
            r.timeOut();
            r.sink.calls.clear();
            r.answer(frame);
            QVERIFY2(r.sink.calls == expected, qPrintable(QStringLiteral("cut after %1 bytes").arg(k)));
            QCOMPARE(r.state.replyState, int(ReplyParser::Idle));
        }
    }

    void fragments_data()
    {
        QTest::addColumn<QByteArray>("fragment");
        QTest::newRow("a record opened and left on its line") << QByteArray(":A\r\n");
        QTest::newRow("a record opened without a line end") << QByteArray(":A");
        QTest::newRow("a record's opening with noise") << QByteArray(":A\x07zz");
        QTest::newRow("a record cut before its first value") << QByteArray(":A01[7]d t \r\n");
        QTest::newRow("a record cut before its second value") << QByteArray(":A01[7]d t UMI=1\001\r\n");
        QTest::newRow("a record cut before its end") << QByteArray(":A01[7]d t =1\001=2\001=3\001\r\n");
    }

    // No time-out here: the fragment alone must not keep the parser from the
    // whole record that follows it, and writes nothing itself.
    void fragments()
    {
        QFETCH(QByteArray, fragment);
        const QByteArray record = wellFormed().last().second;
        Run r;
        r.answer(fragment);
        QVERIFY(r.sink.calls.isEmpty());
        QVERIFY(!r.state.readyToSend);
        r.parser.feed(record);
        QCOMPARE(r.sink.calls, callsOf(record));
        QCOMPARE(r.state.replyState, int(ReplyParser::Idle));
        QVERIFY(r.state.readyToSend);
    }

    // ":A" of the noise at any place of a live frame: that frame may be lost,
    // the next one is read.
    void recordOpeningInsideLiveFrame()
    {
        const QByteArray live(":W25.3D26.1G31.0\r\n");
        for (qsizetype at = 0; at <= live.size(); ++at) {
            Run r;
            QByteArray noisy = live;
            noisy.insert(at, ":A");
            r.answer(noisy);
            r.answer(QByteArray(":W1.5D2.5G3.5\r\n"));
            QVERIFY2(double(r.state.wetReading) == 1.5 && double(r.state.globeReading) == 3.5,
                     qPrintable(QStringLiteral("\":A\" at %1").arg(at)));
            QCOMPARE(r.state.replyState, int(ReplyParser::Idle));
        }
    }

    void recordSkipsColonsInsideItsLines()
    {
        // The time holds ':' and so may the text the record skips: only a ':'
        // that starts a line ends the record.
        Run r;
        r.answer(QByteArray(":A01[1]d 10:20:30 a:b UMI=1\001x:y=2\001=3\001 :C"));
        QCOMPARE(r.sink.calls.last(), QStringLiteral("Form5.Edit5=1"));
        QVERIFY(r.sink.calls.contains("cell[1,1]=10:20:30"));
        QCOMPARE(r.state.recordIndex, 1);
    }

    void endlessLineStaysSmall()
    {
        Run r;
        r.answer(QByteArray(":W"));
        const QByteArray chunk(4096, '7');
        for (int i = 0; i < 256; ++i) { // a megabyte without a line feed
            r.parser.feed(chunk);
            QVERIFY(r.state.replyField.size() <= ReplyParser::fieldLimit);
        }
        QVERIFY(r.state.replyField.capacity() <= 4 * ReplyParser::fieldLimit);
        r.parser.feed(QByteArray("\r\n:W1D2G3\r\n"));
        QCOMPARE(double(r.state.globeReading), 3.0);
        QCOMPARE(double(r.state.wetReading), 1.0);
    }

    void longestWellFormedFieldsStillRead()
    {
        Run r;
        const QByteArray number = "1." + QByteArray(ReplyParser::fieldLimit - 2, '0');
        r.answer(":W" + number + "D2G3\r\n");
        QCOMPARE(double(r.state.wetReading), 1.0);
    }

    void counts_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<int>("testCount");
        QTest::addColumn<int>("recordCount");
        QTest::newRow("the largest 32-bit test count") << QByteArray(":T2147483647\r\n") << 0 << -1;
        QTest::newRow("a negative test count") << QByteArray(":T-1\r\n") << 0 << -1;
        QTest::newRow("a test count at the limit") << QByteArray(":T100000\r\n") << 100000 << -1;
        QTest::newRow("a test count past the limit") << QByteArray(":T100001\r\n") << 0 << -1;
        QTest::newRow("no tests") << QByteArray(":T0\r\n") << 0 << -1;
        QTest::newRow("a negative record count") << QByteArray(":R-5\r\n") << -1 << 0;
        QTest::newRow("a record count at the limit") << QByteArray(":R 100000\r\n") << -1 << 100000;
        QTest::newRow("a record count past the limit") << QByteArray(":R100001\r\n") << -1 << 0;
        QTest::newRow("a record count past 32 bits") << QByteArray(":R99999999999\r\n") << -1 << 0;
        QTest::newRow("a record count with a plus sign") << QByteArray(":R+12\r\n") << -1 << 12;
    }

    void counts()
    {
        QFETCH(QByteArray, stream);
        Run r;
        r.state.testCount = r.state.recordCount = -1;
        r.answer(stream);
        QCOMPARE(r.state.testCount, FETCHED(int, testCount));
        QCOMPARE(r.state.recordCount, FETCHED(int, recordCount));
    }

    void hugeReadings_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("charted");
        QTest::newRow("ten to the 4000th") << QByteArray("1.0e4000") << 0.0 << false;
        QTest::newRow("minus ten to the 4931st") << QByteArray("-1e4931") << 0.0 << false;
        QTest::newRow("past the extended range") << QByteArray("1e5000") << 0.0 << false;
        QTest::newRow("the largest double") << QByteArray("1.7976931348623157e308") << 1.7976931348623157e308 << true;
        QTest::newRow("a tiny value") << QByteArray("1e-300") << 1e-300 << true;
        QTest::newRow("an ordinary one") << QByteArray("-12.5") << -12.5 << true;
    }

    // Readings beyond a double count as malformed (0 for the live values, no
    // chart point for a record): the gauges and the chart hold doubles.
    void hugeReadings()
    {
        QFETCH(QByteArray, text);
        QFETCH(double, value);
        Run r;
        r.answer(":W" + text + "D" + text + "G" + text + "\r\n");
        QCOMPARE(double(r.state.wetReading), value);
        QCOMPARE(double(r.state.globeReading), value);
        QCOMPARE(r.sink.calls.size(), 3); // the calibration dialog's fields
        for (const QString &call : r.sink.calls)
            QVERIFY2(!call.contains("INF") && !call.contains("NAN"), qPrintable(call));

        Run rec;
        rec.answer(":A01[1]d t =" + text + "\001=" + text + "\001=" + text + "\001C");
        QCOMPARE(rec.sink.calls.filter("point").size(), FETCHED(bool, charted) ? 3 : 0);
        QCOMPARE(rec.sink.calls.last(), QStringLiteral("Form5.Edit5=1"));
    }

    void generalFormatOfAnyMagnitude_data()
    {
        QTest::addColumn<QByteArray>("text"); // as textToNumber reads it
        QTest::addColumn<QString>("shown");
        QTest::newRow("ten to the 4000th") << QByteArray("1,0e4000") << "1E4000";
        QTest::newRow("minus ten to the 4931st") << QByteArray("-1e4931") << "-1E4931";
        QTest::newRow("near the extended maximum") << QByteArray("1,18e4932") << "1,18E4932";
        QTest::newRow("the smallest normal extended")
            << QByteArray("3,3621031431120935063e-4932") << "3,36210314311209E-4932";
        QTest::newRow("past a double, below the extended maximum") << QByteArray("2,5e308") << "2,5E308";
        QTest::newRow("ordinary") << QByteArray("25,3") << "25,3";
    }

    void generalFormatOfAnyMagnitude()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, shown);
        const auto v = textToNumber(QByteArrayView(text));
        QVERIFY(v);
        QCOMPARE(formatGeneral(*v), shown);
    }

    void generalFormatOfInfinityAndNaN()
    {
        const long double inf = std::numeric_limits<long double>::infinity();
        QCOMPARE(formatGeneral(inf), QStringLiteral("INF"));
        QCOMPARE(formatGeneral(-inf), QStringLiteral("-INF"));
        QCOMPARE(formatGeneral(std::numeric_limits<long double>::quiet_NaN()), QStringLiteral("NAN"));
        QCOMPARE(formatGeneral(std::numeric_limits<long double>::max()), QStringLiteral("1,18973149535723E4932"));
        QCOMPARE(formatGeneral(std::numeric_limits<long double>::denorm_min()).right(6), QStringLiteral("E-4951"));
        QCOMPARE(formatGeneral(-std::numeric_limits<long double>::lowest()), QStringLiteral("1,18973149535723E4932"));
    }

    void clockNoticeOnlyForItsCommand()
    {
        // Noise full of ":H" and line feeds: only the reply to the clock
        // command asks for the notice.
        Run r;
        r.answer(QByteArray(":H\n:H\r\nx:Hyy\n"));
        QCOMPARE(r.sink.calls.size(), 1);
        QCOMPARE(r.state.replyState, int(ReplyParser::Idle));
    }
};

QTEST_GUILESS_MAIN(RobustnessParserTest)
#include "test_robustness_parser.moc"
