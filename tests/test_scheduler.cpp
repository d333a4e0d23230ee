// Timer1 ticked by hand against a scripted meter: the exact request stream,
// the sequences' steps, and what they show.
#include "control/LiveDisplay.h"
#include "control/PollScheduler.h"
#include "link/CommandSender.h"
#include "link/protocol.h"
#include "support/RecordingSink.h"

#include <QtTest>
#include <functional>

namespace {

// The viewer as the scheduler sees it: its caption goes into the events.
struct CaptionViewer : NullViewerSink {
    QStringList &events;
    explicit CaptionViewer(QStringList &events) : events(events) {}
    void appendViewerCaption(const QString &t) override { events << "caption" + t; }
};

// The windows as the scheduler sees them, plus a meter behind sendCommand that
// answers through the real parser before the next tick (or stays silent).
struct Bench : SchedulerHost, CommandSender {
    SharedState state;
    RecordingSink sink;
    ReplyParser parser{state, sink, sink.windows};
    QStringList events;
    CaptionViewer viewer{events};
    QObject viewerWindow;
    ViewerSlot viewerSlot;
    PollScheduler scheduler{state, *this, *this, viewerSlot};

    Bench() { viewerSlot.attach(&viewerWindow, &viewer); }

    bool portOpen = true;
    bool livePage = true;
    bool optionsEnabled = true;
    bool unitMenuEnabled = true;
    int interval = PollScheduler::IntervalAtStart;
    QByteArrayList sent;
    QStringList nodes;
    QString labels[11];
    double gauges[4] = {};
    QString testCountText;
    std::function<QByteArray(const QByteArray &)> meter = [](const QByteArray &) { return QByteArray(); };
    QByteArray pending;

    void tick()
    {
        scheduler.Timer1Timer();
        parser.feed(pending);
        pending.clear();
    }

    bool liveReadingsPageShown() override { return livePage; }
    void resetTerminalScreen() override { events << "reset"; }
    void setOptionsMenuEnabled(bool e) override { optionsEnabled = e; }
    void setPollInterval(int ms) override { interval = ms; }
    void sendCommand(const QByteArray &c) override
    {
        if (!portOpen)
            return;
        state.readyToSend = false;
        sent << c;
        pending += meter(c);
    }
    void clearTestTree() override
    {
        nodes.clear();
        events << "clearTree";
    }
    void showTestCount(int n) override { events << QStringLiteral("Edit2=%1").arg(n); }
    void addTestNode(const QString &t) override { nodes << t; }
    void setDownloadProgress(int max, int pos) override
    {
        events << QStringLiteral("progress %1/%2").arg(pos).arg(max);
    }
    void setDownloadPosition(int pos) override { events << QStringLiteral("progress %1").arg(pos); }
    void setUnitMenuEnabled(bool e) override { unitMenuEnabled = e; }
    void setStatusText(StatusPanel panel, const QString &t) override
    {
        events << QStringLiteral("status%1=%2").arg(int(panel)).arg(t);
    }
    void refreshLiveDisplay() { ::refreshLiveDisplay(state, *this); }

    void setValueLabel(ValueLabel n, const QString &t) override { labels[int(n)] = t; }
    void setGaugeValue(int n, double v) override { gauges[n] = v; }
    void setTestCountText(const QString &t) override { testCountText = t; }
};

// A meter with stored tests of the given sizes.
std::function<QByteArray(const QByteArray &)> meterWithTests(QList<int> sizes)
{
    return [sizes](const QByteArray &c) -> QByteArray {
        if (c == "@M\r\n")
            return ":W25.3D26.1G31.0\r\n";
        if (c == "@G\r\n")
            return ":G30.5D32.0G40.2\r\n";
        if (c == "@B\r\n")
            return ":B20.1D21.0G22.2\r\n";
        if (c == "@T\r\n")
            return ":T" + QByteArray::number(sizes.size()) + "\r\n";
        if (c.startsWith("@R")) {
            const int n = c.mid(2).trimmed().toInt();
            return ":R" + QByteArray::number(n < sizes.size() ? sizes[n] : 0) + "\r\n";
        }
        if (c == "@F\r\n")
            return ":F T2000L1500\r\n";
        if (c.startsWith("@t") || c.startsWith("@r"))
            return ":" + c.mid(1, 1) + "\r\n";
        if (c == "@A\r\n")
            return ":A[1]01/01/24 10:00:00 =1\001=2\001=3\001C";
        return {};
    };
}

QByteArrayList commands(std::initializer_list<const char *> list)
{
    QByteArrayList out;
    for (const char *c : list)
        out << QByteArray(c) + "\r\n";
    return out;
}

} // namespace

