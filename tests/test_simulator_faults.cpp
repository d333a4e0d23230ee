// vestara-sim's damaged output for robustness tests: each fault option sends
// exactly the bytes it promises, and nothing more.

#include "support/Simulator.h"
#include "support/SimulatorPort.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

QByteArray repeated(const QByteArray &bytes, int times)
{
    QByteArray all;
    for (int i = 0; i < times; ++i)
        all += bytes;
    return all;
}

} // namespace

class SimulatorFaultsTest : public QObject {
    Q_OBJECT

    SimulatorProcess sim;
    SimulatorPort port;

    void startWith(const QStringList &args)
    {
        QVERIFY2(sim.start(args), qPrintable(sim.errorText()));
        QVERIFY(port.open(sim.devicePath()));
    }

private slots:
    void cleanup()
    {
        port.close();
        sim.stop();
    }

    void exactBytes_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("requests");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray t = ":T3\r\n";
        QTest::newRow("the second reply cut after 3 bytes")
            << QStringList{"--cut-frame", "2:3"} << repeated("@T\r\n", 3) << t + ":T3" + t;
        QTest::newRow("a reply cut at 0 sends nothing of it")
            << QStringList{"--cut-frame", "1:0"} << repeated("@T\r\n", 2) << t;
        QTest::newRow("a cut beyond the frame sends it whole")
            << QStringList{"--cut-frame", "1:99"} << repeated("@T\r\n", 2) << t + t;
        QTest::newRow("a cut before the line feed leaves the CR")
            << QStringList{"--cut-frame", "1:4"} << repeated("@T\r\n", 2) << ":T3\r" + t;
        QTest::newRow("two cuts, given in either order")
            << QStringList{"--cut-frame=3:4", "--cut-frame", "1:1"} << repeated("@T\r\n", 3) << ":" + t + ":T3\r";
        QTest::newRow("a stored record cut after its register number")
            << QStringList{"--cut-frame", "4:10"} << QByteArray("@R0\r\n@t0\r\n@r0\r\n@A\r\n@T\r\n")
            << QByteArray(":R10\r\n:t0\r\n:r0\r\n:A01[0001]") + t;
        QTest::newRow("unanswered requests are not replies")
            << QStringList{"--cut-frame", "2:2"} << QByteArray("@T\r\n@Q\r\n@A\r\n@T\r\n@T\r\n") << t + ":T" + t;
        QTest::newRow("a record start injected after the first reply")
            << QStringList{"--inject-after", "1::A\\r\\n"} << repeated("@T\r\n", 2) << t + ":A\r\n" + t;
        QTest::newRow("escapes decoded") << QStringList{"--inject-after", "2:\\x01C\\\\\\t\\0x"}
                                         << repeated("@T\r\n", 3)
                                         << t + t +
                                                QByteArray("\x01"
                                                           "C\\\t\0x",
                                                           6) +
                                                t;
        QTest::newRow("two injections after one reply, in the order given")
            << QStringList{"--inject-after", "1:ab", "--inject-after", "1:cd"} << repeated("@T\r\n", 1) << t + "abcd";
        QTest::newRow("an injection follows a cut reply")
            << QStringList{"--cut-frame", "1:2", "--inject-after", "1::H\\n"} << repeated("@T\r\n", 2) << ":T:H\n" + t;
        QTest::newRow("line feeds gone after 2 replies")
            << QStringList{"--no-lf-after", "2"} << repeated("@T\r\n", 4) << t + t + ":T3\r:T3\r";
        QTest::newRow("no line feeds at all")
            << QStringList{"--no-lf-after", "0"} << QByteArray("@R0\r\n@t0\r\n@r0\r\n@F\r\n")
            << QByteArray(":R10\r:t0\r:r0\r:FMEM T2000L1965\r");
        QTest::newRow("the largest 32-bit test count")
            << QStringList{"--test-count", "2147483647"} << QByteArray("@T\r\n") << QByteArray(":T2147483647\r\n");
        QTest::newRow("a negative test count")
            << QStringList{"--test-count", "-1"} << QByteArray("@T\r\n") << QByteArray(":T-1\r\n");
        QTest::newRow("a test count without a number")
            << QStringList{"--test-count="} << QByteArray("@T\r\n") << QByteArray(":T\r\n");
        QTest::newRow("a record count beyond 32 bits, for every test")
            << QStringList{"--record-count", "99999999999"} << QByteArray("@R0\r\n@R7\r\n")
            << QByteArray(":R99999999999\r\n:R99999999999\r\n");
        QTest::newRow("a negative record count")
            << QStringList{"--record-count", "-2147483648"} << QByteArray("@R1\r\n") << QByteArray(":R-2147483648\r\n");
        QTest::newRow("silent after 1 reply, the rest still logged")
            << QStringList{"--silent-after", "1"} << repeated("@T\r\n", 3) << t;
    }

    // All requests go out at once; the replies come back in order, and after
    // the promised bytes the line stays quiet.
    void exactBytes()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, requests);
        QFETCH(QByteArray, bytes);
        startWith(args + QStringList{"--drift", "0"});
        QVERIFY(port.write(requests));
        QCOMPARE(port.readBytes(int(bytes.size()), 3000), bytes);
        QCOMPARE(port.readFor(200), QByteArray());
        QCOMPARE(sim.requests().size(), requests.count('\n'));
    }

    // The record count is a fault of the reply only: the test it asks for is
    // still the one whose records come next.
    void recordCountKeepsTheSelection()
    {
        startWith({"--record-count", "99999999999"});
        QCOMPARE(port.ask("@R2\r\n"), QByteArray(":R99999999999\r\n"));
        QCOMPARE(port.ask("@r3\r\n"), QByteArray(":r3\r\n"));
        const QByteArray record = port.ask("@A\r\n");
        QVERIFY2(record.startsWith(":A03["), record.constData());
    }

    // A stored record ends with its "C", not a line feed: it goes out whole.
    void recordKeepsItsEndWithoutLineFeeds()
    {
        startWith({"--no-lf-after", "0"});
        QVERIFY(port.write("@R0\r\n"));
        QCOMPARE(port.readBytes(5, 2000), QByteArray(":R10\r"));
        QVERIFY(port.write("@r0\r\n"));
        QCOMPARE(port.readBytes(4, 2000), QByteArray(":r0\r"));
        const QByteArray record = port.ask("@A\r\n");
        QVERIFY2(record.startsWith(":A01[0001]") && record.endsWith("\x01"
                                                                    "C"),
                 record.constData());
        QCOMPARE(port.readFor(200), QByteArray());
    }

    void floodRate_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("expected");
        QTest::newRow("200 bytes a second, unpaced") << 0 << 200 << 200;
        QTest::newRow("3000 bytes a second, unpaced") << 0 << 3000 << 3000;
        QTest::newRow("more than the line carries at 19200 bit/s") << 19200 << 1000000 << 1920;
    }

    // Noise comes without any request, at the rate asked (or what the line
    // carries).
    void floodRate()
    {
        QFETCH(int, baud);
        QFETCH(int, rate);
        QFETCH(int, expected);
        startWith({"--noise-flood", QString::number(rate), "--baud", QString::number(baud)});
        port.readFor(300); // what piled up before the port was opened
        QElapsedTimer clock;
        clock.start();
        const QByteArray noise = port.readFor(1500);
        const double perSecond = double(noise.size()) / (double(clock.nsecsElapsed()) / 1e9);
        QVERIFY2(perSecond > expected * 0.6 && perSecond < expected * 1.1,
                 qPrintable(QStringLiteral("%1 bytes a second, %2 expected").arg(perSecond).arg(expected)));
        QVERIFY(sim.requests().isEmpty());
    }

    // The noise is one sequence, whatever bursts it goes out in: the same
    // seed repeats it, another seed does not.
    void floodRepeatsWithItsSeed()
    {
        QByteArrayList runs;
        for (const char *seed : {"7", "7", "8"}) {
            startWith({"--noise-flood", "4000", "--seed", seed});
            runs << port.readBytes(1500, 3000);
            QCOMPARE(runs.last().size(), 1500);
            cleanup();
        }
        QCOMPARE(runs.at(0), runs.at(1));
        QVERIFY(runs.at(0) != runs.at(2));
        // It holds the frame pieces that derail a reader.
        for (const QByteArray &run : runs)
            for (const QByteArray &piece : {QByteArray(":H\n"), QByteArray(":A["), QByteArray("\x01"), QByteArray("C")})
                QVERIFY2(run.contains(piece), piece.toHex().constData());
    }

    // Replies go out whole between the noise, never split by it.
    void floodKeepsRepliesWhole()
    {
        startWith({"--noise-flood", "5000", "--baud", "19200", "--drift", "0"});
        QByteArray stream;
        for (int i = 0; i < 5; ++i) {
            QVERIFY(port.write("@M\r\n"));
            stream += port.readFor(150);
        }
        stream += port.readFor(200);
        QCOMPARE(stream.count(":W24.5D30.2G33.8\r\n"), 5);
        QVERIFY(stream.size() > 5 * 200);
    }

    void badFaultOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("cut of reply 0") << QStringList{"--cut-frame", "0:3"};
        QTest::newRow("cut without a length") << QStringList{"--cut-frame", "2"};
        QTest::newRow("cut length not a number") << QStringList{"--cut-frame", "2:x"};
        QTest::newRow("negative cut length") << QStringList{"--cut-frame", "2:-1"};
        QTest::newRow("empty injection") << QStringList{"--inject-after", "1:"};
        QTest::newRow("unknown escape") << QStringList{"--inject-after", "1:\\q"};
        QTest::newRow("short hex escape") << QStringList{"--inject-after", "1:\\x4"};
        QTest::newRow("lone backslash") << QStringList{"--inject-after", "1:ab\\"};
        QTest::newRow("flood of 0 bytes") << QStringList{"--noise-flood", "0"};
        QTest::newRow("negative reply count for line feeds") << QStringList{"--no-lf-after", "-1"};
        QTest::newRow("line feed inside a count") << QStringList{"--test-count", "1\\n2"};
        QTest::newRow("count text too long") << QStringList{"--record-count", QString(65, u'9')};
    }

    void badFaultOptions()
    {
        QFETCH(QStringList, args);
        QProcess p;
        p.start(QStringLiteral(VESTARA_BIN_DIR "/vestara-sim"), args);
        QVERIFY(p.waitForFinished(3000));
        QCOMPARE(p.exitCode(), 2);
        QCOMPARE(p.readAllStandardOutput(), QByteArray());
        QVERIFY(p.readAllStandardError().contains("--help"));
    }
};

QTEST_GUILESS_MAIN(SimulatorFaultsTest)
#include "test_simulator_faults.moc"
