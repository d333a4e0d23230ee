// The reply parser, fed byte streams as the meter sends them in answer to a
// request; what it wrote into the windows is read back from a recording sink.
#include "link/ReplyTurn.h"
#include "link/protocol.h"
#include "support/RecordingSink.h"
#include "support/TestData.h"

#include <QtTest>

class ReplyParserTest : public QObject {
    Q_OBJECT

    struct Run {
        SharedState state;
        RecordingSink sink;
        ReplyParser parser{state, sink, sink.windows};
        explicit Run(bool calibrationVisible = false) { sink.calibrationVisible = calibrationVisible; }
        // The stream comes while the line waits for the reply to `request`.
        void answer(const QByteArray &request, const QByteArray &stream)
        {
            takeLine(state, request);
            parser.feed(stream);
        }
    };

private slots:
    void windowWrites_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("finalState");
        const QByteArray record(":A[1]d t =1\001=2\001=3\001C");
        const QStringList recordCalls{"cell[1,0]=1", "cell[1,7]=d", "cell[1,1]=t",   "cell[1,2]=1",   "point0(0;1)",
                                      "cell[1,3]=2", "point1(0;2)", "cell[1,4]=3",   "point2(0;3)",   "cell[1,5]=1,6",
                                      "cell[1,6]=1,5", "Form5.Edit5=1"};

