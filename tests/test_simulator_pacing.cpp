// vestara-sim paces its line both ways: a reply never starts before the
// request's own bytes could have arrived at the line rate, and replies go out
// no faster than the line carries them. A download then costs on the line
// exactly what its frames add up to.
//
// Every lower bound below is measured from before the test writes the request
// to after it reads the reply, so it holds however late the simulator is
// scheduled; a simulator that answers early fails it.

#include "support/Simulator.h"
#include "support/SimulatorPort.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

// The longest request the meter answers with a short frame: 14 bytes in, 5 out.
const QByteArray kOffsetRequest = "@c1>00000000\r\n";
const QByteArray kOffsetReply = ":c1\r\n";

QByteArray repeated(const QByteArray &bytes, int times)
{
    QByteArray all;
    for (int i = 0; i < times; ++i)
        all += bytes;
    return all;
}

double byteSeconds(int baud)
{
    return 10.0 / baud;
}

double seconds(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e9;
}

int digits(int n)
{
    return int(QByteArray::number(n).size());
}

} // namespace

class SimulatorPacingTest : public QObject {
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

    void requestTakesItsTime_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("requests");
        QTest::newRow("one request at 19200 bit/s") << 19200 << 1;
        QTest::newRow("one request at 2400 bit/s") << 2400 << 1;
        QTest::newRow("a burst of 40 at 19200 bit/s, longer in than out") << 19200 << 40;
        QTest::newRow("a burst of 10 at 4800 bit/s") << 4800 << 10;
    }

    // The first reply byte arrives no sooner than one request's bytes and
    // itself take on the line; the last reply ends no sooner than all
    // requests took plus its own bytes, since the requests carry more bytes
    // than the replies.
    void requestTakesItsTime()
    {
        QFETCH(int, baud);
        QFETCH(int, requests);
        startWith({"--baud", QString::number(baud)});
        const double t = byteSeconds(baud);
        const int requestBytes = requests * int(kOffsetRequest.size());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(port.write(repeated(kOffsetRequest, requests)));
        QCOMPARE(port.readBytes(1, 3000), QByteArray(":"));
        const double first = seconds(clock);
        const QByteArray rest = port.readBytes(requests * int(kOffsetReply.size()) - 1, 5000);
        const double last = seconds(clock);
        QCOMPARE(":" + rest, repeated(kOffsetReply, requests));

        const double firstBound = double(kOffsetRequest.size() + 1) * t;
        const double lastBound = double(requestBytes + kOffsetReply.size()) * t;
        QVERIFY2(first >= firstBound,
                 qPrintable(QStringLiteral("first byte after %1 s, line needs %2 s").arg(first).arg(firstBound)));
        QVERIFY2(last >= lastBound,
                 qPrintable(QStringLiteral("last byte after %1 s, line needs %2 s").arg(last).arg(lastBound)));
        // Not much slower than the line either (a loaded machine may add some).
        QVERIFY2(last < lastBound * 1.5 + 0.2,
                 qPrintable(QStringLiteral("%1 s for %2 s of line").arg(last).arg(lastBound)));
    }

    // A request written a few bytes at a time is answered once its last byte
    // could have arrived after it was written.
    void requestWrittenInPieces()
    {
        startWith({"--baud", "2400"});
        QElapsedTimer clock;
        clock.start();
        QVERIFY(port.write(kOffsetRequest.left(7)));
        QCOMPARE(port.readFor(60), QByteArray());
        const double secondHalf = seconds(clock);
        QVERIFY(port.write(kOffsetRequest.mid(7)));
        QCOMPARE(port.readBytes(1, 3000), QByteArray(":"));
        const double bound = secondHalf + 8 * byteSeconds(2400);
        QVERIFY2(seconds(clock) >= bound, qPrintable(QStringLiteral("%1 s < %2 s").arg(seconds(clock)).arg(bound)));
        QCOMPARE(":" + port.readBytes(4, 2000), kOffsetReply);
    }

    // 200 requests would need 1.46 s of line at 19200 bit/s in alone.
    void unpacedAnswersAtOnce()
    {
        startWith({"--baud", "0"});
        QElapsedTimer clock;
        clock.start();
        QVERIFY(port.write(repeated(kOffsetRequest, 200)));
        QCOMPARE(port.readBytes(200 * int(kOffsetReply.size()), 5000), repeated(kOffsetReply, 200));
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    }

    // The reply delay comes on top of the request's own time.
    void delayAfterTheRequestArrived()
    {
        startWith({"--baud", "2400", "--delay", "100"});
        QElapsedTimer clock;
        clock.start();
        QVERIFY(port.write(kOffsetRequest));
        QCOMPARE(port.readBytes(1, 3000), QByteArray(":"));
        const double bound = 0.1 + double(kOffsetRequest.size() + 1) * byteSeconds(2400);
        QVERIFY2(seconds(clock) >= bound, qPrintable(QStringLiteral("%1 s < %2 s").arg(seconds(clock)).arg(bound)));
    }

    // A client that wrote far more than the line could carry yet and left
    // does not hold up the next client's answers.
    void departedClientOwesNoTime()
    {
        startWith({"--baud", "19200"});
        QVERIFY(port.write(repeated("@M\r\n", 5000))); // 10 s of line
        QVERIFY(sim.waitForRequests(5000, 5000));
        port.close();
        QTest::qWait(300);
        SimulatorPort next;
        QVERIFY(next.open(sim.devicePath()));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(next.ask("@T\r\n", 5000), QByteArray(":T3\r\n"));
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    }

    // Downloading records the way the client does ("@r" j, then "@A") costs
    // 68 + 2·d(j) bytes of line per record (d: decimal digits of j), and the
    // download takes at least that many byte times: each byte is handed over
    // once it has fully arrived.
    void downloadCostsWhatItsFramesCarry()
    {
        constexpr int records = 40;
        startWith({"--baud", "19200", "--sizes", QString::number(records)});
        QCOMPARE(port.ask("@R0\r\n"), QByteArray(":R40\r\n"));
        QCOMPARE(port.ask("@t0\r\n"), QByteArray(":t0\r\n"));
        qint64 lineBytes = 0;
        QElapsedTimer clock;
        clock.start();
        for (int j = 0; j < records; ++j) {
            const QByteArray select = "@r" + QByteArray::number(j) + "\r\n";
            const QByteArray selected = port.ask(select);
            QCOMPARE(selected, ":r" + QByteArray::number(j) + "\r\n");
            const QByteArray record = port.ask("@A\r\n");
            QVERIFY2(record.startsWith(":A01[") && record.endsWith('C'), record.constData());
            const qint64 cost = select.size() + selected.size() + 4 + record.size();
            QCOMPARE(cost, 68 + 2 * digits(j));
            lineBytes += cost;
        }
        const double elapsed = seconds(clock);
        QCOMPARE(lineBytes, qint64(68 * records + 2 * (10 * 1 + 30 * 2)));
        const double bound = double(lineBytes) * byteSeconds(19200);
        QVERIFY2(elapsed >= bound, qPrintable(QStringLiteral("%1 s for %2 s of line").arg(elapsed).arg(bound)));
        QVERIFY2(elapsed < bound * 2 + 1.0,
                 qPrintable(QStringLiteral("%1 s for %2 s of line").arg(elapsed).arg(bound)));
    }
};

QTEST_GUILESS_MAIN(SimulatorPacingTest)
#include "test_simulator_pacing.moc"
