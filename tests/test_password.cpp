// Which entries open which protected command, the gate's dialogue, the
// "Senhas" change, and a change surviving a restart only after a normal close.

#include "control/PasswordGate.h"
#include "core/Settings.h"
#include "core/SettingsLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Answers the prompts from a script and notes every prompt and message.
struct ScriptedPrompt : PasswordPrompt {
    explicit ScriptedPrompt(QStringList answers) : answers(std::move(answers)) {}
    QString ask(const QString &caption, const QString &prompt, bool masked) override
    {
        asked << QStringLiteral("%1|%2|%3").arg(caption, prompt, masked ? "*" : "clear");
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    void showMessage(const QString &text, const QString &caption) override { messages << caption + "|" + text; }
    QStringList answers, asked, messages;
};

struct CountingUi : SettingsUi {
    int shown = 0;
    void plainMessage(const QString &) override { ++shown; }
    void errorReport(const QString &) override { ++shown; }
};

const QString gatePrompt = QStringLiteral("Senha|Digite a senha|*");
const QString newPrompt = QStringLiteral("Troca de Senha|Digite a nova senha|clear");
const QString confirmPrompt = QStringLiteral("Troca de Senha|Confirme a nova senha|clear");
const QString refusedAction = QStringLiteral("Aviso|Ação não permitida");
const QString invalidPassword = QStringLiteral("Aviso|Senha inválida");

} // namespace

Q_DECLARE_METATYPE(Protected)

class TestPassword : public QObject {
    Q_OBJECT
private slots:
    void accepted_data();
    void accepted();
    void gate_data();
    void gate();
    void change_data();
    void change();
    void changeAcrossRestart_data();
    void changeAcrossRestart();
};

void TestPassword::accepted_data()
{
    QTest::addColumn<Protected>("command");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("user");
    QTest::addColumn<bool>("opens");

    const Protected all[] = {Protected::EraseMemory, Protected::ChangePassword, Protected::ZeroOffset,
                             Protected::Calibrate};
    const char *names[] = {"erase", "senhas", "zero offset", "calibrate"};
    for (int i = 0; i < 4; ++i) {
        const bool userOpens = i < 2;
        auto row = [&](const char *what) -> QTestData & { return QTest::addRow("%s: %s", names[i], what); };
        row("maintenance") << all[i] << "k4lt0x"
                           << "pelko" << true;
        row("user") << all[i] << "pelko"
                    << "pelko" << userOpens;
        row("user in upper case") << all[i] << "PELKO"
                                  << "pelko" << false;
        row("one letter in upper case") << all[i] << "pelkO"
                                        << "pelko" << false;
        row("maintenance in upper case") << all[i] << "K4LT0X"
                                         << "pelko" << false;
        row("trailing blank") << all[i] << "pelko "
                              << "pelko" << false;
        row("leading blank") << all[i] << " k4lt0x"
                             << "pelko" << false;
        row("longer") << all[i] << "pelkoo"
                      << "pelko" << false;
        row("accent missing") << all[i] << "senha" << QString::fromUtf8("senh\xc3\xa1") << false;
        row("accent") << all[i] << QString::fromUtf8("senh\xc3\xa1") << QString::fromUtf8("senh\xc3\xa1") << userOpens;
        row("cancel") << all[i] << ""
                      << "pelko" << false;
        // Even with no user password set, Cancel opens nothing.
        row("cancel, empty user password") << all[i] << ""
                                           << "" << false;
    }
}

void TestPassword::accepted()
{
    QFETCH(Protected, command);
    QFETCH(QString, entry);
    QFETCH(QString, user);
    QTEST(passwordAccepted(command, entry, user), "opens");
}

void TestPassword::gate_data()
{
    QTest::addColumn<Protected>("command");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("messages"); // none: the command goes on

    QTest::newRow("erase, user") << Protected::EraseMemory << "pelko" << QStringList();
    QTest::newRow("erase, wrong") << Protected::EraseMemory << "x" << QStringList{refusedAction};
    QTest::newRow("senhas, cancel") << Protected::ChangePassword << "" << QStringList{invalidPassword};
    QTest::newRow("zero offset, user") << Protected::ZeroOffset << "pelko" << QStringList{refusedAction};
    QTest::newRow("calibrate, user") << Protected::Calibrate << "pelko" << QStringList{refusedAction};
    QTest::newRow("calibrate, maintenance") << Protected::Calibrate << "k4lt0x" << QStringList();
}

