// The port object over the scripted platform: settings as the device sees
// them, the opening and closing sequences, errors, links and the processing
// of line-event batches.

#include "core/SharedState.h"
#include "link/ComPort.h"
#include "link/ComTerminal.h"
#include "link/ReplyParser.h"
#include "link/ReplyTurn.h"
#include "support/FakeComPlatform.h"
#include "support/RecordingSink.h"

#include <QtTest>

#include <thread>

namespace {

// A port on a fresh fake platform, with its events written into `events`.
struct Rig {
    QStringList events;
    QByteArray received;
    std::shared_ptr<FakeComPlatform> platform = std::make_shared<FakeComPlatform>();
    TComPort port{nullptr, platform};
    TComTerminal terminal;

    Rig()
    {
        port.OnAfterOpen = [this](QObject *) { events << QStringLiteral("afterOpen"); };
        port.OnAfterClose = [this](QObject *) { events << QStringLiteral("afterClose"); };
        port.OnError = [this](QObject *, TComErrors e) { events << QStringLiteral("error %1").arg(e.toInt(), 0, 16); };
        terminal.setComPort(&port);
        terminal.OnChar = [this](QObject *, char ch) { received.append(ch); };
    }
    FakeComDevice &device() { return *platform->device(); }
};

void applySetting(TComPort &port, const QString &setting)
{
    if (setting == QLatin1String("check"))
        port.Parity().setCheck(true);
    else if (setting == QLatin1String("replace"))
        port.Parity().setReplace(true);
    else if (setting == QLatin1String("replaceChar"))
        port.Parity().setReplaceChar('?');
    else if (setting == QLatin1String("even"))
        port.Parity().setBits(prEven);
    else if (setting == QLatin1String("dtrEnable"))
        port.FlowControl().setControlDTR(dtrEnable);
    else if (setting == QLatin1String("dtrHandshake"))
        port.FlowControl().setControlDTR(dtrHandshake);
    else if (setting == QLatin1String("rtsToggle"))
        port.FlowControl().setControlRTS(rtsToggle);
    else if (setting == QLatin1String("cts"))
        port.FlowControl().setOutCTSFlow(true);
    else if (setting == QLatin1String("xon"))
        port.FlowControl().setXonXoffOut(true), port.FlowControl().setXonXoffIn(true);
    else if (setting == QLatin1String("discardNull"))
        port.setDiscardNull(true);
    else if (setting == QLatin1String("oddInput"))
        port.Buffer().setInputSize(2001);
    else if (setting == QLatin1String("sevenBitsTwoStops"))
        port.setDataBits(dbSeven), port.setStopBits(sbTwoStopBits);
    else if (setting == QLatin1String("timeouts"))
        port.Timeouts().setWriteTotalConstant(500);
    else if (setting == QLatin1String("br9600"))
        port.setBaudRate(br9600);
    else
        QFAIL("unknown setting");
}

} // namespace

class TestComPort : public QObject {
    Q_OBJECT

private slots:
    void lineSettings_data();
    void lineSettings();
    void timeoutsAndQueues();
    void openAndCloseSequence();
    void openFailures_data();
    void openFailures();
    void modemReadFailsAfterOpen();
    void failedPurgeKeepsPortOpen();
    void assignments_data();
    void assignments();
    void settingGroupsReapplyWhileOpen_data();
    void settingGroupsReapplyWhileOpen();
    void linkRegistration();
    void sendText_data();
    void sendText();
    void batchStepsInOrder();
    void lineErrors_data();
    void lineErrors();
    void deviceFailureInBatchReportsIoError_data();
    void deviceFailureInBatchReportsIoError();
    void closeFromOnErrorCompletes();
    void closeFromNestedLoopInOnCharCompletes();
    void rxEventWithoutBytesReadsNothing();
    void batchPendingAtCloseIsProcessedFirst();
    void resetScreen();
    void chunksSplitAnywhereReachTheParserAsBytes();
    void deviceLostBetweenChunks();
    void screenSameForChunksAsForBytes();
    void gatheredBytesHandedOverTogether_data();
    void gatheredBytesHandedOverTogether();
    void replyLengthExpected_data();
    void replyLengthExpected();
    void replyAsLongAsTheLastHandedOverWhole();
};

