// The real client against the simulator, through the end-to-end helper: the
// client finds the simulator through its COM mapping and polls it.

#include "support/Simulator.h"
#include "support/SimulatorClientProcess.h"

#include <QFileInfo>
#include <QtTest>

class SimulatorClientTest : public QObject {
    Q_OBJECT

private slots:
    void clientPollsTheSimulator_data()
    {
        QTest::addColumn<int>("com");
        QTest::addColumn<QStringList>("simArgs");
        QTest::newRow("COM1 at the real line rate") << 1 << QStringList{"--baud", "19200"};
        QTest::newRow("COM4, unpaced") << 4 << QStringList{};
    }

    void clientPollsTheSimulator()
    {
        QFETCH(int, com);
        QFETCH(QStringList, simArgs);
        if (!QFileInfo::exists(QStringLiteral(VESTARA_BIN_DIR "/vestara")))
            QSKIP("the client (target vestara) is not built");
        QTemporaryDir home;
        SimulatorProcess sim;
        QVERIFY2(sim.start(simArgs), qPrintable(sim.errorText()));
        QVERIFY(sim.writeSettings(home.path(), com, com));
        ClientProcess client;
        QVERIFY(client.start(home.path()));
        // The live page polls maxima and minima in turn, one request a second.
        QVERIFY2(sim.waitForRequests(4, 15000), client.output().constData());
        QCOMPARE(sim.requests().mid(0, 4), (QByteArrayList{"@M\r\n", "@G\r\n", "@B\r\n", "@M\r\n"}));
        QVERIFY(client.isRunning());
        client.stop();
    }
};

QTEST_GUILESS_MAIN(SimulatorClientTest)
#include "test_simulator_client.moc"
