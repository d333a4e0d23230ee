// vestara-sim answers each request of the command set with the right frame,
// seen from a bare serial client; each frame is also fed to the client's reply
// parser, which must end it cleanly (state 0, link free).

#include "link/ReplyTurn.h"
#include "link/protocol.h"
#include "support/RecordingSink.h"
#include "support/Simulator.h"
#include "support/SimulatorPort.h"
#include "support/TestData.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

// An expected reply of "" means the meter stays silent. A reply that came
// later than this wait would still show: as the reply to the next request, or
// in the bytes left over at the end.
constexpr int kSilenceMs = 100;

struct Exchange {
    QByteArray request;
    QByteArray reply;
};

QList<Exchange> conversation(std::initializer_list<std::pair<const char *, const char *>> pairs)
{
    QList<Exchange> list;
    for (const auto &[request, reply] : pairs)
        list.append({QByteArray(request) + "\r\n", QByteArray(reply)});
    return list;
}

struct RecordFields {
    int test = 0, reg = 0;
    QDateTime when;
    double wet = 0, dry = 0, globe = 0;
};

std::optional<RecordFields> recordFields(const QByteArray &frame)
{
    static const QRegularExpression pattern(
        QStringLiteral("^:A(\\d\\d)\\[(\\d{4})\\](\\d\\d/\\d\\d/\\d\\d) (\\d\\d:\\d\\d:\\d\\d) "
                       "UMI=(-?\\d+\\.\\d)\\x01SEC=(-?\\d+\\.\\d)\\x01GLO=(-?\\d+\\.\\d)\\x01C$"));
    const auto m = pattern.match(QString::fromLatin1(frame));
    if (!m.hasMatch())
        return std::nullopt;
    RecordFields f;
    f.test = m.captured(1).toInt();
    f.reg = m.captured(2).toInt();
    f.when = QDateTime::fromString(m.captured(3) + u' ' + m.captured(4), QStringLiteral("dd/MM/yy HH:mm:ss"));
    f.wet = m.captured(5).toDouble();
    f.dry = m.captured(6).toDouble();
    f.globe = m.captured(7).toDouble();
    return f;
}

} // namespace

Q_DECLARE_METATYPE(QList<Exchange>)

class SimulatorFramesTest : public QObject {
    Q_OBJECT

    SimulatorProcess sim;
    SimulatorPort port;

    void startWith(const QStringList &args)
    {
        QVERIFY2(sim.start(args), qPrintable(sim.errorText()));
        QVERIFY(port.open(sim.devicePath()));
    }

    // Downloads every record of test `index` the way the client does.
    QByteArrayList download(int index)
    {
        QByteArrayList frames;
        const QByteArray count = port.ask("@R" + QByteArray::number(index) + "\r\n");
        port.ask("@t" + QByteArray::number(index) + "\r\n");
        const int records = count.mid(2).trimmed().toInt();
        for (int j = 0; j < records; ++j) {
            port.ask("@r" + QByteArray::number(j) + "\r\n");
            frames << port.ask("@A\r\n");
        }
        return frames;
    }

private slots:
    void cleanup()
    {
        port.close();
        sim.stop();
    }

    void answers_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QList<Exchange>>("exchanges");
        const QStringList steady{"--drift", "0"};

