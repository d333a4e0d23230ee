// vestara-sim's line: pacing at the baud rate, the reply delay, the injected
// faults, clients that leave and come back, and how the simulator ends.

#include "link/ReplyTurn.h"
#include "link/protocol.h"
#include "support/RecordingSink.h"
#include "support/Simulator.h"
#include "support/SimulatorPort.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QtTest>

#include <sys/ioctl.h>

namespace {

const QByteArray kLive = ":W24.5D30.2G33.8\r\n"; // with --drift 0

QByteArray repeated(const QByteArray &request, int times)
{
    QByteArray all;
    for (int i = 0; i < times; ++i)
        all += request;
    return all;
}

bool exclusiveFlag(int fd)
{
    int flag = 0;
    return ioctl(fd, TIOCGEXCL, &flag) == 0 && flag != 0;
}

} // namespace

class SimulatorLineTest : public QObject {
    Q_OBJECT

    SimulatorProcess sim;
    SimulatorPort port;
    QTemporaryDir scratch;

    void startWith(const QStringList &args)
    {
        QVERIFY2(sim.start(args), qPrintable(sim.errorText()));
        QVERIFY(port.open(sim.devicePath()));
    }

    // Asks `count` requests one by one; how many got an answer.
    int answered(int count)
    {
        int n = 0;
        for (int i = 0; i < count; ++i)
            n += port.ask("@T\r\n", 300).isEmpty() ? 0 : 1;
        return n;
    }

private slots:
    void cleanup()
    {
        port.close();
        sim.stop();
    }

    void pacing_data()
    {
        QTest::addColumn<int>("baud");
        QTest::newRow("19200 bit/s") << 19200;
        QTest::newRow("9600 bit/s") << 9600;
        QTest::newRow("57600 bit/s") << 57600;
    }

    // From the first byte to the last of a burst of replies, the line needs
    // (bytes - 1) byte times of 10 bits; never less, and not much more.
    void pacing()
    {
        QFETCH(int, baud);
        startWith({"--baud", QString::number(baud), "--drift", "0"});
        const int requests = 40 * baud / 9600; // about 0.75 s of line at every rate
        const int bytes = requests * int(kLive.size());
        QVERIFY(port.write(repeated("@M\r\n", requests)));
        QCOMPARE(port.readBytes(1, 3000), QByteArray(":"));
        QElapsedTimer clock;
        clock.start();
        const QByteArray rest = port.readBytes(bytes - 1, 10000);
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        QCOMPARE(rest.size(), bytes - 1);
        QCOMPARE(":" + rest, repeated(kLive, requests));
        const double expected = double(bytes - 1) * 10.0 / baud;
        QVERIFY2(seconds > expected * 0.9 && seconds < expected * 1.1,
                 qPrintable(QStringLiteral("%1 s for %2 s of line").arg(seconds).arg(expected)));
    }

    void unpacedIsFast()
    {
        startWith({"--baud", "0", "--drift", "0"});
        QElapsedTimer clock;
        clock.start();
        QVERIFY(port.write(repeated("@M\r\n", 200)));
        QCOMPARE(port.readBytes(200 * int(kLive.size()), 5000), repeated(kLive, 200));
        // 3600 bytes would take 1.9 s at 19200 bit/s.
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    }

    void replyDelay()
    {
        startWith({"--delay", "300", "--baud", "0"});
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(port.ask("@T\r\n", 3000), QByteArray(":T3\r\n"));
        QVERIFY2(clock.elapsed() >= 300 && clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    }

    void answeredRequests_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("sent");
        QTest::addColumn<int>("answers");
        QTest::addColumn<bool>("hangUp");
        QTest::newRow("no fault") << QStringList{} << 5 << 5 << false;
        QTest::newRow("silent from the start") << QStringList{"--silent-after", "0"} << 3 << 0 << false;
        QTest::newRow("silent after 2") << QStringList{"--silent-after", "2"} << 4 << 2 << false;
        QTest::newRow("line dropped after 1") << QStringList{"--drop-after", "1"} << 3 << 1 << true;
        QTest::newRow("line dropped after 3") << QStringList{"--drop-after", "3"} << 3 << 3 << true;
    }

