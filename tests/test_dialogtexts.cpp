// The standard dialogs speak Portuguese once Qt's translation is in: one
// dialog of each kind as the program opens it, its labels and buttons read
// from the widgets while it waits for the operator, then closed unanswered.

#include "forms/InputBox.h"
#include "forms/QtTranslation.h"
#include "forms/ViewerActions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

struct Seen {
    QStringList texts; // labels and buttons, without their "&"
    QSize size;
};

// Runs open, which shows a modal dialog and returns when it closes; the
// dialog is read and closed from the event loop.
Seen whileModal(const std::function<void()> &open)
{
    Seen seen;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&seen] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        for (const QLabel *l : modal->findChildren<QLabel *>())
            seen.texts << l->text().remove(QLatin1Char('&'));
        for (const QAbstractButton *b : modal->findChildren<QAbstractButton *>())
            seen.texts << b->text().remove(QLatin1Char('&'));
        seen.size = modal->size();
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    });
    poll.start();
    open();
    return seen;
}

} // namespace

class DialogTextsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void initTestCase() { QVERIFY(installQtPortuguese(*qApp)); }

    void portuguese_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("the open dialog") << "open"
                                         << QStringList{"Procurar em:", "Nome do arquivo:", "Abrir", "Cancelar"};
        QTest::newRow("the save dialog") << "save" << QStringList{"Nome do arquivo:", "Salvar", "Cancelar"};
        QTest::newRow("a question's buttons, no by default") << "question" << QStringList{"Sim", "Não"};
        QTest::newRow("the password box's buttons") << "password" << QStringList{"OK", "Cancelar"};
        QTest::newRow("the print dialog") << "print" << QStringList{"Imprimir", "Cancelar"};
    }

    void portuguese()
    {
        QFETCH(QString, dialog);
        QFETCH(QStringList, texts);
        const Seen seen = whileModal([&] {
            if (dialog == "open") {
                QVERIFY(viewerFileSeams().chooseOpenPath(nullptr).isEmpty());
            } else if (dialog == "save") {
                QVERIFY(viewerFileSeams().chooseSavePath(nullptr, dir.filePath("Forno 01-02-2024.tvq")).isEmpty());
            } else if (dialog == "question") {
                InputBoxPrompt prompt(nullptr);
                QVERIFY(!prompt.askYesNo(QStringLiteral("Zerar o offset do globo?")));
            } else if (dialog == "password") {
                QVERIFY(InputBox(nullptr, QStringLiteral("Senha"), QStringLiteral("Digite a senha"), true).isEmpty());
            } else {
                QPrinter printer;
                QPrintDialog print(&printer);
                QCOMPARE(print.exec(), int(QDialog::Rejected));
            }
        });
        for (const QString &text : texts)
            QVERIFY2(seen.texts.contains(text), qPrintable(text + " not in: " + seen.texts.join(" | ")));
        // The open and save dialogs show the file list's columns whole.
        if (dialog == "open" || dialog == "save")
            QVERIFY2(seen.size.width() >= 800, qPrintable(QString::number(seen.size.width())));
    }
};

QTEST_MAIN(DialogTextsTest)
#include "test_dialogtexts.moc"
