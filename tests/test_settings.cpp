// The settings across runs, with the INI file as the only store: start-up
// reading, close writing, what writes leave alone, and what a failed write
// leaves behind.

#include "core/AppError.h"
#include "core/Settings.h"
#include "core/SettingsLocation.h"
#include "support/Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
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

enum class Store { None, File, Folder };
enum class Obstacle { FolderInPlaceOfFile, FileInPlaceOfFolder, DiskFullOnCopy, DiskFullOnNewValue };

// Runs writeSettings without root's privileges (root writes into any
// folder), and returns what it threw, or "notice: " + its notice.
QString writeUnprivileged(const SharedState &state)
{
    return runUnprivileged([&state] {
        try {
            return QStringLiteral("notice: ") + writeSettings(state);
        } catch (const AppError &e) {
            return e.message();
        }
    });
}

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
    void unreadableFileMovedAside_data();
    void unreadableFileMovedAside();
    void readOnlyFileLeftAlone();
    void readOnlyFolderSaysSo_data();
    void readOnlyFolderSaysSo();
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
    QTest::newRow("quoted blanks kept") << file << QByteArray("Porta=1\nPassword=\" pel ko\"\n") << 1 << " pel ko"
                                        << none;
    QTest::newRow("UTF-8") << file << QByteArray("Porta=1\nPassword=senh\xc3\xa1\n") << 1
                           << QString::fromUtf8("senh\xc3\xa1") << none;
    QTest::newRow("Portas group") << file << QByteArray("Porta=2\n[Portas]\nCOM2=/dev/ttyUSB0\n") << 2 << "pelko"
                                  << none;
    QTest::newRow("Porta text") << file << QByteArray("Porta=abc\nPassword=x\n") << 0 << "x" << QStringList{badPorta};
    QTest::newRow("Porta list") << file << QByteArray("Porta=1,2\n") << 0 << "pelko" << QStringList{badPorta};
    QTest::newRow("Porta past 32 bits") << file << QByteArray("Porta=4294967296\n") << 0 << "pelko"
                                        << QStringList{badPorta};
    QTest::newRow("Password list") << file << QByteArray("Porta=1\nPassword=a,b\n") << 1 << "pelko"
                                   << QStringList{badPassword};
    QTest::newRow("Password bytes") << file << QByteArray("Porta=1\nPassword=@ByteArray(x)\n") << 1 << "pelko"
                                    << QStringList{badPassword};
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
    QTest::newRow("folder where the file belongs") << Obstacle::FolderInPlaceOfFile << "há uma pasta";
    QTest::newRow("file where the folder belongs")
        << Obstacle::FileInPlaceOfFolder << "não pode ser criada: um arquivo ocupa";
    QTest::newRow("disk full, old file large") << Obstacle::DiskFullOnCopy << "ficou como estava";
    // QSettings alone would rename a truncated file over the real one here.
    QTest::newRow("disk full, new value large") << Obstacle::DiskFullOnNewValue << "Não foi possível gravar 'Password'";
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

void TestSettings::unreadableFileMovedAside_data()
{
    QTest::addColumn<QByteArray>("content");
    QByteArray noise(4096, Qt::Uninitialized);
    quint32 x = 2463534242u; // xorshift: the same bytes every run
    for (char &c : noise) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = char(x);
    }
    QTest::newRow("random bytes") << noise;
    QTest::newRow("Latin-1 text") << QByteArray("Porta=1\nPassword=senh\xe1\n");
    QTest::newRow("a line without =") << QByteArray("Porta=3\nnot a setting\n");
    QTest::newRow("an unclosed group") << QByteArray("Porta=3\n[Portas\n");
}