class SchedulerTest : public QObject {
    Q_OBJECT
private slots:
    void livePollingOnePerAnsweredTick()
    {
        Bench b;
        b.meter = meterWithTests({});
        for (int i = 0; i < 5; ++i) {
            b.tick();
            QCOMPARE(b.interval, 1000);
            QVERIFY(!b.optionsEnabled);
        }
        QCOMPARE(b.sent, commands({"@M", "@G", "@B", "@M", "@G"}));
        QCOMPARE(b.events.count("reset"), 5);
        QCOMPARE(b.labels[1], QStringLiteral("25,3°C"));
    }

    void silentMeterStopsRequests()
    {
        Bench b;
        b.tick();
        QCOMPARE(b.sent, commands({"@M"}));
        for (int i = 0; i < 3; ++i) {
            b.tick();
            QVERIFY(b.optionsEnabled);
            QCOMPARE(b.interval, 10);
        }
        QCOMPARE(b.sent.size(), 1);
        // A late answer frees the link again.
        b.parser.feed(QByteArray(":W1D2G3\r\n"));
        b.tick();
        QCOMPARE(b.sent, commands({"@M", "@G"}));
    }

    void closedPortCyclesPollIndex()
    {
        Bench b;
        b.portOpen = false;
        for (int i = 0; i < 4; ++i)
            b.tick();
        QVERIFY(b.sent.isEmpty());
        QCOMPARE(b.state.pollIndex, 1);
        QVERIFY(b.state.readyToSend);
    }

    void sequenceWaitsForTestsPage()
    {
        Bench b;
        b.meter = meterWithTests({5, 7});
        b.scheduler.startTestListRead();
        QVERIFY(!b.unitMenuEnabled);
        QVERIFY(b.events.contains("status2=Lendo ..."));
        for (int i = 0; i < 4; ++i)
            b.tick();
        QCOMPARE(b.sent, commands({"@M", "@G", "@B", "@M"}));
        b.livePage = false;
        b.tick();
        QCOMPARE(b.sent.last(), QByteArray("@T\r\n"));
    }

    void testListRead_data()
    {
        QTest::addColumn<QList<int>>("sizes");
        QTest::addColumn<QStringList>("nodes");
        QTest::addColumn<QByteArrayList>("requests");
        QTest::newRow("5 and 7 records") << QList<int>{5, 7}
                                         << QStringList{"Teste 1 -> Registros = 5", "Teste 2 -> Registros = 7"}
                                         << commands({"@T", "@R0", "@R1", "@F"});
        QTest::newRow("10, 0 and 25 records")
            << QList<int>{10, 0, 25}
            << QStringList{"Teste 1 -> Registros = 10", "Teste 2 -> Registros = 0", "Teste 3 -> Registros = 25"}
            << commands({"@T", "@R0", "@R1", "@R2", "@F"});
        QTest::newRow("no test still asks for test 0")
            << QList<int>{} << QStringList{"Teste 1 -> Registros = 0"} << commands({"@T", "@R0", "@F"});
    }

    void testListRead()
    {
        QFETCH(QList<int>, sizes);
        QFETCH(QStringList, nodes);
        QFETCH(QByteArrayList, requests);
        Bench b;
        b.livePage = false;
        b.meter = meterWithTests(sizes);
        b.scheduler.startTestListRead();
        for (int i = 0; i < 40 && b.state.sequenceActive; ++i)
            b.tick();
        QVERIFY(!b.state.sequenceActive);
        QCOMPARE(b.sent, requests);
        QCOMPARE(b.nodes, nodes);
        QVERIFY(b.unitMenuEnabled);
        QCOMPARE(b.events.last(), QStringLiteral("status2=Leitura finalizada."));
        QVERIFY(b.sink.calls.contains("memoryMax=2000"));
        QVERIFY(b.sink.calls.contains("memoryPos=1500"));
        QCOMPARE(b.testCountText, QString::number(sizes.size()));
        QCOMPARE(b.events.contains(QStringLiteral("Edit2=%1").arg(sizes.size())), !sizes.isEmpty());
    }

