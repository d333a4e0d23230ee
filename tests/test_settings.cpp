// The settings across runs, with the INI file as the only store: start-up
// reading, close writing, what writes leave alone, and what a failed write
// leaves behind.

#include "core/AppError.h"
#include "core/Settings.h"
#include "core/SettingsLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {

struct RecordingUi : SettingsUi {
    QStringList shown; // plain messages, then "error: " + error reports
    void plainMessage(const QString &text) override { shown << text; }
    void errorReport(const QString &text) override { shown << "error: " + text; }
};

// A settings folder of the test's own. restart() copies the file into a fresh
// folder, so the next run reads it from the disk and not from what this
// process still holds in memory for the old path.
class ConfigHome {
public:
    ConfigHome() { restart(); }
    void restart()
    {
        const QString previous = dirs.empty() ? QString() : settingsFilePath();
        dirs.push_back(std::make_unique<QTemporaryDir>());
        qputenv("XDG_CONFIG_HOME", dirs.back()->path().toUtf8());
        if (!previous.isEmpty() && QFileInfo(previous).isFile())
            write(readFile(previous));
    }
    QString folder() const { return QFileInfo(settingsFilePath()).absolutePath(); }
    void write(const QByteArray &content) const
    {
        QDir().mkpath(folder());
        QFile f(settingsFilePath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size());
    }
    static QByteArray readFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    std::vector<std::unique_ptr<QTemporaryDir>> dirs;
};

// Files written past `bytes` fail with "file too large", root or not: a disk
// that fills up in the middle of a write.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

enum class Store { None, File, Folder };
enum class Obstacle { MalformedFile, FolderInPlaceOfFile, FileInPlaceOfFolder, DiskFullOnCopy, DiskFullOnNewValue };

const QString badPorta = QStringLiteral("error: Invalid data type for 'Porta'");
const QString badPassword = QStringLiteral("error: Invalid data type for 'Password'");

} // namespace

Q_DECLARE_METATYPE(Store)
Q_DECLARE_METATYPE(Obstacle)

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void readsStore_data();
    void readsStore();
    void firstRunThenClose();
    void roundTrip_data();
    void roundTrip();
    void writeKeepsPortasGroup();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
};

void TestSettings::readsStore_data()
{
    QTest::addColumn<Store>("store");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QStringList>("shown");

    const QStringList none, noKey{noKeyMessage}, noPort{noPortMessage};
    const auto file = Store::File;
    QTest::newRow("no file") << Store::None << QByteArray() << 0 << "pelko" << noKey;
    QTest::newRow("folder where the file belongs") << Store::Folder << QByteArray() << 0 << "pelko" << noKey;
    QTest::newRow("typed by hand") << file << QByteArray("Porta=3\r\nPassword=pelko\r\n") << 3 << "pelko" << none;
    QTest::newRow("empty file") << file << QByteArray() << 0 << "pelko" << noPort;
    QTest::newRow("no Porta") << file << QByteArray("[General]\nPassword=x\n") << 0 << "x" << noPort;
    QTest::newRow("empty Password") << file << QByteArray("Porta=2\nPassword=\n") << 2 << "pelko" << none;
    QTest::newRow("quoted blanks kept") << file << QByteArray("Porta=1\nPassword=\" pel ko\"\n") << 1 << " pel ko" << none;
    QTest::newRow("UTF-8") << file << QByteArray("Porta=1\nPassword=senh\xc3\xa1\n") << 1 << QString::fromUtf8("senh\xc3\xa1") << none;
    QTest::newRow("Portas group") << file << QByteArray("Porta=2\n[Portas]\nCOM2=/dev/ttyUSB0\n") << 2 << "pelko" << none;
    QTest::newRow("Porta text") << file << QByteArray("Porta=abc\nPassword=x\n") << 0 << "x" << QStringList{badPorta};
    QTest::newRow("Porta list") << file << QByteArray("Porta=1,2\n") << 0 << "pelko" << QStringList{badPorta};
    QTest::newRow("Porta past 32 bits") << file << QByteArray("Porta=4294967296\n") << 0 << "pelko" << QStringList{badPorta};
    QTest::newRow("Password list") << file << QByteArray("Porta=1\nPassword=a,b\n") << 1 << "pelko" << QStringList{badPassword};
    QTest::newRow("Password bytes") << file << QByteArray("Porta=1\nPassword=@ByteArray(x)\n") << 1 << "pelko" << QStringList{badPassword};
    // QSettings would half understand these: a Latin-1 "senhá" comes back "senh".
    QTest::newRow("Latin-1") << file << QByteArray("Porta=1\nPassword=senh\xe1\n") << 0 << "pelko" << noKey;
    QTest::newRow("line without =") << file << QByteArray("Porta=3\njunk\n") << 0 << "pelko" << noKey;
    QTest::newRow("unclosed group") << file << QByteArray("Porta=3\n[Portas\n") << 0 << "pelko" << noKey;
}

void TestSettings::readsStore()
{
    QFETCH(Store, store);
    QFETCH(QByteArray, content);
    ConfigHome home;
    if (store == Store::File)
        home.write(content);
    if (store == Store::Folder)
        QVERIFY(QDir().mkpath(settingsFilePath()));

    SharedState state;
    state.portNumber = 99;
    RecordingUi ui;
    readSettings(state, ui);
    QTEST(int(state.portNumber), "port");
    QTEST(state.userPassword, "password");
    QTEST(ui.shown, "shown");
    // Start-up writes nothing.
    QCOMPARE(QFileInfo::exists(settingsFilePath()), store != Store::None);
    if (store == Store::File)
        QCOMPARE(ConfigHome::readFile(settingsFilePath()), content);
}