// The file that every start took for a missing key: at the close it is kept
// under a name that says why and when, a fresh file takes its place, and the
// next start reads that file without a message.
void TestSettings::unreadableFileMovedAside()
{
    QFETCH(QByteArray, content);
    ConfigHome home;
    home.write(content);
    SharedState state;
    RecordingUi ui;
    readSettings(state, ui);
    QCOMPARE(ui.shown, QStringList{noKeyMessage});

    state.portNumber = 2;
    state.userPassword = QStringLiteral("nova");
    const QString notice = writeSettings(state);
    const QStringList kept = QDir(home.folder()).entryList({"Quorvin.conf.ilegivel-*"}, QDir::Files);
    QCOMPARE(kept.size(), 1);
    QVERIFY2(QRegularExpression("^Quorvin\\.conf\\.ilegivel-\\d{8}-\\d{6}$").match(kept[0]).hasMatch(),
             qPrintable(kept[0]));
    const QString keptPath = home.folder() + "/" + kept[0];
    QCOMPARE(ConfigHome::readFile(keptPath), content); // nothing lost
    QVERIFY2(notice.contains(QStringLiteral("estava ilegível")) && notice.contains(keptPath), qPrintable(notice));

    home.restart();
    SharedState next;
    RecordingUi again;
    readSettings(next, again);
    QVERIFY(again.shown.isEmpty());
    QCOMPARE(int(next.portNumber), 2);
    QCOMPARE(next.userPassword, QStringLiteral("nova"));
    QCOMPARE(writeSettings(next), QString()); // recovered: nothing more to say
}

// A file its owner made read-only is not replaced, though the folder would
// allow it; the reason says so, and the file keeps its bytes and its mode.
void TestSettings::readOnlyFileLeftAlone()
{
    ConfigHome home;
    const QByteArray before = "Porta=1\nPassword=velha\n";
    home.write(before);
    QVERIFY(QFile::setPermissions(settingsFilePath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    SharedState state;
    state.userPassword = QStringLiteral("nova");
    QString reason;
    try {
        writeSettings(state);
    } catch (const AppError &e) {
        reason = e.message();
    }
    QVERIFY2(reason.contains(QStringLiteral("somente leitura")) && reason.contains(settingsFilePath()),
             qPrintable(reason));
    QCOMPARE(ConfigHome::readFile(settingsFilePath()), before);
    QCOMPARE(QFile::permissions(settingsFilePath()) & QFile::WriteOwner, QFileDevice::Permissions());
}

void TestSettings::readOnlyFolderSaysSo_data()
{
    QTest::addColumn<QByteArray>("content"); // "-": no file
    QTest::addColumn<QString>("reasonPart");
    QTest::newRow("a readable file") << QByteArray("Porta=1\nPassword=velha\n") << "Não foi possível gravar 'Porta'";
    QTest::newRow("an unreadable file") << QByteArray("Porta=1\n[x\n") << "não pode ser posto de lado";
    QTest::newRow("no file") << QByteArray("-") << "não pode ser criado";
}

// A folder without write permission: the reason names it, in Portuguese, and
// not as a lock held by another program.
void TestSettings::readOnlyFolderSaysSo()
{
    QFETCH(QByteArray, content);
    ConfigHome home;
    QVERIFY(QDir().mkpath(home.folder()));
    if (content != "-")
        home.write(content);
    // The child may reach the folder, not write in it.
    const auto readable =
        QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(QFileInfo(home.folder()).absolutePath(), readable | QFile::WriteOwner));
    QVERIFY(QFile::setPermissions(home.folder(), readable));
    SharedState state;
    state.userPassword = QStringLiteral("nova");
    const QString reason = writeUnprivileged(state);
    QVERIFY(QFile::setPermissions(home.folder(), readable | QFile::WriteOwner));
    QFETCH(QString, reasonPart);
    QVERIFY2(reason.contains(reasonPart), qPrintable(reason));
    QVERIFY2(reason.contains(QStringLiteral("sem permissão de escrita em ") + home.folder()), qPrintable(reason));
    if (content != "-")
        QCOMPARE(ConfigHome::readFile(settingsFilePath()), content);
    QCOMPARE(QDir(home.folder()).entryList(QDir::Files | QDir::Hidden).size(), content == "-" ? 0 : 1);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