    void download_data()
    {
        QTest::addColumn<int>("records");
        QTest::newRow("none") << 0;
        QTest::newRow("three") << 3;
    }

    void download()
    {
        QFETCH(int, records);
        Bench b;
        b.livePage = false;
        b.meter = meterWithTests({9, records});
        b.state.testIndex = 1;
        b.scheduler.startSequence(PollScheduler::Download);
        for (int i = 0; i < 40 && b.state.sequenceActive; ++i)
            b.tick();
        QByteArrayList expected = commands({"@R1", "@t1"});
        for (int j = 0; j < records; ++j)
            expected << "@r" + QByteArray::number(j) + "\r\n"
                     << "@A\r\n";
        QCOMPARE(b.sent, expected);
        QCOMPARE(b.state.recordIndex, records);
        QVERIFY(b.events.contains(QStringLiteral("caption - %1 Registros").arg(records)));
        QVERIFY(b.events.contains(QStringLiteral("progress %1/%1").arg(records)));
    }

    void closedPortRunsSequenceOneStepPerTick()
    {
        Bench b;
        b.portOpen = false;
        b.livePage = false;
        b.state.testCount = 2;
        b.state.recordCount = 4;
        b.scheduler.startTestListRead();
        b.tick(); // 0 -> 1
        b.tick(); // 1 -> 2
        QCOMPARE(b.state.downloadStep, 2);
        for (int i = 0; i < 10 && b.state.sequenceActive; ++i)
            b.tick();
        QCOMPARE(b.nodes, (QStringList{"Teste 1 -> Registros = 4", "Teste 2 -> Registros = 4"}));
    }

    void closingViewerStopsDownload()
    {
        Bench b;
        b.livePage = false;
        b.meter = meterWithTests({5});
        b.scheduler.startSequence(PollScheduler::Download);
        b.tick();
        b.tick();
        b.state.sequenceActive = false; // the viewer closed
        const int sentBefore = int(b.sent.size());
        b.tick();
        b.tick();
        QCOMPARE(int(b.sent.size()), sentBefore);
    }

    void sampleRateQuery()
    {
        Bench b;
        b.livePage = false;
        b.meter = [](const QByteArray &c) -> QByteArray { return c == "@I\r\n" ? ":I0+5\r\n" : ":u\r\n"; };
        b.scheduler.startSequence(PollScheduler::SampleRate);
        for (int i = 0; i < 5; ++i)
            b.tick();
        QCOMPARE(b.sent, commands({"@I", "@u"}));
        QVERIFY(b.sink.calls.contains("Form4.Edit1=5"));
        QVERIFY(!b.state.sequenceActive);
    }

    void liveDisplay_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QStringList>("texts"); // VrLabel1, 2, 3, 6, 10
        QTest::newRow("before any frame") << QByteArray() << QStringList{"0°C", "0°C", "0°C", "0°C", "0°C"};
        QTest::newRow("celsius") << QByteArray(":W25.3D26.1G31.0\r\n")
                                 << QStringList{"25,3°C", "26,1°C", "31°C", "27,01°C", "26,52°C"};
        QTest::newRow("fahrenheit, no conversion")
            << QByteArray(":w25.3D26.1G31.0\r\n") << QStringList{"25,3°F", "26,1°F", "31°F", "27,01°F", "26,52°F"};
        QTest::newRow("outside the gauge's scale")
            << QByteArray(":W150D-40G0\r\n") << QStringList{"150°C", "-40°C", "0°C", "105°C", "101°C"};
    }

    void liveDisplay()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QStringList, texts);
        Bench b;
        b.parser.feed(frame);
        b.refreshLiveDisplay();
        QCOMPARE((QStringList{b.labels[1], b.labels[2], b.labels[3], b.labels[6], b.labels[10]}), texts);
        QCOMPARE(b.gauges[1], double(b.state.wetReading));
        QCOMPARE(b.gauges[2], double(b.state.dryReading));
        QCOMPARE(b.testCountText, QStringLiteral("0"));
    }
};

QTEST_GUILESS_MAIN(SchedulerTest)
#include "test_scheduler.moc"