        QTest::newRow("maxima keep the meter's text")
            << QByteArray("@G") << QByteArray(":G30.5D32.0G40.2\r\n") << QStringList{"Label6=30,5°C", "Label8=32,0°C", "Label10=40,2°C"}
            << 0;
        QTest::newRow("minima in Fahrenheit, separators of either case")
            << QByteArray("@B") << QByteArray(":b1.5d2G3\r\n") << QStringList{"Label7=1,5°F", "Label9=2°F", "Label11=3°F"} << 0;
        QTest::newRow("unit reply shows its status once it ends")
            << QByteArray("@U0") << QByteArray(":U0\r\n") << QStringList{"status2=Parâmetro ajustado..."} << 0;
        QTest::newRow("memory frame drops the text before T")
            << QByteArray("@F") << QByteArray(":Fxx99T2000L1500\r\n") << QStringList{"memoryMax=2000", "memoryPos=1500"} << 0;
        QTest::newRow("memory frame with bad numbers changes nothing")
            << QByteArray("@F") << QByteArray(":FTabcL1x\r\n") << QStringList{} << 0;
        QTest::newRow("sample interval in seconds")
            << QByteArray("@I") << QByteArray(":I0+5\r\n") << QStringList{"Form4.Segundo", "Form4.Edit1=5"} << 0;
        QTest::newRow("sample interval in minutes")
            << QByteArray("@I") << QByteArray(":I1+10\r\n") << QStringList{"Form4.Minutos", "Form4.Edit1=10"} << 0;
        QTest::newRow("unit compared untrimmed: a blank means minutes")
            << QByteArray("@I") << QByteArray(":I 0+7\r\n") << QStringList{"Form4.Minutos", "Form4.Edit1=7"} << 0;
        QTest::newRow("interval that is not a number leaves the field")
            << QByteArray("@I") << QByteArray(":I0+x\r\n") << QStringList{"Form4.Segundo"} << 0;
        QTest::newRow("clock reply shows its message once the frame ends")
            << QByteArray("@H") << QByteArray(":H123456\r\n") << QStringList{"message[Aviso]=Relógio ajustado."} << 0;
        QTest::newRow("unknown letter skips the rest of the line")
            << QByteArray("@G") << QByteArray(":QG1D2G3\r\n:G1D2G3\r\n") << QStringList{"Label6=1°C", "Label8=2°C", "Label10=3°C"} << 0;
        QTest::newRow("dropped frames write nothing")
            << QByteArray("@t0") << QByteArray(":t1\r\n:r2\r\n:i3\r\n:u4\r\n:X\r\n:Z\r\n:z1\r\n:c2\r\n") << QStringList{} << 0;
        QTest::newRow("line feed right after the colon")
            << QByteArray("@G") << QByteArray(":\n:G1D2G3\r\n") << QStringList{"Label6=1°C", "Label8=2°C", "Label10=3°C"} << 0;
        QTest::newRow("frame cut short by a line feed") << QByteArray("@G") << QByteArray(":G7\r\n") << QStringList{} << 0;
        QTest::newRow("stored record") << QByteArray("@A") << QByteArray(
                                              ":A xx[0012]12/05/24 10:20:30 UMI=24.7\001SEC=25\001GLO=30\001 ok C")
                                       << QStringList{"cell[1,0]=0012",  "cell[1,7]=12/05/24", "cell[1,1]=10:20:30",
                                                      "cell[1,2]=24,7",  "point0(0;24.7)",     "cell[1,3]=25",
                                                      "point1(0;25)",    "cell[1,4]=30",       "point2(0;30)",
                                                      "cell[1,5]=26,29", "cell[1,6]=25,79",    "Form5.Edit5=1"}
                                       << 0;
        QTest::newRow("line feed inside a record before [ is skipped")
            << QByteArray("@A") << QByteArray(":A\r\n\n[7]d t =1\001=2\001=3\001C")
            << QStringList{"cell[1,0]=7", "cell[1,7]=d",   "cell[1,1]=t",   "cell[1,2]=1",
                           "point0(0;1)", "cell[1,3]=2",   "point1(0;2)",   "cell[1,4]=3",
                           "point2(0;3)", "cell[1,5]=1,6", "cell[1,6]=1,5", "Form5.Edit5=1"}
            << 0;
        QTest::newRow("a record is written only once its C has come")
            << QByteArray("@A") << QByteArray(":A[1]d t =1\001=2\001=3\001\r\n x:G1D2G3\r\n") << QStringList{}
            << 1010;
        QTest::newRow("a reply at the start of a line ends a record that lost its C")
            << QByteArray("@A") << QByteArray(":A[9]d t =1\001=2\001=3\001\r\n") + record << recordCalls << 0;
        QTest::newRow("a reply right after the letter A is read, not skipped")
            << QByteArray("@A") << QByteArray(":A") + record << recordCalls << 0;
        QTest::newRow("a wet value that does not convert adds no point")
            << QByteArray("@A") << QByteArray(":A[1]d t =x\001=2\001=3\001C")
            << QStringList{"cell[1,0]=1",   "cell[1,7]=d",   "cell[1,1]=t",  "cell[1,2]=x",
                           "cell[1,3]=2",   "point1(0;2)",   "cell[1,4]=3",  "point2(0;3)",
                           "cell[1,5]=0,9", "cell[1,6]=0,8", "Form5.Edit5=1"}
            << 0;
        QTest::newRow("a globe value that does not convert skips the indices")
            << QByteArray("@A") << QByteArray(":A[1]d t =1\001=2\001=?\001C")
            << QStringList{"cell[1,0]=1", "cell[1,7]=d", "cell[1,1]=t", "cell[1,2]=1",  "point0(0;1)",
                           "cell[1,3]=2", "point1(0;2)", "cell[1,4]=?", "Form5.Edit5=1"}
            << 0;
    }

    void windowWrites()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, stream);
        QFETCH(QStringList, calls);
        QFETCH(int, finalState);
        Run r;
        r.answer(request, stream);
        QCOMPARE(r.sink.calls, calls);
        QCOMPARE(r.state.replyState, finalState);
    }

    void liveValues_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<double>("wet");
        QTest::addColumn<double>("dry");
        QTest::addColumn<double>("globe");
        QTest::addColumn<int>("fahrenheit");

        QTest::newRow("celsius") << QByteArray(":W25.3D26.1G31.0\r\n") << 25.3 << 26.1 << 31.0 << 0;
        QTest::newRow("fahrenheit stored as it comes") << QByteArray(":w77.5d79G88\r\n") << 77.5 << 79.0 << 88.0 << 1;
        QTest::newRow("first value not a number") << QByteArray(":W--D26.1G31.0\r\n") << 0.0 << 26.1 << 31.0 << 0;
        QTest::newRow("negative and blanks") << QByteArray(":W -3.5 D 0 G-0.25\r\n") << -3.5 << 0.0 << -0.25 << 0;
        QTest::newRow("comma sent by the meter is a decimal separator too")
            << QByteArray(":W1,5D2G3\r\n") << 1.5 << 2.0 << 3.0 << 0;
    }

    void liveValues()
    {
        QFETCH(QByteArray, stream);
        Run r;
        r.state.wetReading = r.state.dryReading = r.state.globeReading = 99;
        r.answer("@M\r\n", stream);
        QCOMPARE(double(r.state.wetReading), FETCHED(double, wet));
        QCOMPARE(double(r.state.dryReading), FETCHED(double, dry));
        QCOMPARE(double(r.state.globeReading), FETCHED(double, globe));
        QCOMPARE(r.state.fahrenheitUnit, FETCHED(int, fahrenheit));
        QVERIFY(r.state.readyToSend);
        QCOMPARE(r.state.replyState, 0);
        QVERIFY(r.sink.calls.isEmpty()); // no calibration dialog on screen
    }

    void liveValuesReachVisibleCalibrationDialog()
    {
        Run r(true);
        r.answer("@M\r\n", ":W25.3D26.1G31.0\r\n");
        QCOMPARE(r.sink.calls, (QStringList{"Form2.Edit2=25,3", "Form2.Edit4=26,1", "Form2.Edit6=31"}));
    }

    void counts_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<int>("testCount");
        QTest::addColumn<int>("testIndex");
        QTest::addColumn<int>("recordCount");

        QTest::newRow("test count resets the test index") << QByteArray(":T3\r\n") << 3 << 0 << -1;
        QTest::newRow("test count without a number") << QByteArray(":T\r\n") << 0 << 0 << -1;
        QTest::newRow("test count garbage") << QByteArray(":Tzz\r\n") << 0 << 0 << -1;
        QTest::newRow("record count") << QByteArray(":R25\r\n") << -1 << -1 << 25;
        QTest::newRow("record count with blanks") << QByteArray(":R 7 \r\n") << -1 << -1 << 7;
        QTest::newRow("record count not a number") << QByteArray(":R2.5\r\n") << -1 << -1 << 0;
        QTest::newRow("record count beyond 32 bits") << QByteArray(":R99999999999\r\n") << -1 << -1 << 0;
    }

    void counts()
    {
        QFETCH(QByteArray, stream);
        Run r;
        r.state.testCount = r.state.testIndex = r.state.recordCount = -1;
        r.answer(stream.startsWith(":T") ? "@T\r\n" : "@R0\r\n", stream);
        QCOMPARE(r.state.testCount, FETCHED(int, testCount));
        QCOMPARE(r.state.testIndex, FETCHED(int, testIndex));
        QCOMPARE(r.state.recordCount, FETCHED(int, recordCount));
    }

    // Only the whole reply the request waits for frees the line and writes;
    // anything else changes nothing, reaches no window and is counted.
    void onlyItsReplyFreesTheLine_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<bool>("freed");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("dropped");
        const QByteArray record(":A[1]d t =1\001=2\001=3\001C");

        QTest::newRow("a stray line feed frees nothing")
            << QByteArray("@A") << QByteArray("\r\n") << false << QStringList{} << 0;
        QTest::newRow("a frame with another letter is dropped")
            << QByteArray("@R2") << QByteArray(":T3\r\n") << false << QStringList{} << 1;
        QTest::newRow("a fragment of the awaited reply frees nothing")
            << QByteArray("@R2") << QByteArray(":R1") << false << QStringList{} << 0;
        QTest::newRow("a record cut by a line feed writes nothing")
            << QByteArray("@A") << QByteArray(":A[1]d t =1\n") << false << QStringList{} << 1;
        QTest::newRow("noise shaped as a clock reply opens no box")
            << QByteArray("@M") << QByteArray(":H\r\n") << false << QStringList{} << 1;
        QTest::newRow("a unit reply without a unit command shows nothing")
            << QByteArray("@G") << QByteArray(":U\r\n") << false << QStringList{} << 1;
        QTest::newRow("a stored record while no request waits")
            << QByteArray() << record << true << QStringList{} << 1;
        QTest::newRow("the live letter answers in either case")
            << QByteArray("@G") << QByteArray(":g1D2G3\r\n") << true
            << QStringList{"Label6=1°F", "Label8=2°F", "Label10=3°F"} << 0;
    }

    void onlyItsReplyFreesTheLine()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, stream);
        Run r;
        r.state.testCount = 7;
        if (request.isEmpty())
            r.parser.feed(stream);
        else
            r.answer(request + "\r\n", stream);
        QTEST(r.state.readyToSend, "freed");
        QTEST(r.sink.calls, "calls");
        QTEST(int(r.parser.droppedFrames()), "dropped");
        QCOMPARE(r.state.testCount, 7);
    }

    // The reply to a request whose sequence has ended frees the line and
    // fills nothing (a download's viewer closed with "@A" on its way).
    void discardedReplyFreesTheLineOnly()
    {
        Run r;
        takeLine(r.state, "@A\r\n");
        r.state.replyDiscarded = true;
        r.parser.feed(QByteArray(":A[1]d t =1\001=2\001=3\001C"));
        QVERIFY(r.state.readyToSend);
        QVERIFY(r.sink.calls.isEmpty());
        QCOMPARE(r.state.recordIndex, 0);
    }

    // Register numbers that do not go upwards are counted: a record sent
    // twice or out of order.
    void recordsOutOfOrderAreCounted()
    {
        Run r;
        for (const char *n : {"0001", "0002", "0002", "0004", "0003", "x"})
            r.answer("@A\r\n", QByteArray(":A[") + n + "]d t =1\001=2\001=3\001C");
        QCOMPARE(r.state.recordIndex, 6);
        QCOMPARE(r.state.recordsOutOfOrder, 2);
    }

    void recordsFillRowsInTurn()
    {
        Run r;
        const QByteArray rec(":A[1]d t =1\001=2\001=3\001C");
        r.answer("@A\r\n", rec);
        r.answer("@A\r\n", rec);
        QVERIFY(r.sink.calls.contains("cell[2,0]=1"));
        QVERIFY(r.sink.calls.contains("point2(1;3)"));
        QCOMPARE(r.sink.calls.last(), QStringLiteral("Form5.Edit5=2"));
        QCOMPARE(r.state.viewerRecordCount, 2);
    }

    void indicesUseLastConvertedWet()
    {
        Run r;
        r.answer("@A\r\n", ":A[1]d t =10\001=0\001=0\001C");
        r.answer("@A\r\n", ":A[2]d t =bad\001=0\001=0\001C");
        // The second record's indices are computed with the wet value 10.
        QVERIFY(r.sink.calls.contains("cell[2,5]=7"));
        QVERIFY(r.sink.calls.contains("cell[2,6]=7"));
    }

    // A line feed inside a stored record neither frees the link nor ends the
    // record: the state that waits for '[', for a tag's '=' or for the closing
    // 'C' stays, and the rest of the record still lands in its row.
    void lineFeedInsideRecordKeepsState_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("state");
        QTest::addColumn<QByteArray>("after");
        const QByteArray rest("[1]d t =1\001=2\001=3\001C");
        const struct {
            const char *name;
            int cut;
            int state;
        } rows[] = {
            {"before the record number (1000)", 0, ReplyParser::RecordOpen},
            {"before the wet tag's = (1004)", 7, ReplyParser::RecordWetTag},
            {"before the dry tag's = (1006)", 10, ReplyParser::RecordDryTag},
            {"before the globe tag's = (1008)", 13, ReplyParser::RecordGlobeTag},
            {"before the closing C (1010)", 16, ReplyParser::RecordEnd},
        };
        for (const auto &row : rows)
            QTest::newRow(row.name) << ":A" + rest.left(row.cut) << row.state << rest.mid(row.cut);
    }

    void lineFeedInsideRecordKeepsState()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        Run r;
        r.answer("@A\r\n", before);
        QTEST(int(r.state.replyState), "state");
        r.parser.feed('\n');
        QVERIFY(!r.state.readyToSend);
        QTEST(int(r.state.replyState), "state");
        r.parser.feed(after);
        QVERIFY(r.state.readyToSend);
        QCOMPARE(r.state.recordIndex, 1);
        QVERIFY(r.sink.calls.contains("cell[1,2]=1"));
        QVERIFY(r.sink.calls.contains("cell[1,3]=2"));
        QVERIFY(r.sink.calls.contains("cell[1,4]=3"));
    }

    void anyBytesAreSafe()
    {
        Run r;
        QByteArray junk;
        for (int i = 0; i < 4096; ++i)
            junk.append(char((i * 37 + i / 7) & 0xFF));
        junk += QByteArray("\0:\0W\x80\xFF", 6);
        r.parser.feed(junk);
        // The parser is still in step with the stream afterwards.
        r.parser.feed(QByteArray("\r\n"));
        r.answer("@A\r\n", ":A[1]d t =1\001=2\001=3\001C\n");
        r.answer("@M\r\n", ":W1D2G3\r\n");
        QCOMPARE(r.state.recordIndex, 1);
        QCOMPARE(double(r.state.globeReading), 3.0);
        QCOMPARE(r.state.replyState, 0);
        QVERIFY(r.state.replyField.size() < 16);
    }

    void highBytesReachLabelsAsText()
    {
        Run r;
        r.answer("@G\r\n", QByteArray(":G\xB0"
                                        "1D2G3\r\n"));
        QCOMPARE(r.sink.calls.first(), QStringLiteral("Label6=°1°C"));
    }
};

QTEST_GUILESS_MAIN(ReplyParserTest)
#include "test_replyparser.moc"