void TestComPort::lineSettings_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<uint>("flags");
    QTest::addColumn<uint>("baud");
    QTest::addColumn<int>("byteSize");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("errorChar");

    QTest::newRow("as the form sets it") << "" << 0x1u << 19200u << 8 << 0 << 0 << 256 << 0;
    QTest::newRow("parity check") << "check" << 0x3u << 19200u << 8 << 0 << 0 << 256 << 0;
    QTest::newRow("replace without check") << "replace" << 0x1u << 19200u << 8 << 0 << 0 << 256 << 0;
    QTest::newRow("even parity") << "even" << 0x1u << 19200u << 8 << 2 << 0 << 256 << 0;
    QTest::newRow("DTR enabled") << "dtrEnable" << 0x11u << 19200u << 8 << 0 << 0 << 256 << 0;
    QTest::newRow("DTR handshake") << "dtrHandshake" << 0x21u << 19200u << 8 << 0 << 0 << 256 << 0;
    QTest::newRow("RTS toggle") << "rtsToggle" << 0x3001u << 19200u << 8 << 0 << 0 << 256 << 0;
    QTest::newRow("CTS output flow") << "cts" << 0x5u << 19200u << 8 << 0 << 0 << 256 << 0;
    QTest::newRow("XON/XOFF both ways") << "xon" << 0x301u << 19200u << 8 << 0 << 0 << 256 << 0;
    QTest::newRow("NUL discarding") << "discardNull" << 0x801u << 19200u << 8 << 0 << 0 << 256 << 0;
    QTest::newRow("odd input size lowered") << "oddInput" << 0x1u << 19200u << 8 << 0 << 0 << 500 << 0;
    QTest::newRow("7 bits, 2 stop bits") << "sevenBitsTwoStops" << 0x1u << 19200u << 7 << 0 << 2 << 256 << 0;
    QTest::newRow("9600 bit/s") << "br9600" << 0x1u << 9600u << 8 << 0 << 0 << 256 << 0;
}

void TestComPort::lineSettings()
{
    QFETCH(QString, setting);
    Rig rig;
    if (!setting.isEmpty())
        applySetting(rig.port, setting);
    if (setting == QLatin1String("replace")) {
        // Honoured only together with the check.
        QCOMPARE(rig.port.lineSettings().flags, 0x1u);
        rig.port.Parity().setReplaceChar('?');
        rig.port.Parity().setCheck(true);
        QCOMPARE(rig.port.lineSettings().flags, 0x403u);
        QCOMPARE(rig.port.lineSettings().errorChar, '?');
        return;
    }
    rig.port.Open();
    const ComLineSettings s = rig.device().lastLineSettings;
    QTEST(uint(s.flags), "flags");
    QTEST(uint(s.baudRate), "baud");
    QTEST(int(s.byteSize), "byteSize");
    QTEST(int(s.parity), "parity");
    QTEST(int(s.stopBits), "stopBits");
    QTEST(int(s.xonLimit), "limit");
    QTEST(int(s.xoffLimit), "limit");
    QTEST(int(s.errorChar), "errorChar");
    QCOMPARE(int(s.xonChar), 0x11);
    QCOMPARE(int(s.xoffChar), 0x13);
    QCOMPARE(int(s.eventChar), 0);
}

void TestComPort::timeoutsAndQueues()
{
    Rig rig;
    rig.port.Open();
    const ComTimeoutValues t = rig.device().lastTimeouts;
    QCOMPARE(t.readInterval, 0xFFFFFFFFu);
    QCOMPARE(t.readTotalMultiplier, 0u);
    QCOMPARE(t.readTotalConstant, 0u);
    QCOMPARE(t.writeTotalMultiplier, 100u);
    QCOMPARE(t.writeTotalConstant, 1000u);
    QVERIFY(rig.platform->log().contains(QStringLiteral("setQueueSizes 1024 1024")));
}

