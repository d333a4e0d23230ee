// Port texts to COM names, and COM names to Linux devices.

#include "link/PortNames.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestPortNames : public QObject {
    Q_OBJECT

private slots:
    void normalises_data();
    void normalises();
    void mapsToDevice_data();
    void mapsToDevice();
};

void TestPortNames::normalises_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::newRow("digit") << "3"
                           << "COM3";
    QTest::newRow("lower-case prefix") << "com12"
                                       << "COM12";
    QTest::newRow("mixed-case prefix") << "Com7"
                                       << "COM7";
    QTest::newRow("zero") << "0"
                          << "COM1";
    QTest::newRow("above range") << "97"
                                 << "COM1";
    QTest::newRow("highest") << "96"
                             << "COM96";
    QTest::newRow("not a number") << "COMX"
                                  << "COM1";
    QTest::newRow("prefix alone") << "COM"
                                  << "COM1";
    QTest::newRow("empty") << ""
                           << "COM1";
    QTest::newRow("negative") << "-3"
                              << "COM1";
    QTest::newRow("leading zeros") << "COM007"
                                   << "COM7";
    QTest::newRow("device path") << "/dev/ttyUSB0"
                                 << "COM1";
    QTest::newRow("overflowing number") << "99999999999"
                                        << "COM1";
}

void TestPortNames::normalises()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QCOMPARE(normalisePortName(text), name);
}

void TestPortNames::mapsToDevice_data()
{
    QTest::addColumn<QString>("settings"); // INI text; "-" for no file
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("device"); // relative to the device folder, or absolute

    // The device folder holds ttyS0 ttyS1 ttyS10 ttyS2 ttyACM0 ttyUSB10 ttyUSB2
    // and names that are not serial devices of the rule.
    QTest::newRow("no settings: USB first, numeric order") << "-"
                                                           << "COM1"
                                                           << "ttyUSB2";
    QTest::newRow("no settings: ttyUSB10 after ttyUSB2") << "-"
                                                         << "COM2"
                                                         << "ttyUSB10";
    QTest::newRow("no settings: then ACM") << "-"
                                           << "COM3"
                                           << "ttyACM0";
    QTest::newRow("no settings: then ttyS") << "-"
                                            << "COM4"
                                            << "ttyS0";
    QTest::newRow("no settings: ttyS2 before ttyS10") << "-"
                                                      << "COM6"
                                                      << "ttyS2";
    QTest::newRow("no settings: last") << "-"
                                       << "COM7"
                                       << "ttyS10";
    QTest::newRow("no settings: beyond the devices") << "-"
                                                     << "COM8"
                                                     << "";
    QTest::newRow("settings without the group") << "Porta=3\n"
                                                << "COM1"
                                                << "ttyUSB2";
    QTest::newRow("group lists the name") << "Porta=3\n[Portas]\nCOM3=/dev/pts/7\n"
                                          << "COM3"
                                          << "/dev/pts/7";
    QTest::newRow("group does not list the name") << "[Portas]\nCOM3=/dev/pts/7\n"
                                                  << "COM1"
                                                  << "";
    QTest::newRow("name normalised before the lookup") << "[Portas]\nCOM1=/dev/ttyUSB5\n"
                                                       << "0"
                                                       << "/dev/ttyUSB5";
}

void TestPortNames::mapsToDevice()
{
    QFETCH(QString, settings);
    QFETCH(QString, port);
    QFETCH(QString, device);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString dev = dir.filePath(QStringLiteral("dev"));
    QVERIFY(QDir().mkpath(dev));
    for (const char *name : {"ttyS0", "ttyS1", "ttyS10", "ttyS2", "ttyACM0", "ttyUSB10", "ttyUSB2", "ttyUSB", "ttyUSBx",
                             "tty0", "ttyprintk", "ttyAMA0"}) {
        QFile f(dev + QLatin1Char('/') + QLatin1String(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const QString settingsPath = dir.filePath(QStringLiteral("Quorvin.conf"));
    if (settings != QLatin1String("-")) {
        QFile f(settingsPath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(settings.toUtf8());
    }
    const QString expected =
        device.isEmpty() || device.startsWith(QLatin1Char('/')) ? device : dev + QLatin1Char('/') + device;
    QCOMPARE(comDevicePath(port, settingsPath, dev), expected);
}

QTEST_GUILESS_MAIN(TestPortNames)
#include "test_portnames.moc"
