#include "forms/Calibra.h"

#include "control/CalibrationConfirm.h"
#include "forms/Forms.h"
#include "forms/Guarded.h"
#include "forms/InputBox.h"
#include "forms/Notice.h"
#include "link/Commands.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString initialFieldText = QStringLiteral("0");

} // namespace

TForm2::TForm2(CommandQueue &line, QWidget *mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::WindowStaysOnTopHint)
    , line(line)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Calibração"));

    PageControl1 = new QTabWidget(this);
    TabSheet1 = buildPage(QStringLiteral("WET"), Edit1, Edit2, BitBtn3, BitBtn1, BitBtn2);
    TabSheet2 = buildPage(QStringLiteral("DRY"), Edit3, Edit4, BitBtn4, BitBtn5, BitBtn6);
    TabSheet3 = buildPage(QStringLiteral("GLO"), Edit5, Edit6, BitBtn7, BitBtn8, BitBtn9);
    PageControl1->setCurrentWidget(TabSheet3);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PageControl1);
    resize(sizeHint().expandedTo(QSize(309, 166)));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    lifecycle.open(this, Form2, calibrationSlot(), mainWindow);
    show();
}

TForm2::~TForm2() = default;

QWidget *TForm2::buildPage(const QString &caption, QLineEdit *&reference, QLineEdit *&reading, QPushButton *&read,
                           QPushButton *&adjust, QPushButton *&zero)
{
    auto *sheet = new QWidget;
    reference = new QLineEdit(initialFieldText, sheet);
    reading = new QLineEdit(initialFieldText, sheet);
    reading->setReadOnly(true);
    read = new QPushButton(QStringLiteral("LER"), sheet);
    adjust = new QPushButton(QStringLiteral("Ajustar OFFSET"), sheet);
    zero = new QPushButton(QStringLiteral("Zerar OFFSET"), sheet);

    // The unit captions read "°C" whatever unit the meter uses.
    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Entre a temperatura de referência:"), sheet), 0, 0);
    grid->addWidget(reference, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("°C"), sheet), 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Leitura atual:"), sheet), 1, 0);
    grid->addWidget(reading, 1, 1);
    grid->addWidget(read, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("°C"), sheet), 1, 3);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(adjust);
    buttons->addWidget(zero);
    auto *layout = new QVBoxLayout(sheet);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(read, &QPushButton::clicked, this, guarded(this, [this] { BitBtn3Click(); }));
    connect(adjust, &QPushButton::clicked, this, guarded(this, [this] { BitBtn1Click(); }));
    connect(zero, &QPushButton::clicked, this, guarded(this, [this] { BitBtn2Click(); }));
    PageControl1->addTab(sheet, caption);
    return sheet;
}

bool TForm2::calibrationDialogVisible()
{
    return isVisible();
}

void TForm2::setCalibrationReading(int editNumber, const QString &text)
{
    switch (editNumber) {
    case 2: Edit2->setText(text); break;
    case 4: Edit4->setText(text); break;
    case 6: Edit6->setText(text); break;
    default: break;
    }
}

ConfigCommand::Channel TForm2::shownChannel() const
{
    const QWidget *shown = PageControl1->currentWidget();
    if (shown == TabSheet1)
        return ConfigCommand::Channel::Wet;
    if (shown == TabSheet2)
        return ConfigCommand::Channel::Dry;
    return ConfigCommand::Channel::Globe;
}

TForm2::Page TForm2::shownPage() const
{
    switch (shownChannel()) {
    case ConfigCommand::Channel::Wet: return {Edit1, Edit2};
    case ConfigCommand::Channel::Dry: return {Edit3, Edit4};
    case ConfigCommand::Channel::Globe: break;
    }
    return {Edit5, Edit6};
}

void TForm2::BitBtn3Click()
{
    line.sendWhenFree(Command::liveValues());
}

void TForm2::BitBtn1Click()
{
    const Page page = shownPage();
    // Untouched since the dialog opened: the operator typed no reference.
    const bool unchanged = !page.reference->isModified() && page.reference->text() == initialFieldText;
    InputBoxPrompt operatorSide(this);
    // A field that is not a number throws before anything is asked or sent.
    const std::optional<QByteArray> command =
        confirmAdjustOffset(shownChannel(), {page.reference->text(), unchanged}, page.reading->text(), operatorSide);
    if (!command)
        return;
    line.sendWhenFree(*command, confirmation());
}

void TForm2::BitBtn2Click()
{
    InputBoxPrompt operatorSide(this);
    if (!confirmZeroOffset(shownChannel(), operatorSide))
        return;
    line.sendWhenFree(ConfigCommand::zeroOffset(shownChannel()), confirmation());
}

CommandQueue::Written TForm2::confirmation()
{
    return tellWhenWritten(QStringLiteral("Parâmetro calibrado."), noticeIn(this));
}

void TForm2::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void TForm2::FormClose()
{
    lifecycle.close();
}