void TestComPort::openAndCloseSequence()
{
    Rig rig;
    TComLink watcher;
    watcher.OnConn = [&](QObject *, bool opened) {
        rig.events << (opened ? QStringLiteral("link open") : QStringLiteral("link closed"));
    };
    rig.port.RegisterLink(&watcher);
    rig.port.setPort(QStringLiteral("4"));

    rig.port.setConnected(true);
    QVERIFY(rig.port.Connected());
    QCOMPARE(rig.platform->log(), QStringList({"open COM4", "setQueueSizes 1024 1024", "setLineSettings", "setTimeouts",
                                               "setEventMask 0x5ff", "modemLines"}));
    QCOMPARE(rig.events, QStringList({"link open", "afterOpen"}));

    rig.platform->clearLog();
    rig.events.clear();
    rig.port.setConnected(false);
    QVERIFY(!rig.port.Connected());
    // Abort transfers, let the event thread end (mask off, queues cleared),
    // then release the device.
    QCOMPARE(rig.platform->log(), QStringList({"purge 0x3", "setEventMask 0x0", "purge 0xc", "close"}));
    QCOMPARE(rig.events, QStringList({"link closed", "afterClose"}));
    rig.port.UnRegisterLink(&watcher);
}

void TestComPort::openFailures_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");

    QTest::newRow("device absent") << "open" << ENOENT << 1 << "Unable to open com port (win error code: 2)";
    QTest::newRow("device in use") << "open" << EBUSY << 1 << "Unable to open com port (win error code: 16)";
    QTest::newRow("queue sizes") << "setQueueSizes" << EINVAL << 9 << "SetupComm function failed (win error code: 22)";
    QTest::newRow("line settings") << "setLineSettings" << EINVAL << 7
                                   << "SetCommState function failed (win error code: 22)";
    QTest::newRow("time-outs") << "setTimeouts" << EIO << 8 << "SetCommTimeouts failed (win error code: 5)";
}

void TestComPort::openFailures()
{
    QFETCH(QString, operation);
    QFETCH(int, error);
    Rig rig;
    rig.platform->failures.insert(operation, error);
    try {
        rig.port.Open();
        QFAIL("the opening did not fail");
    } catch (const EComPort &e) {
        QTEST(e.Code(), "code");
        QTEST(e.message(), "message");
        QCOMPARE(e.WinCode(), error);
    }
    QVERIFY(!rig.port.Connected());
    QVERIFY(rig.events.isEmpty());
    const QStringList log = rig.platform->log();
    QVERIFY(!log.join(' ').contains(QStringLiteral("setEventMask"))); // no event thread
    QCOMPARE(log.last() == QLatin1String("close"), operation != QLatin1String("open"));
    // The port is usable again once the fault is gone.
    rig.platform->failures.clear();
    rig.port.Open();
    QVERIFY(rig.port.Connected());
}

void TestComPort::modemReadFailsAfterOpen()
{
    Rig rig;
    rig.platform->failures.insert(QStringLiteral("modemLines"), EIO);
    QVERIFY_THROWS_EXCEPTION(EComPort, rig.port.Open());
    // The port is open and its owner was told so before the error.
    QVERIFY(rig.port.Connected());
    QCOMPARE(rig.events, QStringList{"afterOpen"});
}

void TestComPort::failedPurgeKeepsPortOpen()
{
    Rig rig;
    rig.port.Open();
    rig.platform->failures.insert(QStringLiteral("purge"), EIO);
    try {
        rig.port.Close();
        QFAIL("the close did not fail");
    } catch (const EComPort &e) {
        QCOMPARE(e.message(), QStringLiteral("PurgeComm function failed (win error code: 5)"));
    }
    QVERIFY(rig.port.Connected());
    QCOMPARE(rig.events, QStringList{"afterOpen"});
    // Its event thread still delivers.
    rig.device().receive("ok");
    QTRY_COMPARE(rig.received, QByteArray("ok"));
    rig.platform->failures.clear();
    rig.port.Close();
    QVERIFY(!rig.port.Connected());
}

void TestComPort::assignments_data()
{
    QTest::addColumn<bool>("openFirst");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("portAfter");

    QTest::newRow("same name while open") << true << "port COM1" << QStringList() << "COM1";
    QTest::newRow("same name in other words") << true << "port 0" << QStringList() << "COM1";
    QTest::newRow("other name while open") << true << "port com3" << QStringList{"afterClose", "afterOpen"} << "COM3";
    QTest::newRow("other name while closed") << false << "port 3" << QStringList() << "COM3";
    QTest::newRow("open while open") << true << "connect" << QStringList() << "COM1";
    QTest::newRow("close while closed") << false << "disconnect" << QStringList() << "COM1";
}