        QTest::newRow("live, maxima and minima at rest")
            << steady
            << conversation(
                   {{"@M", ":W24.5D30.2G33.8\r\n"}, {"@G", ":G24.5D30.2G33.8\r\n"}, {"@B", ":B24.5D30.2G33.8\r\n"}});
        QTest::newRow("set values, Fahrenheit letters in lower case")
            << (steady + QStringList{"--wet", "20", "--dry", "25.5", "--globe", "40", "--unit", "F"})
            << conversation(
                   {{"@M", ":w68.0D77.9G104.0\r\n"}, {"@G", ":g68.0D77.9G104.0\r\n"}, {"@B", ":b68.0D77.9G104.0\r\n"}});
        QTest::newRow("unit switch changes letters and values") << steady
                                                                << conversation({{"@U1", ":U1\r\n"},
                                                                                 {"@M", ":w76.1D86.4G92.8\r\n"},
                                                                                 {"@G", ":g76.1D86.4G92.8\r\n"},
                                                                                 {"@U0", ":U0\r\n"},
                                                                                 {"@M", ":W24.5D30.2G33.8\r\n"}});
        QTest::newRow("stored tests of 10, 0 and 25 records by default")
            << QStringList{}
            << conversation({{"@T", ":T3\r\n"},
                             {"@R0", ":R10\r\n"},
                             {"@R1", ":R0\r\n"},
                             {"@R2", ":R25\r\n"},
                             {"@R3", ":R0\r\n"},
                             {"@F", ":FMEM T2000L1965\r\n"}});
        QTest::newRow("sizes and memory as asked") << QStringList{"--sizes", "4,0,7,1", "--memory", "100"}
                                                   << conversation({{"@T", ":T4\r\n"},
                                                                    {"@R2", ":R7\r\n"},
                                                                    {"@R3", ":R1\r\n"},
                                                                    {"@R4", ":R0\r\n"},
                                                                    {"@F", ":FMEM T100L88\r\n"}});
        QTest::newRow("tests counted without sizes")
            << QStringList{"--tests", "0"} << conversation({{"@T", ":T0\r\n"}, {"@R0", ":R0\r\n"}});
        QTest::newRow("selections echo their number")
            << QStringList{} << conversation({{"@t1", ":t1\r\n"}, {"@r17", ":r17\r\n"}, {"@t12", ":t12\r\n"}});
        QTest::newRow("erasing empties the memory") << QStringList{}
                                                    << conversation({{"@X", ":XOK\r\n"},
                                                                     {"@T", ":T0\r\n"},
                                                                     {"@R0", ":R0\r\n"},
                                                                     {"@F", ":FMEM T2000L2000\r\n"},
                                                                     {"@t0", ":t0\r\n"},
                                                                     {"@r0", ":r0\r\n"},
                                                                     {"@A", ""}});
        QTest::newRow("no record without a valid selection") << QStringList{}
                                                             << conversation({{"@A", ""},
                                                                              {"@R1", ":R0\r\n"},
                                                                              {"@r0", ":r0\r\n"},
                                                                              {"@A", ""},
                                                                              {"@R0", ":R10\r\n"},
                                                                              {"@r10", ":r10\r\n"},
                                                                              {"@A", ""}});
        QTest::newRow("sampling interval read and set") << QStringList{}
                                                        << conversation({{"@I", ":I0+5\r\n"},
                                                                         {"@u", ":u5\r\n"},
                                                                         {"@i1+10", ":i1+10\r\n"},
                                                                         {"@I", ":I1+10\r\n"},
                                                                         {"@u", ":u600\r\n"},
                                                                         {"@i0+999", ":i0+999\r\n"},
                                                                         {"@I", ":I0+999\r\n"}});
        QTest::newRow("interval option in minutes")
            << QStringList{"--interval", "2m"} << conversation({{"@I", ":I1+2\r\n"}});
        QTest::newRow("malformed intervals are neither answered nor kept")
            << QStringList{}
            << conversation(
                   {{"@i0+0", ""}, {"@i2+5", ""}, {"@i0+1000", ""}, {"@i0+", ""}, {"@i1+ 5", ""}, {"@I", ":I0+5\r\n"}});
        QTest::newRow("clock set, impossible times refused")
            << QStringList{}
            << conversation({{"@H235959311224", ":H23:59:59 31/12/24\r\n"},
                             {"@H000000290224", ":H00:00:00 29/02/24\r\n"},
                             {"@H240000010124", ""},
                             {"@H000000300224", ""},
                             {"@H000000290223", ""},
                             {"@H00000001012", ""}});
        QTest::newRow("offsets add to what is shown, one channel or all zeroed")
            << steady
            << conversation({{"@c1>3F000000", ":c1\r\n"},
                             {"@M", ":W25.0D30.2G33.8\r\n"},
                             {"@c2>BFC00000", ":c2\r\n"},
                             {"@M", ":W25.0D28.7G33.8\r\n"},
                             {"@c1>3F000000", ":c1\r\n"},
                             {"@M", ":W25.5D28.7G33.8\r\n"},
                             {"@z1", ":z1\r\n"},
                             {"@M", ":W24.5D28.7G33.8\r\n"},
                             {"@Z", ":Z\r\n"},
                             {"@M", ":W24.5D30.2G33.8\r\n"}});
        QTest::newRow("a Fahrenheit offset is a Fahrenheit difference")
            << (steady + QStringList{"--unit", "F"})
            << conversation({{"@c3>41100000", ":c3\r\n"}, {"@M", ":w76.1D86.4G101.8\r\n"}});
        QTest::newRow("single-precision patterns decoded exactly") << steady
                                                                   << conversation({{"@c1>BE999980", ":c1\r\n"},
                                                                                    {"@M", ":W24.2D30.2G33.8\r\n"},
                                                                                    {"@c3>3dcccc00", ":c3\r\n"},
                                                                                    {"@M", ":W24.2D30.2G33.9\r\n"}});
        QTest::newRow("broken offsets are refused") << steady
                                                    << conversation({{"@c4>3F000000", ""},
                                                                     {"@c0>3F000000", ""},
                                                                     {"@c1>7F800000", ""},
                                                                     {"@c1>7FC00000", ""},
                                                                     {"@c1>3F00000", ""},
                                                                     {"@c1=3F000000", ""},
                                                                     {"@c1>3F00000G", ""},
                                                                     {"@c1>3F0000000", ""},
                                                                     {"@c1>4B000000", ""},
                                                                     {"@M", ":W24.5D30.2G33.8\r\n"}});
        QTest::newRow("maxima and minima kept from what was shown") << steady
                                                                    << conversation({{"@c1>40000000", ":c1\r\n"},
                                                                                     {"@M", ":W26.5D30.2G33.8\r\n"},
                                                                                     {"@c1>C0800000", ":c1\r\n"},
                                                                                     {"@M", ":W22.5D30.2G33.8\r\n"},
                                                                                     {"@Z", ":Z\r\n"},
                                                                                     {"@G", ":G26.5D30.2G33.8\r\n"},
                                                                                     {"@B", ":B22.5D30.2G33.8\r\n"},
                                                                                     {"@U1", ":U1\r\n"},
                                                                                     {"@G", ":g79.7D86.4G92.8\r\n"}});
        QTest::newRow("unknown requests are ignored") << QStringList{}
                                                      << conversation({{"@Q", ""},
                                                                       {"M", ""},
                                                                       {"@M5", ""},
                                                                       {"@U2", ""},
                                                                       {"@R-1", ""},
                                                                       {"@R+1", ""},
                                                                       {"@Tx", ""},
                                                                       {"", ""},
                                                                       {"@", ""},
                                                                       {"@T", ":T3\r\n"}});
    }

    void answers()
    {
        QFETCH(QStringList, args);
        QFETCH(QList<Exchange>, exchanges);
        startWith(args);
        for (const Exchange &e : exchanges) {
            const QByteArray reply = port.ask(e.request, e.reply.isEmpty() ? kSilenceMs : 2000);
            QCOMPARE(reply, e.reply);
            if (reply.isEmpty())
                continue;
            SharedState state;
            RecordingSink sink;
            ReplyParser parser(state, sink, sink.windows);
            takeLine(state, e.request);
            parser.feed(QByteArrayView(reply));
            QCOMPARE(state.replyState, 0);
            QVERIFY(state.readyToSend);
        }
        QCOMPARE(port.skipped(), QByteArray());
        QCOMPARE(sim.requests().size(), exchanges.size());
    }

    void liveValuesDriftWithinBounds()
    {
        startWith({"--drift", "0.3"});
        const double centre[3] = {24.5, 30.2, 33.8};
        // What the display showed at power-on counts for the extremes too.
        double highest[3] = {24.5, 30.2, 33.8}, lowest[3] = {24.5, 30.2, 33.8};
        QSet<QByteArray> distinct;
        static const QRegularExpression live(
            QStringLiteral("^:[WGB](-?\\d+\\.\\d)D(-?\\d+\\.\\d)G(-?\\d+\\.\\d)\r\n$"));
        for (int i = 0; i < 200; ++i) {
            const QByteArray frame = port.ask("@M\r\n");
            const auto m = live.match(QString::fromLatin1(frame));
            QVERIFY2(frame.startsWith(":W") && m.hasMatch(), frame.constData());
            distinct << frame;
            for (int k = 0; k < 3; ++k) {
                const double v = m.captured(k + 1).toDouble();
                QVERIFY2(qAbs(v - centre[k]) <= 0.3 + 1e-9, frame.constData());
                highest[k] = qMax(highest[k], v);
                lowest[k] = qMin(lowest[k], v);
            }
        }
        QVERIFY2(distinct.size() > 10, "live values do not move");
        const auto frame = [](char letter, const double v[3]) {
            return QByteArray(":") + letter + QByteArray::number(v[0], 'f', 1) + 'D' +
                   QByteArray::number(v[1], 'f', 1) + 'G' + QByteArray::number(v[2], 'f', 1) + "\r\n";
        };
        QCOMPARE(port.ask("@G\r\n"), frame('G', highest));
        QCOMPARE(port.ask("@B\r\n"), frame('B', lowest));
    }

    void recordsAsTheClientDownloadsThem()
    {
        startWith({});
        QCOMPARE(port.ask("@T\r\n"), QByteArray(":T3\r\n"));
        int expectedRegister = 1;
        const int sizes[3] = {10, 0, 25};
        QDate previousDay;
        for (int t = 0; t < 3; ++t) {
            const QByteArrayList frames = download(t);
            QCOMPARE(frames.size(), sizes[t]);
            QDateTime previous;
            for (const QByteArray &frame : frames) {
                const auto f = recordFields(frame);
                QVERIFY2(f, frame.constData());
                QCOMPARE(f->test, t + 1);
                QCOMPARE(f->reg, expectedRegister++);
                QVERIFY(f->when.isValid());
                if (previous.isValid())
                    QCOMPARE(previous.secsTo(f->when), 5); // the sampling interval
                else
                    QVERIFY(!previousDay.isValid() || f->when.date() > previousDay);
                previous = f->when;
                QVERIFY(qAbs(f->wet - 24.5) <= 1.55 && qAbs(f->dry - 30.2) <= 1.55 && qAbs(f->globe - 33.8) <= 1.55);
            }
            if (previous.isValid())
                previousDay = previous.date();
        }
    }

    void recordsInFahrenheitAreConverted()
    {
        startWith({"--sizes", "6"});
        const QByteArrayList celsius = download(0);
        QCOMPARE(port.ask("@U1\r\n"), QByteArray(":U1\r\n"));
        const QByteArrayList fahrenheit = download(0);
        QCOMPARE(fahrenheit.size(), 6);
        for (int j = 0; j < 6; ++j) {
            const auto c = recordFields(celsius[j]);
            const auto f = recordFields(fahrenheit[j]);
            QVERIFY(c && f);
            QCOMPARE(f->reg, c->reg);
            QCOMPARE(f->when, c->when);
            QVERIFY(qAbs(f->wet - (c->wet * 1.8 + 32)) < 0.051);
            QVERIFY(qAbs(f->dry - (c->dry * 1.8 + 32)) < 0.051);
            QVERIFY(qAbs(f->globe - (c->globe * 1.8 + 32)) < 0.051);
        }
    }

    void clientParserReadsADownload()
    {
        startWith({"--sizes", "3,4"});
        SharedState state;
        RecordingSink sink;
        ReplyParser parser(state, sink, sink.windows);
        const QByteArrayList frames = download(1);
        for (const QByteArray &frame : frames) {
            takeLine(state, "@A\r\n");
            parser.feed(QByteArrayView(frame));
        }
        QCOMPARE(state.recordIndex, 4);
        QCOMPARE(state.replyState, 0);
        // Register numbers run on through the memory: test 2 starts at 4.
        QVERIFY(sink.calls.contains(QStringLiteral("cell[1,0]=0004")));
        QVERIFY(sink.calls.contains(QStringLiteral("cell[4,0]=0007")));
        QCOMPARE(sink.calls.filter(QRegularExpression(QStringLiteral("^point2\\("))).size(), 4);
        QCOMPARE(sink.calls.filter(QRegularExpression(QStringLiteral("^cell\\[\\d,6\\]="))).size(), 4);
    }

    void seedDecidesTheStoredTests()
    {
        QByteArrayList first;
        for (int run = 0; run < 2; ++run) {
            startWith({"--seed", "77"});
            const QByteArray count = port.ask("@T\r\n");
            QVERIFY(count.startsWith(":T"));
            QByteArrayList seen{count};
            for (int t = 0; t < count.mid(2).trimmed().toInt(); ++t)
                seen << download(t);
            if (run == 0)
                first = seen;
            else
                QCOMPARE(seen, first);
            cleanup();
        }
        startWith({"--seed", "78"});
        QByteArrayList other{port.ask("@T\r\n")};
        for (int t = 0; t < other.first().mid(2).trimmed().toInt(); ++t)
            other << download(t);
        QVERIFY(other != first);
    }
};

QTEST_GUILESS_MAIN(SimulatorFramesTest)
#include "test_simulator_frames.moc"
