// Reading the settings at start-up and writing them at close, across
// restarts, with the INI file as the only store.

#include "core/Settings.h"
#include "core/SettingsLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <vector>

namespace {

struct RecordingUi : SettingsUi {
    QStringList plain, errors;
    void plainMessage(const QString &text) override { plain << text; }
    void errorReport(const QString &text) override { errors << text; }
};

// A settings folder of the test's own. restart() moves the current file to a
// fresh folder, so the next read comes from the disk and not from what this
// process still holds in memory for the old path, as it would in a new run.
class ConfigHome {
public:
    ConfigHome() { restart(); }
    void restart()
    {
        const QString previous = dirs.empty() ? QString() : settingsFilePath();
        dirs.push_back(std::make_unique<QTemporaryDir>());
        qputenv("XDG_CONFIG_HOME", dirs.back()->path().toUtf8());
        if (!previous.isEmpty() && QFileInfo(previous).isFile()) {
            QDir().mkpath(QFileInfo(settingsFilePath()).absolutePath());
            QFile::copy(previous, settingsFilePath());
        }
    }
    void write(const QByteArray &content)
    {
        QDir().mkpath(QFileInfo(settingsFilePath()).absolutePath());
        QFile f(settingsFilePath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }

private:
    std::vector<std::unique_ptr<QTemporaryDir>> dirs;
};

const QString invalidPorta = QStringLiteral("Invalid data type for 'Porta'");
const QString invalidPassword = QStringLiteral("Invalid data type for 'Password'");

} // namespace

class TestSettingsStartup : public QObject {
    Q_OBJECT
private slots:
    void readsStore_data();
    void readsStore();
    void unreadableStoreCountsAsMissingKey();
    void firstRunThenClose();
    void passwordRoundTrip_data();
    void passwordRoundTrip();
    void portRoundTrip_data();
    void portRoundTrip();
};

void TestSettingsStartup::readsStore_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QStringList>("plain");
    QTest::addColumn<QStringList>("errors");

    const QStringList none;
    const QStringList noKey{noKeyMessage};
    const QStringList noPort{noPortMessage};

    QTest::newRow("no file") << false << QByteArray() << 0 << "pelko" << noKey << none;
    QTest::newRow("both values") << true << QByteArray("Porta=3\nPassword=segredo\n") << 3 << "segredo" << none << none;
    QTest::newRow("General section") << true << QByteArray("[General]\nPorta=7\nPassword=pelko\n") << 7 << "pelko" << none << none;
    QTest::newRow("CRLF lines") << true << QByteArray("Porta=4\r\nPassword=abc\r\n") << 4 << "abc" << none << none;
    QTest::newRow("UTF-8 BOM") << true << QByteArray("\xef\xbb\xbfPorta=2\nPassword=abc\n") << 2 << "abc" << none << none;
    QTest::newRow("empty file: key, no Porta") << true << QByteArray() << 0 << "pelko" << noPort << none;
    QTest::newRow("no Porta") << true << QByteArray("Password=x\n") << 0 << "x" << noPort << none;
    QTest::newRow("no Password") << true << QByteArray("Porta=2\n") << 2 << "pelko" << none << none;
    QTest::newRow("empty Password") << true << QByteArray("Porta=2\nPassword=\n") << 2 << "pelko" << none << none;
    QTest::newRow("quoted Password kept exactly") << true << QByteArray("Porta=1\nPassword=\" pel ko\"\n") << 1 << " pel ko" << none << none;
    QTest::newRow("UTF-8 Password") << true << QByteArray("Porta=1\nPassword=senh\xc3\xa1\n") << 1 << QString::fromUtf8("senh\xc3\xa1") << none << none;
    QTest::newRow("Portas group is not a value") << true << QByteArray("Porta=2\n[Portas]\nCOM2=/dev/ttyUSB0\n") << 2 << "pelko" << none << none;
    QTest::newRow("Porta text") << true << QByteArray("Porta=abc\nPassword=x\n") << 0 << "x" << none << QStringList{invalidPorta};
    QTest::newRow("Porta empty") << true << QByteArray("Porta=\nPassword=x\n") << 0 << "x" << none << QStringList{invalidPorta};
    QTest::newRow("Porta list") << true << QByteArray("Porta=1,2\n") << 0 << "pelko" << none << QStringList{invalidPorta};
    QTest::newRow("Porta beyond 32 bits") << true << QByteArray("Porta=4294967296\n") << 0 << "pelko" << none << QStringList{invalidPorta};
    QTest::newRow("Porta fraction") << true << QByteArray("Porta=2.5\n") << 0 << "pelko" << none << QStringList{invalidPorta};
    QTest::newRow("Password list") << true << QByteArray("Porta=1\nPassword=a,b\n") << 1 << "pelko" << none << QStringList{invalidPassword};
    QTest::newRow("Password byte array") << true << QByteArray("Porta=1\nPassword=@ByteArray(x)\n") << 1 << "pelko" << none << QStringList{invalidPassword};
    QTest::newRow("both wrong") << true << QByteArray("Porta=x\nPassword=a,b\n") << 0 << "pelko" << none << QStringList{invalidPorta, invalidPassword};
    // A file QSettings would half understand is not taken at its word: a
    // Latin-1 "senhá" would otherwise come back as "senh".
    QTest::newRow("Latin-1 text") << true << QByteArray("Porta=1\nPassword=senh\xe1\n") << 0 << "pelko" << noKey << none;
    QTest::newRow("binary") << true << QByteArray("\x00\x01\xff\xfe=\x80\n", 7) << 0 << "pelko" << noKey << none;
    QTest::newRow("line without =") << true << QByteArray("Porta=3\njunk\n") << 0 << "pelko" << noKey << none;
    QTest::newRow("unclosed group") << true << QByteArray("Porta=3\n[Portas\nCOM1=/dev/ttyS0\n") << 0 << "pelko" << noKey << none;
}