void TestComPort::assignments()
{
    QFETCH(bool, openFirst);
    QFETCH(QString, action);
    Rig rig;
    if (openFirst)
        rig.port.Open();
    rig.events.clear();
    rig.platform->clearLog();
    if (action.startsWith(QLatin1String("port ")))
        rig.port.setPort(action.mid(5));
    else
        rig.port.setConnected(action == QLatin1String("connect"));
    QTEST(rig.events, "events");
    QTEST(rig.port.Port(), "portAfter");
    QCOMPARE(rig.port.Connected(), openFirst);
    if (rig.events.isEmpty())
        QVERIFY(rig.platform->log().isEmpty());
    else
        QVERIFY(rig.platform->log().contains(QStringLiteral("open COM3")));
}

void TestComPort::settingGroupsReapplyWhileOpen_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("call");
    QTest::addColumn<int>("code");

    QTest::newRow("parity") << "check"
                            << "setLineSettings" << 7;
    QTest::newRow("flow control") << "dtrEnable"
                                  << "setLineSettings" << 7;
    QTest::newRow("time-outs") << "timeouts"
                               << "setTimeouts" << 8;
    QTest::newRow("queue sizes") << "oddInput"
                                 << "setQueueSizes" << 9;
}

void TestComPort::settingGroupsReapplyWhileOpen()
{
    QFETCH(QString, setting);
    QFETCH(QString, call);
    Rig rig;
    rig.port.Open();
    rig.platform->clearLog();
    // The change goes to the device at once, and a refusal reaches the one
    // who changed the setting.
    rig.platform->failures.insert(call, EINVAL);
    try {
        applySetting(rig.port, setting);
        QFAIL("no error");
    } catch (const EComPort &e) {
        QTEST(e.Code(), "code");
    }
    QCOMPARE(rig.platform->log().size(), 1);
    QVERIFY(rig.platform->log().first().startsWith(call));
    rig.platform->failures.clear();
}

void TestComPort::linkRegistration()
{
    Rig rig; // the terminal's link is registered
    TComLink other;
    rig.port.RegisterLink(&other);
    QVERIFY_THROWS_EXCEPTION(EComPort, rig.port.RegisterLink(&other));
    rig.port.UnRegisterLink(&other);
    try {
        rig.port.UnRegisterLink(&other);
        QFAIL("no error");
    } catch (const EComPort &e) {
        QCOMPARE(e.Code(), 18);
        QCOMPARE(e.WinCode(), -1);
    }
    // Without a link that takes them, received bytes are read and dropped
    // (they would otherwise wake the event thread for ever).
    rig.terminal.setComPort(nullptr);
    rig.port.Open();
    rig.platform->clearLog();
    rig.device().receive("xyz");
    QTRY_VERIFY(rig.platform->log().contains(QStringLiteral("read 3")));
    QVERIFY(rig.received.isEmpty());
}

void TestComPort::sendText_data()
{
    QTest::addColumn<int>("writeLimit");
    QTest::addColumn<int>("failure");
    QTest::addColumn<int>("result"); // -1: raises error 2

    QTest::newRow("whole command") << -1 << 0 << 4;
    QTest::newRow("ended by the time-out") << 1 << 0 << 1;
    QTest::newRow("nothing before the time-out") << 0 << 0 << 0;
    QTest::newRow("refused") << -1 << EIO << -1;
}

void TestComPort::sendText()
{
    QFETCH(int, writeLimit);
    QFETCH(int, failure);
    QFETCH(int, result);
    Rig rig;
    QVERIFY_THROWS_EXCEPTION(EComPort, rig.port.SendText("@M\r\n")); // closed
    rig.port.Open();
    rig.device().writeLimit = writeLimit;
    if (failure)
        rig.platform->failures.insert(QStringLiteral("write"), failure);
    try {
        QCOMPARE(rig.port.SendText("@M\r\n"), result);
        QCOMPARE(rig.device().written(), QByteArray("@M\r\n").left(result));
    } catch (const EComPort &e) {
        QCOMPARE(result, -1);
        QCOMPARE(e.Code(), 2);
        QCOMPARE(e.WinCode(), failure);
    }
}