void TestSettings::firstRunThenClose()
{
    ConfigHome home;
    SharedState first;
    RecordingUi ui;
    readSettings(first, ui);
    writeSettings(first);
    home.restart();
    QSettings disk(settingsFilePath(), QSettings::IniFormat);
    QCOMPARE(disk.value("Porta").toString(), QStringLiteral("0"));
    QCOMPARE(disk.value("Password").toString(), QStringLiteral("pelko"));

    SharedState second;
    readSettings(second, ui);
    QCOMPARE(second.userPassword, QStringLiteral("pelko"));
    QCOMPARE(ui.shown, QStringList{noKeyMessage}); // the first run's only
}

void TestSettings::roundTrip_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("password");
    QTest::newRow("plain") << 7 << "pelko";
    QTest::newRow("blanks") << 16 << "  pel ko ";
    QTest::newRow("INI characters") << INT32_MAX << "a=b;c#d,e\"f\\g[h]";
    QTest::newRow("at sign") << -1 << "@ByteArray(x)";
    QTest::newRow("accents, outside the BMP") << 1 << QString::fromUtf8("ção \xf0\x9d\x84\x9e");
    QTest::newRow("255 characters") << 2 << QString(255, QLatin1Char('x'));
}

void TestSettings::roundTrip()
{
    QFETCH(int, port);
    QFETCH(QString, password);
    ConfigHome home;
    SharedState closing;
    closing.portNumber = port;
    closing.userPassword = password;
    writeSettings(closing);

    home.restart();
    SharedState next;
    RecordingUi ui;
    readSettings(next, ui);
    QCOMPARE(next.userPassword, password);
    QCOMPARE(int(next.portNumber), port);
    QVERIFY(ui.shown.isEmpty());
}

void TestSettings::writeKeepsPortasGroup()
{
    ConfigHome home;
    home.write("Porta=1\nPassword=x\n\n[Portas]\nCOM1=/dev/ttyUSB0\nCOM12=/dev/serial/by-id/usb-a b\n");
    SharedState state;
    state.portNumber = 12;
    state.userPassword = "nova";
    writeSettings(state);

    home.restart();
    QSettings disk(settingsFilePath(), QSettings::IniFormat);
    QCOMPARE(disk.value("Porta").toString(), QStringLiteral("12"));
    disk.beginGroup("Portas");
    QCOMPARE(disk.childKeys(), (QStringList{"COM1", "COM12"}));
    QCOMPARE(disk.value("COM1").toString(), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(disk.value("COM12").toString(), QStringLiteral("/dev/serial/by-id/usb-a b"));
}

void TestSettings::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<QString>("reasonPart");
    QTest::newRow("file is not valid INI") << Obstacle::MalformedFile << "not a valid INI file";
    QTest::newRow("folder where the file belongs") << Obstacle::FolderInPlaceOfFile << "cannot be read";
    QTest::newRow("file where the folder belongs") << Obstacle::FileInPlaceOfFolder << "cannot be created";
    QTest::newRow("disk full, old file large") << Obstacle::DiskFullOnCopy << "Failed to set data for 'Porta'";
    // QSettings alone would rename a truncated file over the real one here.
    QTest::newRow("disk full, new value large") << Obstacle::DiskFullOnNewValue << "Failed to set data for 'Password'";
}

void TestSettings::failedWriteKeepsOldFile()
{
    QFETCH(Obstacle, obstacle);
    ConfigHome home;
    const int limit = 512;
    const bool diskFull = obstacle == Obstacle::DiskFullOnCopy || obstacle == Obstacle::DiskFullOnNewValue;
    // Past the limit, so that the first write fails; or short, so that only
    // the long new password goes past it. Written as QSettings writes it, so
    // that rewriting the unchanged "Porta" leaves the same bytes.
    const QByteArray oldPassword(obstacle == Obstacle::DiskFullOnCopy ? 600 : 5, 's');
    QByteArray before = "[General]\nPassword=" + oldPassword + "\nPorta=5\n\n[Portas]\nCOM3=/dev/ttyUSB0\n";
    if (obstacle == Obstacle::MalformedFile)
        before = "Porta=3\nnot a setting\n";
    if (obstacle == Obstacle::FolderInPlaceOfFile)
        QVERIFY(QDir().mkpath(settingsFilePath()));
    else if (obstacle == Obstacle::FileInPlaceOfFolder)
        QVERIFY(QFile(home.folder()).open(QIODevice::WriteOnly));
    else
        home.write(before);

    SharedState state;
    state.portNumber = 5;
    state.userPassword = QString(2 * limit, QLatin1Char('n'));
    QString reason;
    {
        std::unique_ptr<FileSizeLimit> sizeLimit;
        if (diskFull)
            sizeLimit = std::make_unique<FileSizeLimit>(limit);
        try {
            writeSettings(state);
        } catch (const AppError &e) {
            reason = e.message();
        }
    }
    QFETCH(QString, reasonPart);
    QVERIFY2(reason.contains(reasonPart), qPrintable(reason));
    if (obstacle == Obstacle::FolderInPlaceOfFile)
        QVERIFY(QFileInfo(settingsFilePath()).isDir());
    else if (obstacle == Obstacle::FileInPlaceOfFolder)
        QVERIFY(QFileInfo(home.folder()).isFile());
    else
        QCOMPARE(ConfigHome::readFile(settingsFilePath()), before);
    if (diskFull) // no temporary or lock file left beside it
        QCOMPARE(QDir(home.folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"Quorvin.conf"});
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