void TestSettingsStartup::readsStore()
{
    QFETCH(bool, fileExists);
    QFETCH(QByteArray, content);
    ConfigHome home;
    if (fileExists)
        home.write(content);
    const QByteArray before = fileExists ? content : QByteArray();

    SharedState state;
    state.portNumber = 99; // whatever was there, the store decides
    RecordingUi ui;
    readSettings(state, ui);

    QTEST(int(state.portNumber), "port");
    QTEST(state.userPassword, "password");
    QTEST(ui.plain, "plain");
    QTEST(ui.errors, "errors");
    // Start-up writes nothing.
    QCOMPARE(QFileInfo::exists(settingsFilePath()), fileExists);
    if (fileExists) {
        QFile f(settingsFilePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }
}

void TestSettingsStartup::unreadableStoreCountsAsMissingKey()
{
    // Something that cannot be opened as a file where the file belongs; a file
    // without read permission is the same case for a user who is not root.
    ConfigHome home;
    QVERIFY(QDir().mkpath(settingsFilePath()));
    SharedState state;
    RecordingUi ui;
    readSettings(state, ui);
    QCOMPARE(state.portNumber, 0);
    QCOMPARE(state.userPassword, QStringLiteral("pelko"));
    QCOMPARE(ui.plain, QStringList{noKeyMessage});
    QVERIFY(ui.errors.isEmpty());
}

void TestSettingsStartup::firstRunThenClose()
{
    ConfigHome home;
    SharedState first;
    RecordingUi ui1;
    readSettings(first, ui1);
    QCOMPARE(ui1.plain, QStringList{noKeyMessage});
    writeSettings(first);
    QVERIFY(QFileInfo(settingsFilePath()).isFile());

    home.restart();
    QSettings raw(settingsFilePath(), QSettings::IniFormat);
    QCOMPARE(raw.value("Porta").toString(), QStringLiteral("0"));
    QCOMPARE(raw.value("Password").toString(), QStringLiteral("pelko"));

    SharedState second;
    second.portNumber = 5;
    RecordingUi ui2;
    readSettings(second, ui2);
    QCOMPARE(second.portNumber, 0);
    QCOMPARE(second.userPassword, QStringLiteral("pelko"));
    QVERIFY(ui2.plain.isEmpty());
    QVERIFY(ui2.errors.isEmpty());
}

void TestSettingsStartup::passwordRoundTrip_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("plain") << "pelko";
    QTest::newRow("inner blank") << "pel ko";
    QTest::newRow("leading blanks") << "  pelko";
    QTest::newRow("trailing blank") << "pelko ";
    QTest::newRow("only blanks") << "   ";
    QTest::newRow("equals") << "a=b";
    QTest::newRow("semicolon") << "a;b";
    QTest::newRow("hash") << "#ab";
    QTest::newRow("comma") << "a,b";
    QTest::newRow("quotes") << "\"ab\"";
    QTest::newRow("backslash") << "a\\b\\";
    QTest::newRow("brackets") << "[General]";
    QTest::newRow("at sign") << "@ByteArray(x)";
    QTest::newRow("tab") << "a\tb";
    QTest::newRow("accents") << QString::fromUtf8("senh\xc3\xa1 \xc3\xa7\xc3\xa3o");
    QTest::newRow("outside the BMP") << QString::fromUtf8("\xf0\x9d\x84\x9e");
    QTest::newRow("255 characters") << QString(255, QLatin1Char('x'));
}

void TestSettingsStartup::passwordRoundTrip()
{
    QFETCH(QString, password);
    ConfigHome home;
    SharedState closing;
    closing.portNumber = 2;
    closing.userPassword = password;
    writeSettings(closing);

    home.restart();
    SharedState next;
    RecordingUi ui;
    readSettings(next, ui);
    QCOMPARE(next.userPassword, password);
    QCOMPARE(next.portNumber, 2);
    QVERIFY(ui.plain.isEmpty());
    QVERIFY(ui.errors.isEmpty());
}

void TestSettingsStartup::portRoundTrip_data()
{
    QTest::addColumn<int>("port");
    QTest::newRow("0") << 0;
    QTest::newRow("7") << 7;
    QTest::newRow("16") << 16;
    QTest::newRow("int max") << int(INT32_MAX);
    QTest::newRow("negative") << -1;
}

void TestSettingsStartup::portRoundTrip()
{
    QFETCH(int, port);
    ConfigHome home;
    home.write("Porta=3\nPassword=abc\n");
    SharedState state;
    RecordingUi ui;
    readSettings(state, ui);
    state.portNumber = port; // as the port search would
    writeSettings(state);

    home.restart();
    SharedState next;
    readSettings(next, ui);
    QCOMPARE(int(next.portNumber), port);
    QCOMPARE(next.userPassword, QStringLiteral("abc"));
    QVERIFY(ui.plain.isEmpty());
    QVERIFY(ui.errors.isEmpty());
}

QTEST_GUILESS_MAIN(TestSettingsStartup)
#include "test_settings_startup.moc"