void TestComPort::batchStepsInOrder()
{
    Rig rig;
    rig.port.Open();
    rig.platform->clearLog();
    rig.terminal.OnChar = [&](QObject *, char ch) { rig.events << QStringLiteral("char %1").arg(ch); };
    rig.device().receive("ab", false);
    rig.device().raiseErrors(0x0008, false);
    rig.device().raiseEvent(0x05FF);
    QTRY_COMPARE(rig.events.size(), 4);
    // The error step comes first, then the bytes, then the modem lines for
    // CTS, DSR and RLSD.
    QCOMPARE(rig.events, QStringList({"afterOpen", "error 1", "char a", "char b"}));
    QTRY_COMPARE(rig.platform->log(),
                 QStringList({"status", "status", "read 2", "modemLines", "modemLines", "modemLines"}));
}

void TestComPort::lineErrors_data()
{
    QTest::addColumn<uint>("flags");
    QTest::addColumn<bool>("parityCheck");
    QTest::addColumn<int>("errors"); // the reported set, 0 for no report

    QTest::newRow("framing") << 0x0008u << false << int(ceFrame);
    QTest::newRow("parity, unchecked") << 0x0004u << false << 0;
    QTest::newRow("parity, checked") << 0x0004u << true << int(ceRxParity);
    QTest::newRow("overrun and break") << 0x0012u << false << int(ceOverrun | ceBreak);
    QTest::newRow("I/O") << 0x0400u << false << int(ceIO);
    QTest::newRow("mode") << 0x8000u << false << int(ceMode);
    QTest::newRow("queues") << 0x0101u << false << int(ceRxOver | ceTxFull);
    QTest::newRow("no flags") << 0x0u << false << 0;
}

void TestComPort::lineErrors()
{
    QFETCH(uint, flags);
    QFETCH(bool, parityCheck);
    QFETCH(int, errors);
    Rig rig;
    rig.port.Parity().setCheck(parityCheck);
    rig.port.Open();
    rig.events.clear();
    rig.device().raiseErrors(flags);
    // Bytes behind the errors show that the batch with them was processed.
    rig.device().receive("z");
    QTRY_COMPARE(rig.received, QByteArray("z"));
    const QStringList expected = errors ? QStringList{QStringLiteral("error %1").arg(errors, 0, 16)} : QStringList{};
    QCOMPARE(rig.events, expected);
}

void TestComPort::deviceFailureInBatchReportsIoError_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("status") << "status";
    QTest::newRow("read") << "read";
}

void TestComPort::deviceFailureInBatchReportsIoError()
{
    QFETCH(QString, operation);
    Rig rig;
    rig.port.Open();
    rig.events.clear();
    rig.platform->failures.insert(operation, EIO);
    rig.device().receive("lost");
    QTRY_COMPARE(rig.events, QStringList{QStringLiteral("error %1").arg(int(ceIO), 0, 16)});
    // The event thread has ended: nothing more is delivered, and closing works.
    rig.platform->failures.clear();
    rig.device().receive("more");
    QTest::qWait(50);
    QVERIFY(rig.received.isEmpty());
    rig.port.Close();
    QVERIFY(!rig.port.Connected());
}

void TestComPort::closeFromOnErrorCompletes()
{
    Rig rig;
    rig.port.Open();
    rig.port.OnError = [&](QObject *, TComErrors) {
        rig.events << QStringLiteral("error");
        rig.port.Close();
        rig.events << QStringLiteral("closed");
    };
    rig.events.clear();
    // The same batch also holds bytes: once the port is closed they are not read.
    rig.device().receive("abc", false);
    rig.device().raiseErrors(0x0008, false);
    rig.device().raiseEvent(0x0081);
    QTRY_COMPARE(rig.events, QStringList({"error", "afterClose", "closed"}));
    QVERIFY(!rig.port.Connected());
    QVERIFY(rig.received.isEmpty());
    // And the port opens again.
    rig.port.Open();
    rig.device().receive("d");
    QTRY_COMPARE(rig.received, QByteArray("d"));
}