    void answeredRequests()
    {
        QFETCH(QStringList, args);
        QFETCH(int, sent);
        QFETCH(int, answers);
        QFETCH(bool, hangUp);
        startWith(args);
        QCOMPARE(answered(sent), answers);
        port.readFor(300);
        QCOMPARE(port.hungUp(), hangUp);
        if (hangUp) {
            QVERIFY(sim.qprocess().waitForFinished(3000));
            QCOMPARE(sim.qprocess().exitCode(), 0);
            QVERIFY(sim.requests().size() >= answers);
        } else {
            QVERIFY(sim.isRunning());
            // A silent meter still hears every request.
            QCOMPARE(sim.requests().size(), sent);
        }
    }

    void garbage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QList<int>>("noise");
        QTest::newRow("5 bytes before every reply") << QStringList{"--garbage", "5"} << QList<int>{5, 5, 5};
        QTest::newRow("3 bytes before every second reply")
            << QStringList{"--garbage", "3", "--garbage-every", "2"} << QList<int>{0, 3, 0, 3};
        QTest::newRow("a long burst") << QStringList{"--garbage", "300"} << QList<int>{300};
    }

    void garbage()
    {
        QFETCH(QStringList, args);
        QFETCH(QList<int>, noise);
        startWith(args);
        for (int expected : noise) {
            QVERIFY(port.write("@T\r\n"));
            const QByteArray bytes = port.readBytes(expected + 5, 2000);
            QCOMPARE(bytes.size(), expected + 5);
            const QByteArray before = bytes.left(expected);
            QVERIFY(!before.contains(':') && !before.contains('\n'));
            QCOMPARE(bytes.mid(expected), QByteArray(":T3\r\n"));
            // The client's parser skips such noise and reads the frame.
            SharedState state;
            RecordingSink sink;
            ReplyParser parser(state, sink, sink.windows);
            takeLine(state, "@T\r\n");
            parser.feed(QByteArrayView(bytes));
            QCOMPARE(state.testCount, 3);
            QCOMPARE(state.replyState, 0);
        }
        QCOMPARE(port.readFor(100), QByteArray());
    }

    void requestLineBound_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("logged");
        QTest::newRow("256 bytes with CR LF") << 256 << true;
        QTest::newRow("257 bytes") << 257 << false;
        QTest::newRow("100000 bytes") << 100000 << false;
    }

    void requestLineBound()
    {
        QFETCH(int, length);
        QFETCH(bool, logged);
        startWith({});
        const QByteArray line = QByteArray(length - 2, 'x') + "\r\n";
        QVERIFY(port.write(line));
        QCOMPARE(port.ask("@T\r\n"), QByteArray(":T3\r\n"));
        const QByteArrayList requests = sim.requests();
        QCOMPARE(requests.size(), logged ? 2 : 1);
        QCOMPARE(requests.first() == line, logged);
        QCOMPARE(requests.last(), QByteArray("@T\r\n"));
        QCOMPARE(sim.consoleOutput().contains("dropped a request line of " + QByteArray::number(length)), !logged);
    }

    void clientLeaves_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("leftBehind");
        QTest::addColumn<bool>("exclusive");
        QTest::newRow("unread replies") << QStringList{"--baud", "19200", "--drift", "0"} << repeated("@M\r\n", 30)
                                        << false;
        QTest::newRow("half a request") << QStringList{"--drift", "0"} << QByteArray("@T") << false;
        QTest::newRow("a flood never read") << QStringList{"--drift", "0"} << repeated("@M\r\n", 20000) << false;
        QTest::newRow("an exclusive open") << QStringList{"--drift", "0"} << QByteArray("@M\r\n") << true;
    }

    // A client that goes away leaves nothing for the next one: no stale
    // replies, no half request, no exclusive lock.
    void clientLeaves()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, leftBehind);
        QFETCH(bool, exclusive);
        startWith(args);
        if (exclusive)
            QCOMPARE(ioctl(port.descriptor(), TIOCEXCL), 0);
        QVERIFY(port.write(leftBehind));
        port.close();
        QTest::qWait(300);

        SimulatorPort next;
        QVERIFY(next.open(sim.devicePath()));
        QVERIFY2(!exclusiveFlag(next.descriptor()), sim.consoleOutput().constData());
        QCOMPARE(next.ask("@B\r\n"), QByteArray(":B24.5D30.2G33.8\r\n"));
        QCOMPARE(next.skipped(), QByteArray());
        QCOMPARE(next.readFor(200), QByteArray());
        QVERIFY(sim.isRunning());
    }

    // While the client holds the line exclusively, the flag stays on it.
    void exclusiveOpenKeptWhileOpen()
    {
        startWith({});
        QCOMPARE(ioctl(port.descriptor(), TIOCEXCL), 0);
        SimulatorPort other;                   // opened and closed by someone else meanwhile
        QVERIFY(other.open(sim.devicePath())); // root passes the lock; the close is what matters
        other.close();
        QTest::qWait(200);
        QVERIFY(exclusiveFlag(port.descriptor()));
        QCOMPARE(port.ask("@T\r\n"), QByteArray(":T3\r\n"));
    }

    void endings_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("terminate");
        QTest::newRow("asked to stop") << QStringList{} << true;
        QTest::newRow("line dropped") << QStringList{"--drop-after", "1"} << false;
    }

    void endings()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, terminate);
        const QString link = scratch.filePath(QStringLiteral("ttyTEST"));
        startWith(args + QStringList{"--link", link});
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.devicePath());
        QCOMPARE(port.ask("@T\r\n"), QByteArray(":T3\r\n"));
        if (terminate)
            sim.qprocess().terminate();
        QVERIFY(sim.qprocess().waitForFinished(3000));
        QCOMPARE(sim.qprocess().exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.qprocess().exitCode(), 0);
        QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
    }

    void staleLinkReplaced()
    {
        const QString link = scratch.filePath(QStringLiteral("ttyOLD"));
        QFile::remove(link);
        QVERIFY(QFile::link(QStringLiteral("/nonexistent/device"), link));
        startWith({"--link", link});
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.devicePath());
    }

    void refusesToReplaceAFile()
    {
        const QString path = scratch.filePath(QStringLiteral("plain"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
        file.close();
        QVERIFY(!sim.start({"--link", path}));
        QVERIFY(sim.errorText().contains(QStringLiteral("not a symbolic link")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("keep me"));
    }

    void badOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown option") << QStringList{"--colour", "red"};
        QTest::newRow("missing value") << QStringList{"--baud"};
        QTest::newRow("negative baud") << QStringList{"--baud", "-1"};
        QTest::newRow("baud with junk") << QStringList{"--baud", "19200x"};
        QTest::newRow("sizes beyond memory") << QStringList{"--sizes", "1500,600"};
        QTest::newRow("tests and sizes disagree") << QStringList{"--tests", "2", "--sizes", "1,2,3"};
        QTest::newRow("empty size") << QStringList{"--sizes", "1,,2"};
        QTest::newRow("interval 0") << QStringList{"--interval", "0"};
        QTest::newRow("interval unit") << QStringList{"--interval", "5h"};
        QTest::newRow("unit") << QStringList{"--unit", "K"};
        QTest::newRow("temperature") << QStringList{"--wet", "nan"};
    }

    void badOptions()
    {
        QFETCH(QStringList, args);
        QProcess p;
        p.start(QStringLiteral(VESTARA_BIN_DIR "/vestara-sim"), args);
        QVERIFY(p.waitForFinished(3000));
        QCOMPARE(p.exitCode(), 2);
        QCOMPARE(p.readAllStandardOutput(), QByteArray());
        QVERIFY(p.readAllStandardError().contains("--help"));
    }

    void help()
    {
        QProcess p;
        p.start(QStringLiteral(VESTARA_BIN_DIR "/vestara-sim"), {"--help"});
        QVERIFY(p.waitForFinished(3000));
        QCOMPARE(p.exitCode(), 0);
        const QByteArray text = p.readAllStandardOutput();
        for (const char *option : {"--link", "--log", "--baud", "--delay", "--tests", "--sizes", "--seed",
                                   "--silent-after", "--drop-after", "--garbage", "--cut-frame", "--inject-after",
                                   "--no-lf-after", "--noise-flood", "--test-count", "--record-count"})
            QVERIFY2(text.contains(option), option);
    }
};

QTEST_GUILESS_MAIN(SimulatorLineTest)
#include "test_simulator_line.moc"
