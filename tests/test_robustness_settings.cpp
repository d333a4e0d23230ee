// The reply time-out as the operator sets it: "TempoResposta" in the settings
// file, in milliseconds, read with the other settings; anything unusable
// keeps the default without a word to the operator. What may stand in place
// of the settings file.
#include "core/AppError.h"
#include "core/Registry.h"
#include "core/Settings.h"
#include "core/SettingsLocation.h"
#include "support/ChildProcess.h"
#include "support/TestData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

struct RecordingUi : SettingsUi {
    QStringList shown;
    void plainMessage(const QString &text) override { shown << text; }
    void errorReport(const QString &text) override { shown << "error: " + text; }
};

} // namespace

class RobustnessSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void replyTimeout_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<QStringList>("shown");
        const QStringList none;
        QTest::newRow("missing: the default") << QByteArray("Porta=1\n") << 3000 << none;
        QTest::newRow("set by the operator") << QByteArray("Porta=1\nTempoResposta=5000\n") << 5000 << none;
        QTest::newRow("the shortest taken") << QByteArray("Porta=1\nTempoResposta=100\n") << 100 << none;
        QTest::newRow("the longest taken") << QByteArray("Porta=1\nTempoResposta=600000\n") << 600000 << none;
        QTest::newRow("too short: the default") << QByteArray("Porta=1\nTempoResposta=99\n") << 3000 << none;
        QTest::newRow("zero: the default") << QByteArray("Porta=1\nTempoResposta=0\n") << 3000 << none;
        QTest::newRow("negative: the default") << QByteArray("Porta=1\nTempoResposta=-5\n") << 3000 << none;
        QTest::newRow("too long: the default") << QByteArray("Porta=1\nTempoResposta=600001\n") << 3000 << none;
        QTest::newRow("not a number: the default") << QByteArray("Porta=1\nTempoResposta=3s\n") << 3000 << none;
        QTest::newRow("past 32 bits: the default")
            << QByteArray("Porta=1\nTempoResposta=99999999999\n") << 3000 << none;
        QTest::newRow("no settings file: the default") << QByteArray() << 3000 << QStringList{noKeyMessage};
    }

    void replyTimeout()
    {
        QFETCH(QByteArray, file);
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        if (!file.isEmpty()) {
            QDir().mkpath(QFileInfo(settingsFilePath()).absolutePath());
            QFile f(settingsFilePath());
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(file) == file.size());
        }
        SharedState state;
        state.replyTimeoutMs = 1;
        RecordingUi ui;
        readSettings(state, ui);
        QCOMPARE(state.replyTimeoutMs, FETCHED(int, timeout));
        QCOMPARE(ui.shown, FETCHED(QStringList, shown));
    }

    // What may stand in place of the settings file: read at start-up and
    // written at close in a child process with a time bound, since a FIFO
    // would block open() for good and a device would never end.
    void hostileSettingsFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("atClose"); // after the file's path
        QTest::newRow("a FIFO is neither read nor written")
            << "fifo"
            << "No lugar do arquivo de configuração %1 há um FIFO (pipe nomeado); ficou como estava";
        QTest::newRow("a link to /dev/zero is neither read nor written")
            << "device"
            << "No lugar do arquivo de configuração %1 há um dispositivo; ficou como estava";
        QTest::newRow("a file above 1 MB is put aside and a new one written")
            << "big"
            << "O arquivo de configuração %1 estava ilegível. Ele foi guardado como %1.ilegivel-";
    }

    void hostileSettingsFile()
    {
        QFETCH(QString, kind);
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        const QString path = settingsFilePath();
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        if (kind == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == "device") {
            QVERIFY(QFile::link("/dev/zero", path));
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("Porta=1\n") == 8 && f.resize(MaxSettingsFileBytes + 1));
        }
        const QString got = runInChildWithin(10, [] {
            SharedState state;
            state.portNumber = 2;
            RecordingUi ui;
            readSettings(state, ui);
            QString text = ui.shown.join(", ") + " | ";
            try {
                text += writeSettings(state);
            } catch (const AppError &e) {
                text += e.message();
            }
            return text;
        });
        QVERIFY2(got.startsWith(noKeyMessage + " | " + FETCHED(QString, atClose).arg(path)), qPrintable(got));
    }
};

QTEST_GUILESS_MAIN(RobustnessSettingsTest)
#include "test_robustness_settings.moc"