void TestComPort::closeFromNestedLoopInOnCharCompletes()
{
    Rig rig;
    rig.port.Open();
    rig.events.clear();
    // OnChar shows something modal; meanwhile the operator closes the port.
    rig.terminal.OnChar = [&](QObject *, char ch) {
        rig.events << QStringLiteral("char %1").arg(ch);
        if (ch != 'a')
            return;
        QEventLoop modal;
        QTimer::singleShot(0, [&] {
            rig.port.Close();
            modal.quit();
        });
        modal.exec();
        rig.events << QStringLiteral("modal done");
    };
    rig.device().receive("ab");
    QTRY_COMPARE(rig.events, QStringList({"char a", "afterClose", "modal done", "char b"}));
    QVERIFY(!rig.port.Connected());
}

void TestComPort::rxEventWithoutBytesReadsNothing()
{
    Rig rig;
    rig.port.Open();
    rig.platform->clearLog();
    rig.device().raiseEvent(0x0001);
    QTRY_COMPARE(rig.platform->log(), QStringList{"status"});
    QTest::qWait(20);
    QCOMPARE(rig.platform->log(), QStringList{"status"});
    QVERIFY(rig.received.isEmpty());
}

void TestComPort::batchPendingAtCloseIsProcessedFirst()
{
    Rig rig;
    rig.port.Open();
    rig.events.clear();
    rig.terminal.OnChar = [&](QObject *, char ch) { rig.events << QStringLiteral("char %1").arg(ch); };
    rig.device().receive("q");
    // The event thread takes the event and hands the batch over; the GUI
    // thread has not looked at it yet when the close starts.
    QTRY_VERIFY_WITH_TIMEOUT(rig.device().eventsTaken(), 1000);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    rig.port.Close();
    QCOMPARE(rig.events, QStringList({"char q", "afterClose"}));
    // The queued hand-off left behind does nothing.
    QTest::qWait(20);
    QCOMPARE(rig.events.size(), 2);
}

void TestComPort::resetScreen()
{
    Rig rig;
    rig.port.Open();
    rig.device().receive(QByteArray("AB\r\nCD\x00\xE9", 8));
    QTRY_COMPARE(rig.received.size(), 8);
    QCOMPARE(rig.terminal.screenRow(1).left(3), QByteArray("AB "));
    QCOMPARE(rig.terminal.screenRow(2).left(3), QByteArray("CD\xE9"));
    QCOMPARE(rig.terminal.cursorRow(), 2);
    rig.terminal.ResetScreen();
    QCOMPARE(rig.terminal.screenRow(1), QByteArray(80, ' '));
    QCOMPARE(rig.terminal.screenRow(2), QByteArray(80, ' '));
    QCOMPARE(rig.terminal.cursorColumn(), 1);
    QCOMPARE(rig.terminal.cursorRow(), 1);
}

namespace {

// What the parser writes for the bytes, fed one by one. Each frame answers a
// request of its own: the line is taken for a frame's letter when the frame
// opens on a free line.
struct ParserRig {
    SharedState state;
    RecordingSink sink;
    ReplyParser parser{state, sink, sink.windows};
    qsizetype fed = 0;
    bool colon = false;

    void feed(QByteArrayView bytes)
    {
        for (char ch : bytes) {
            if (colon && state.readyToSend)
                takeLine(state, QByteArray("@") + (ch == 'W' ? 'M' : ch) + "\r\n");
            colon = ch == ':';
            parser.feed(ch);
        }
        fed += bytes.size();
    }
};

// A live frame, a stored record and a line of noise with NUL and a byte
// above 127.
const QByteArray replies = QByteArray(":W25.3D26.1G31.0\r\n:A REG[1000]12/05/24 10:10:30 UMI=24.7\001 SEC=25.1"
                                      "\001 GLO=30.0\001 FIM C\r\nx\0\xE9\r\n",
                                      90);

} // namespace