void TestPassword::gate()
{
    QFETCH(Protected, command);
    QFETCH(QString, entry);
    QFETCH(QStringList, messages);
    ScriptedPrompt prompt({entry});
    QCOMPARE(passwordGate(command, QStringLiteral("pelko"), prompt), messages.isEmpty());
    QCOMPARE(prompt.asked, QStringList{gatePrompt});
    QCOMPARE(prompt.messages, messages);
}

void TestPassword::change_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QStringList>("messages");

    const QStringList all{gatePrompt, newPrompt, confirmPrompt};
    const QStringList gateOnly{gatePrompt};
    const QStringList none;
    QTest::newRow("user password") << QStringList{"pelko", "nova", "nova"} << true << "nova" << all << none;
    QTest::newRow("maintenance password") << QStringList{"k4lt0x", "nova", "nova"} << true << "nova" << all << none;
    QTest::newRow("blanks kept") << QStringList{"pelko", " a b ", " a b "} << true << " a b " << all << none;
    QTest::newRow("wrong password") << QStringList{"Pelko", "nova", "nova"} << false << "pelko" << gateOnly
                                    << QStringList{invalidPassword};
    QTest::newRow("gate cancelled") << QStringList{""} << false << "pelko" << gateOnly << QStringList{invalidPassword};
    QTest::newRow("mismatch") << QStringList{"pelko", "nova", "Nova"} << false << "pelko" << all
                              << QStringList{invalidPassword};
    QTest::newRow("empty new") << QStringList{"pelko", "", ""} << false << "pelko" << all
                               << QStringList{invalidPassword};
    QTest::newRow("confirmation cancelled")
        << QStringList{"pelko", "nova", ""} << false << "pelko" << all << QStringList{invalidPassword};
}

void TestPassword::change()
{
    QFETCH(QStringList, answers);
    SharedState state;
    state.userPassword = "pelko";
    ScriptedPrompt prompt(answers);
    QTEST(changeUserPassword(state, prompt), "changed");
    QTEST(state.userPassword, "password");
    QTEST(prompt.asked, "asked");
    QTEST(prompt.messages, "messages");
}

void TestPassword::changeAcrossRestart_data()
{
    QTest::addColumn<bool>("closedNormally");
    QTest::addColumn<QString>("opensAfterRestart");
    QTest::addColumn<QString>("refusedAfterRestart");
    QTest::newRow("closed normally") << true << "nova"
                                     << "pelko";
    QTest::newRow("not closed") << false << "pelko"
                                << "nova";
}

void TestPassword::changeAcrossRestart()
{
    QFETCH(bool, closedNormally);
    QTemporaryDir firstRun, secondRun;
    qputenv("XDG_CONFIG_HOME", firstRun.path().toUtf8());
    SharedState run1;
    CountingUi ui;
    readSettings(run1, ui);
    writeSettings(run1); // a first normal run leaves Porta=0, Password=pelko

    ScriptedPrompt senhas({"pelko", "nova", "nova"});
    QVERIFY(changeUserPassword(run1, senhas));
    // Accepted at once, the old one no longer.
    QVERIFY(passwordAccepted(Protected::EraseMemory, "nova", run1.userPassword));
    QVERIFY(!passwordAccepted(Protected::EraseMemory, "pelko", run1.userPassword));
    if (closedNormally)
        writeSettings(run1);

    // The next run reads a copy of the file from the disk.
    const QString written = settingsFilePath();
    qputenv("XDG_CONFIG_HOME", secondRun.path().toUtf8());
    QVERIFY(QDir().mkpath(QFileInfo(settingsFilePath()).absolutePath()));
    QVERIFY(QFile::copy(written, settingsFilePath()));
    SharedState run2;
    readSettings(run2, ui);
    QCOMPARE(ui.shown, 1); // only the first run's "no key"
    QFETCH(QString, opensAfterRestart);
    QFETCH(QString, refusedAfterRestart);
    QVERIFY(passwordAccepted(Protected::ChangePassword, opensAfterRestart, run2.userPassword));
    QVERIFY(!passwordAccepted(Protected::ChangePassword, refusedAfterRestart, run2.userPassword));
}

QTEST_GUILESS_MAIN(TestPassword)
#include "test_password.moc"
