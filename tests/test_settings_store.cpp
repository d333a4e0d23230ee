// The settings store itself: the registry-style operations over the INI file,
// what writes leave alone, and what a failed write leaves behind.

#include "core/AppError.h"
#include "core/Registry.h"
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

namespace {

class ConfigHome {
public:
    ConfigHome() { qputenv("XDG_CONFIG_HOME", dir.path().toUtf8()); }
    QString folder() const { return QFileInfo(settingsFilePath()).absolutePath(); }
    void write(const QByteArray &content)
    {
        QDir().mkpath(folder());
        QFile f(settingsFilePath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    QByteArray read() const
    {
        QFile f(settingsFilePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir;
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

enum class Obstacle { MalformedFile, FolderInPlaceOfFile, FileInPlaceOfFolder, DiskFull };

} // namespace

Q_DECLARE_METATYPE(Obstacle)

class TestSettingsStore : public QObject {
    Q_OBJECT
private slots:
    void keyExistsOnlyWithFile();
    void openWithoutCreatingCreatesNothing();
    void openWithCreatingMakesTheKey();
    void otherKeysAreNotKept_data();
    void otherKeysAreNotKept();
    void readsOfMissingValues();
    void writeKeepsOtherGroups();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
};

void TestSettingsStore::keyExistsOnlyWithFile()
{
    ConfigHome home;
    TRegistry reg;
    QVERIFY(!reg.KeyExists(settingsKey));
    home.write("");
    QVERIFY(reg.KeyExists(settingsKey));
}

void TestSettingsStore::openWithoutCreatingCreatesNothing()
{
    ConfigHome home;
    TRegistry reg;
    QVERIFY(!reg.OpenKey(settingsKey, false));
    QVERIFY(!reg.LastError().isEmpty());
    QVERIFY(!QFileInfo::exists(home.folder()));
    QVERIFY_THROWS_EXCEPTION(AppError, reg.WriteInteger("Porta", 1));
    QVERIFY(!QFileInfo::exists(settingsFilePath()));
}

void TestSettingsStore::openWithCreatingMakesTheKey()
{
    ConfigHome home;
    TRegistry reg;
    QVERIFY(reg.OpenKey(settingsKey, true));
    QVERIFY(reg.KeyExists(settingsKey));
    QVERIFY(!reg.ValueExists("Porta"));
    reg.WriteInteger("Porta", 4);
    reg.WriteString("Password", "abc");
    QVERIFY(reg.ValueExists("Porta"));
    QCOMPARE(reg.ReadInteger("Porta"), 4);
    QCOMPARE(reg.ReadString("Password"), QStringLiteral("abc"));
    // A text that is not a decimal number is no integer.
    QVERIFY_THROWS_EXCEPTION(AppError, reg.ReadInteger("Password"));
}

void TestSettingsStore::otherKeysAreNotKept_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("kept");
    QTest::newRow("the key") << "Tavenor\\Quorvin" << true;
    QTest::newRow("other case") << "TAVENOR\\quorvin" << true;
    QTest::newRow("leading backslash") << "\\Tavenor\\Quorvin" << true;
    QTest::newRow("under Software") << "Software\\Tavenor\\Quorvin" << false;
    QTest::newRow("parent") << "Tavenor" << false;
    QTest::newRow("slash") << "Tavenor/Quorvin" << false;
}

void TestSettingsStore::otherKeysAreNotKept()
{
    QFETCH(QString, key);
    QFETCH(bool, kept);
    ConfigHome home;
    home.write("Porta=1\n");
    TRegistry reg;
    QCOMPARE(reg.KeyExists(key), kept);
    QCOMPARE(reg.OpenKey(key, true), kept);
    QCOMPARE(QDir(home.folder()).entryList(QDir::Files), QStringList{"Quorvin.conf"});
}

void TestSettingsStore::readsOfMissingValues()
{
    ConfigHome home;
    home.write("Other=1\n");
    TRegistry reg;
    QVERIFY(reg.OpenKey(settingsKey, false));
    QVERIFY(!reg.ValueExists("Porta"));
    QCOMPARE(reg.ReadString("Password"), QString());
    QVERIFY_THROWS_EXCEPTION(AppError, reg.ReadInteger("Porta"));
}

void TestSettingsStore::writeKeepsOtherGroups()
{
    ConfigHome home;
    home.write("Porta=1\nPassword=x\n\n[Portas]\nCOM1=/dev/ttyUSB0\nCOM12=/dev/serial/by-id/usb-a b\n");
    SharedState state;
    state.portNumber = 12;
    state.userPassword = "nova";
    writeSettings(state);

    // Read through a copy: a new path makes QSettings go to the disk.
    QTemporaryDir other;
    const QString copy = other.filePath("copy.conf");
    QVERIFY(QFile::copy(settingsFilePath(), copy));
    QSettings disk(copy, QSettings::IniFormat);
    QCOMPARE(disk.status(), QSettings::NoError);
    QCOMPARE(disk.value("Porta").toString(), QStringLiteral("12"));
    QCOMPARE(disk.value("Password").toString(), QStringLiteral("nova"));
    disk.beginGroup("Portas");
    QCOMPARE(disk.childKeys(), (QStringList{"COM1", "COM12"}));
    QCOMPARE(disk.value("COM1").toString(), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(disk.value("COM12").toString(), QStringLiteral("/dev/serial/by-id/usb-a b"));
}

void TestSettingsStore::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<QString>("reasonPart");
    QTest::newRow("file is not valid INI") << Obstacle::MalformedFile << "not a valid INI file";
    QTest::newRow("folder where the file belongs") << Obstacle::FolderInPlaceOfFile << "cannot be read";
    QTest::newRow("file where the folder belongs") << Obstacle::FileInPlaceOfFolder << "cannot be created";
    QTest::newRow("disk fills up") << Obstacle::DiskFull << "Failed to set data for 'Porta'";
}

void TestSettingsStore::failedWriteKeepsOldFile()
{
    QFETCH(Obstacle, obstacle);
    QFETCH(QString, reasonPart);
    ConfigHome home;
    // Larger than the file size limit below, so that the very first write fails.
    const QByteArray valid("Porta=3\nPassword=" + QByteArray(600, 's') + "\n\n[Portas]\nCOM3=/dev/ttyUSB0\n");
    const QByteArray malformed("Porta=3\nnot a setting\n[Portas]\nCOM3=/dev/ttyUSB0\n");
    switch (obstacle) {
    case Obstacle::MalformedFile: home.write(malformed); break;
    case Obstacle::FolderInPlaceOfFile: QVERIFY(QDir().mkpath(settingsFilePath())); break;
    case Obstacle::FileInPlaceOfFolder: {
        QFile blocker(home.folder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        break;
    }
    case Obstacle::DiskFull: home.write(valid); break;
    }

    SharedState state;
    state.portNumber = 5;
    state.userPassword = "nova";
    QString reason;
    {
        std::unique_ptr<FileSizeLimit> limit;
        if (obstacle == Obstacle::DiskFull)
            limit = std::make_unique<FileSizeLimit>(512);
        try {
            writeSettings(state);
        } catch (const AppError &e) {
            reason = e.message();
        }
    }
    QVERIFY2(reason.contains(reasonPart), qPrintable(reason));

    switch (obstacle) {
    case Obstacle::MalformedFile: QCOMPARE(home.read(), malformed); break;
    case Obstacle::FolderInPlaceOfFile: QVERIFY(QFileInfo(settingsFilePath()).isDir()); break;
    case Obstacle::FileInPlaceOfFolder: QVERIFY(QFileInfo(home.folder()).isFile()); break;
    case Obstacle::DiskFull:
        QCOMPARE(home.read(), valid);
        // No temporary or lock file left next to it.
        QCOMPARE(QDir(home.folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"Quorvin.conf"});
        break;
    }
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settings_store.moc"