void TestComPort::chunksSplitAnywhereReachTheParserAsBytes()
{
    ParserRig reference;
    reference.feed(replies);
    QVERIFY(reference.sink.calls.size() > 8);
    for (qsizetype split = 0; split <= replies.size(); ++split) {
        Rig rig;
        ParserRig target;
        rig.terminal.OnChars = [&](QObject *, QByteArrayView bytes) { target.feed(bytes); };
        rig.port.Open();
        rig.device().receive(replies.left(split));
        rig.device().receive(replies.mid(split));
        // Woken by the hand-off itself: a polling wait would take most of the test.
        QDeadlineTimer deadline(5000);
        while (target.fed < replies.size() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        QCOMPARE(target.fed, replies.size());
        QCOMPARE(target.sink.calls, reference.sink.calls);
        QCOMPARE(rig.terminal.screenRow(2).left(5), QByteArray(":A RE"));
    }
}

void TestComPort::deviceLostBetweenChunks()
{
    Rig rig;
    rig.port.Open();
    rig.terminal.OnChar = [&](QObject *, char ch) { rig.events << QStringLiteral("char %1").arg(ch); };
    rig.events.clear();
    rig.device().receive("ab");
    QTRY_COMPARE(rig.events.size(), 2);
    // The device goes away with the rest of the reply: the bytes before it
    // arrived once, the loss is reported as an I/O error, nothing follows.
    rig.platform->failures.insert(QStringLiteral("read"), EIO);
    rig.device().receive("cd");
    QTRY_COMPARE(rig.events.size(), 3);
    rig.platform->failures.clear();
    rig.device().receive("ef");
    QTest::qWait(50);
    QCOMPARE(rig.events, QStringList({"char a", "char b", QStringLiteral("error %1").arg(int(ceIO), 0, 16)}));
}

// The terminal writes a chunk's printable runs at once; the screen must be
// the one its byte-by-byte path draws: wrapping, scrolling, control bytes.
void TestComPort::screenSameForChunksAsForBytes()
{
    QByteArray stream;
    for (int line = 0; line < 30; ++line)
        stream += QByteArray(line * 7 % 170, char('A' + line % 26)) + "\t\x01\x7f\xe9x\by" + (line % 3 ? "\r\n" : "\n");
    stream += QByteArray(200, '#') + "\rz";
    Rig bytewise;
    Rig chunked;
    chunked.terminal.OnChars = [&](QObject *, QByteArrayView bytes) { chunked.received += bytes; };
    for (Rig *rig : {&bytewise, &chunked}) {
        rig->port.Open();
        rig->device().receive(stream);
        QTRY_COMPARE(rig->received.size(), stream.size());
    }
    for (int row = 1; row <= TComTerminal::Rows; ++row)
        QCOMPARE(chunked.terminal.screenRow(row), bytewise.terminal.screenRow(row));
    QCOMPARE(chunked.terminal.cursorColumn(), bytewise.terminal.cursorColumn());
    QCOMPARE(chunked.terminal.cursorRow(), bytewise.terminal.cursorRow());
    QCOMPARE(bytewise.terminal.screenRow(TComTerminal::Rows).left(2), QByteArray("z#"));
}

void TestComPort::gatheredBytesHandedOverTogether_data()
{
    using std::chrono::milliseconds;
    QTest::addColumn<int>("quietMs");
    QTest::addColumn<int>("limitMs");
    QTest::addColumn<QByteArrayList>("received");
    QTest::addColumn<bool>("closeAfter");
    QTest::addColumn<QByteArrayList>("handedOver");
    const int never = 100000;
    QTest::newRow("a frame's last byte hands over what came before it")
        << never << never << QByteArrayList{"ab", "c\n"} << false << QByteArrayList{"abc\n"};
    QTest::newRow("a quiet line hands over what has come")
        << 20 << never << QByteArrayList{"abc"} << false << QByteArrayList{"abc"};
    QTest::newRow("the time limit hands over a line that never pauses")
        << never << 30 << QByteArrayList{"ab"} << false << QByteArrayList{"ab"};
    QTest::newRow("closing hands over what is held first")
        << never << never << QByteArrayList{"abc"} << true << QByteArrayList{"abc"};
}

void TestComPort::gatheredBytesHandedOverTogether()
{
    QFETCH(int, quietMs);
    QFETCH(int, limitMs);
    QFETCH(QByteArrayList, received);
    QFETCH(bool, closeAfter);
    QFETCH(QByteArrayList, handedOver);
    QByteArrayList chunks;
    Rig rig;
    rig.port.Gathering().look = std::chrono::milliseconds(1);
    rig.port.Gathering().quiet = std::chrono::milliseconds(quietMs);
    rig.port.Gathering().limit = std::chrono::milliseconds(limitMs);
    rig.port.OnRxBuf = [&](QObject *, const char *bytes, int count) { chunks << QByteArray(bytes, count); };
    rig.port.Open();
    for (const QByteArray &bytes : received)
        rig.device().receive(bytes);
    QTRY_VERIFY(rig.device().eventsTaken());
    if (closeAfter) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50)); // read and held by now
        rig.port.Close();
    }
    QTRY_COMPARE(chunks.size(), handedOver.size());
    QTest::qWait(50);
    QCOMPARE(chunks, handedOver);
}

void TestComPort::replyLengthExpected_data()
{
    // Steps: "w" + a request written, "r" + a count of bytes received,
    // "restart". The expectation is the one the last request gets.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("expected");
    QTest::newRow("a request never answered is not waited for") << QStringList{"w@A"} << 0;
    QTest::newRow("the last reply to the same request, an eighth less")
        << QStringList{"w@A", "r56", "w@r1", "r7", "w@A"} << 49;
    QTest::newRow("a short reply, two bytes less; the number after the letter is the same request")
        << QStringList{"w@r1", "r7", "w@r2"} << 5;
    QTest::newRow("a request left unanswered keeps the length learnt")
        << QStringList{"w@A", "r56", "w@A", "w@A"} << 49;
    QTest::newRow("a reply cut by reopening the port is not learnt")
        << QStringList{"w@A", "r56", "w@A", "r10", "restart", "w@A"} << 49;
}

void TestComPort::replyLengthExpected()
{
    QFETCH(QStringList, steps);
    QFETCH(int, expected);
    ReplyLengths lengths;
    int last = -1;
    for (const QString &step : steps) {
        if (step == QLatin1String("restart"))
            lengths.restart();
        else if (step.startsWith('w'))
            last = lengths.written(step.mid(1).toLatin1());
        else
            lengths.received(step.mid(1).toInt());
    }
    QCOMPARE(last, expected);
}

// At 200 bit/s a byte takes 50 ms. After a reply of 12 bytes to "@A", the
// next reply to "@A" is held whole although a frame-end byte and a pause
// longer than the quiet time and the limit come inside it; the reply to a
// request never answered before is handed over at that byte and that pause.
void TestComPort::replyAsLongAsTheLastHandedOverWhole()
{
    QByteArrayList chunks;
    Rig rig;
    rig.port.setBaudRate(brCustom);
    rig.port.setCustomBaudRate(200);
    rig.port.Gathering().look = std::chrono::milliseconds(1);
    rig.port.Gathering().quiet = std::chrono::milliseconds(5);
    rig.port.Gathering().limit = std::chrono::milliseconds(5);
    rig.port.OnRxBuf = [&](QObject *, const char *bytes, int count) { chunks << QByteArray(bytes, count); };
    rig.port.Open();
    const auto reply = [&](const QByteArray &request) {
        chunks.clear();
        rig.port.SendText(request);
        rig.device().receive("ab\n");
        QTest::qWait(30); // what is handed over meanwhile is taken
        rig.device().receive("cdefghij\n");
        const bool whole = QTest::qWaitFor([&] { return chunks.join().size() >= 12; }, 5000);
        QTest::qWait(20);
        return whole ? chunks : QByteArrayList{};
    };
    QCOMPARE(reply("@A\r\n"), QByteArrayList({"ab\n", "cdefghij\n"}));
    QCOMPARE(reply("@A\r\n"), QByteArrayList({"ab\ncdefghij\n"}));
    QCOMPARE(reply("@B\r\n"), QByteArrayList({"ab\n", "cdefghij\n"}));
}

QTEST_GUILESS_MAIN(TestComPort)
#include "test_comport.moc"
