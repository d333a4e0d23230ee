#include "forms/TesteTemperatura.h"

#include "control/ProtectedCommands.h"
#include "control/Session.h"
#include "forms/Biblioteca.h"
#include "forms/Calibra.h"
#include "forms/ControlNames.h"
#include "forms/ErrorReport.h"
#include "forms/Forms.h"
#include "forms/Guarded.h"
#include "forms/InputBox.h"
#include "forms/LibraryDownloads.h"
#include "forms/Notice.h"
#include "forms/Taxa.h"
#include "forms/ViewerActions.h"
#include "forms/Visualizar.h"
#include "link/Commands.h"
#include "link/ConfigCommands.h"
#include "widgets/TVrLabel.h"
#include "widgets/TVrProgressBar.h"
#include "widgets/TvrThermoMeter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("Tavenor - Instrumentos de Medição V1.02b");

QLabel *fixedLabel(QWidget *parent, const QString &text, QRect geometry)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

} // namespace

TForm1::TForm1(QWidget *parent, std::shared_ptr<ComPlatform> platform)
    : QMainWindow(parent)
    , state(shared())
    , meter(state, *this, windowSlots(), std::move(platform))
    , libraryDownloads(new LibraryDownloads(this, state, meter.scheduler(), viewerSlot()))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(765, 571);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    setFont(f);

    buildMenu();
    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    PageControl1 = new QTabWidget(central);
    column->addWidget(PageControl1, 1);
    auto *panel2 = new QWidget(central);
    auto *bottom = new QHBoxLayout(panel2);
    bottom->setContentsMargins(14, 2, 14, 2);
    VrProgressBar1 = new TVrProgressBar(panel2);
    VrProgressBar1->setFixedHeight(15);
    bottom->addWidget(VrProgressBar1);
    column->addWidget(panel2);
    buildMeasurementsPage();
    buildTestsPage();
    setCentralWidget(central);
    buildStatusBar();
    nameControls({
        NAMED_CONTROL(PageControl1),
        NAMED_CONTROL(TabSheet1),
        NAMED_CONTROL(TabSheet3),
        NAMED_CONTROL(Panel1),
        NAMED_CONTROL(vrThermoMeter1),
        NAMED_CONTROL(vrThermoMeter2),
        NAMED_CONTROL(vrThermoMeter3),
        NAMED_CONTROL(VrLabel1),
        NAMED_CONTROL(VrLabel2),
        NAMED_CONTROL(VrLabel3),
        NAMED_CONTROL(VrLabel4),
        NAMED_CONTROL(VrLabel5),
        NAMED_CONTROL(VrLabel6),
        NAMED_CONTROL(VrLabel7),
        NAMED_CONTROL(VrLabel8),
        NAMED_CONTROL(VrLabel9),
        NAMED_CONTROL(VrLabel10),
        NAMED_CONTROL(VrProgressBar1),
        NAMED_CONTROL(Label6),
        NAMED_CONTROL(Label7),
        NAMED_CONTROL(Label8),
        NAMED_CONTROL(Label9),
        NAMED_CONTROL(Label10),
        NAMED_CONTROL(Label11),
        NAMED_CONTROL(TreeView1),
        NAMED_CONTROL(Edit2),
        NAMED_CONTROL(ProgressBar1),
        NAMED_CONTROL(CancelarLeitura),
        NAMED_CONTROL(Image2),
        NAMED_CONTROL(Image4),
        NAMED_CONTROL(Arquivo1),
        NAMED_CONTROL(Opes1),
        NAMED_CONTROL(Unidade1),
        NAMED_CONTROL(Comunicao1),
        NAMED_CONTROL(PortaSerial1),
        NAMED_CONTROL(Carregarteste1),
        NAMED_CONTROL(Senhas1),
        NAMED_CONTROL(Sair1),
        NAMED_CONTROL(AjustarRelgio1),
        NAMED_CONTROL(oC1),
        NAMED_CONTROL(oF1),
        NAMED_CONTROL(A1),
        NAMED_CONTROL(LerTestes1),
        NAMED_CONTROL(Apagarmemria1),
        NAMED_CONTROL(ZerarOFFSET1),
        NAMED_CONTROL(AjustarOFFSET1),
        NAMED_CONTROL(Comm11),
        NAMED_CONTROL(Comm21),
        NAMED_CONTROL(Comm31),
        NAMED_CONTROL(Comm41),
        NAMED_CONTROL(Procurar1),
        NAMED_CONTROL(Desconectar1),
    });

    // Every slot runs inside the error boundary (the timers' too: runTimerWork).
    connect(Senhas1, &QAction::triggered, this, guarded(this, [this] { Senhas1Click(); }));
    connect(Sair1, &QAction::triggered, this, guarded(this, [this] { close(); }));
    connect(Apagarmemria1, &QAction::triggered, this, guarded(this, [this] { Apagarmemria1Click(); }));
    connect(ZerarOFFSET1, &QAction::triggered, this, guarded(this, [this] { ZerarOFFSET1Click(); }));
    connect(AjustarRelgio1, &QAction::triggered, this, guarded(this, [this] { AjustarRelgio1Click(); }));
    connect(A1, &QAction::triggered, this, guarded(this, [this] { A1Click(); }));
    connect(AjustarOFFSET1, &QAction::triggered, this, guarded(this, [this] { AjustarOFFSET1Click(); }));
    QAction *const portItems[] = {Comm11, Comm21, Comm31, Comm41};
    for (int k = 1; k <= 4; ++k)
        connect(portItems[k - 1], &QAction::triggered, this, guarded(this, [this, k] { CommClick(k); }));
    connect(Procurar1, &QAction::triggered, this, guarded(this, [this] { Procurar1Click(); }));
    connect(Desconectar1, &QAction::triggered, this, guarded(this, [this] { Desconectar1Click(); }));
    connect(LerTestes1, &QAction::triggered, this, guarded(this, [this] { LerTestes1Click(); }));
    // A double-click anywhere on the tree, or Enter, downloads the selected test.
    TreeView1->viewport()->installEventFilter(this);
    TreeView1->installEventFilter(this);
    connect(CancelarLeitura, &QPushButton::clicked, this, guarded(this, [this] { CancelarLeituraClick(); }));
    connect(Carregarteste1, &QAction::triggered, this, guarded(this, [this] { Carregar1Click(); }));
    connect(oC1, &QAction::triggered, this, guarded(this, [this] { oC1Click(); }));
    connect(oF1, &QAction::triggered, this, guarded(this, [this] { oF1Click(); }));

    // Every control of both pages, so that no focused control keeps a menu
    // shortcut for itself.
    for (QWidget *w : findChildren<QWidget *>())
        if (w->focusPolicy() != Qt::NoFocus)
            w->installEventFilter(this);

    FormCreate();
}

TForm1::~TForm1()
{
    // Its flows hold the session, which goes before the window's children.
    delete libraryDownloads;
    // Destroyed without closing (tests): the dialogs hold this window's port.
    delete Form2.data();
    delete Form4.data();
}

TForm1 *TForm1::createMainWindow()
{
    auto *w = new TForm1;
    w->setAttribute(Qt::WA_DeleteOnClose);
    Form1 = w;
    w->show();
    return w;
}

void TForm1::buildMenu()
{
    QMenuBar *bar = menuBar();

    Arquivo1 = bar->addMenu(QStringLiteral("Arquivo"));
    Carregarteste1 = Arquivo1->addAction(QStringLiteral("Carregar teste"));
    Carregarteste1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    QAction *biblioteca = Arquivo1->addAction(QStringLiteral("Biblioteca"));
    biblioteca->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(biblioteca, &QAction::triggered, this, guarded(this, [this] { LibraryWindow::open(this); }));
    Arquivo1->addSeparator();
    Senhas1 = Arquivo1->addAction(QStringLiteral("Senhas"));
    Senhas1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Arquivo1->addSeparator();
    Sair1 = Arquivo1->addAction(QStringLiteral("Sair"));
    Sair1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));

    Opes1 = bar->addMenu(QStringLiteral("Opções"));
    AjustarRelgio1 = Opes1->addAction(QStringLiteral("Ajustar Relógio"));
    AjustarRelgio1->setShortcut(QKeySequence(Qt::Key_F3));
    Unidade1 = Opes1->addMenu(QStringLiteral("Unidade"));
    oC1 = Unidade1->addAction(QStringLiteral("°C"));
    oC1->setCheckable(true);
    oC1->setChecked(true);
    oF1 = Unidade1->addAction(QStringLiteral("°F"));
    oF1->setCheckable(true);
    A1 = Opes1->addAction(QStringLiteral("Taxa de amostragem"));
    A1->setShortcut(QKeySequence(Qt::Key_F4));
    Opes1->addSeparator();
    LerTestes1 = Opes1->addAction(QStringLiteral("Ler Testes"));
    LerTestes1->setShortcut(QKeySequence(Qt::Key_F5));
    Opes1->addSeparator();
    Apagarmemria1 = Opes1->addAction(QStringLiteral("Apagar memória"));
    Apagarmemria1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    Opes1->addSeparator();
    ZerarOFFSET1 = Opes1->addAction(QStringLiteral("Zerar OFFSET"));
    ZerarOFFSET1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    AjustarOFFSET1 = Opes1->addAction(QStringLiteral("Calibrar"));

    Comunicao1 = bar->addMenu(QStringLiteral("Comunicação"));
    PortaSerial1 = Comunicao1->addMenu(QStringLiteral("Porta Serial"));
    QAction **ports[] = {&Comm11, &Comm21, &Comm31, &Comm41};
    for (int k = 0; k < 4; ++k) {
        *ports[k] = PortaSerial1->addAction(QStringLiteral("Comm%1").arg(k + 1));
        (*ports[k])->setCheckable(true);
    }
    Comunicao1->addSeparator();
    Procurar1 = Comunicao1->addAction(QStringLiteral("Procurar"));
    Procurar1->setShortcut(QKeySequence(Qt::Key_F10));
    Comunicao1->addSeparator();
    Desconectar1 = Comunicao1->addAction(QStringLiteral("Desconectar"));
}

void TForm1::buildMeasurementsPage()
{
    TabSheet1 = new QWidget;
    PageControl1->addTab(TabSheet1, QStringLiteral("Medições"));
    auto *layout = new QVBoxLayout(TabSheet1);
    layout->setContentsMargins(0, 0, 0, 0);
    Panel1 = new QWidget(TabSheet1);
    Panel1->setAutoFillBackground(true);
    QPalette pal = Panel1->palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    Panel1->setPalette(pal);
    layout->addWidget(Panel1);

    QFont valueFont(QStringLiteral("Arial"));
    valueFont.setPixelSize(19);
    QFont captionFont(QStringLiteral("Arial"));
    captionFont.setPixelSize(16);
    const QColor valueColor(192, 220, 192);
    const QColor captionColor = palette().color(QPalette::Button);
    auto label = [&](const QString &text, QRect geometry, bool value) {
        auto *l = new TVrLabel(text, Panel1);
        l->setGeometry(geometry);
        l->setFont(value ? valueFont : captionFont);
        l->setColor(value ? valueColor : captionColor);
        return l;
    };

    struct GaugeLook {
        QRect geometry;
        QColor before, after;
    };
    const GaugeLook looks[3] = {
        {QRect(144, 72, 97, 245), QColor(0, 0, 255), QColor(0, 0, 128)},  // wet: blue on navy
        {QRect(253, 72, 100, 245), QColor(0, 255, 0), QColor(0, 128, 0)}, // dry: lime on green
        {QRect(365, 72, 100, 245), QColor(255, 0, 0), QColor(128, 0, 0)}, // globe: red on maroon
    };
    TvrThermoMeter **gauges[] = {&vrThermoMeter1, &vrThermoMeter2, &vrThermoMeter3};
    TVrLabel **captions[] = {&VrLabel7, &VrLabel8, &VrLabel9};
    TVrLabel **values[] = {&VrLabel1, &VrLabel2, &VrLabel3};
    const char *names[] = {"UMIDO", "SECO", "GLOBO"};
    for (int i = 0; i < 3; ++i) {
        const QRect g = looks[i].geometry;
        *captions[i] = label(QString::fromLatin1(names[i]), QRect(g.x(), 40, g.width(), 26), false);
        auto *t = new TvrThermoMeter(Panel1);
        t->setGeometry(g);
        t->setColorBefore(looks[i].before);
        t->setColorAfter(looks[i].after);
        *gauges[i] = t;
        *values[i] = label(QString(), QRect(g.x(), 326, g.width(), 32), true);
    }
    VrLabel4 = label(QStringLiteral("IBUTGi"), QRect(490, 72, 120, 26), false);
    VrLabel6 = label(QString(), QRect(490, 102, 120, 34), true);
    VrLabel5 = label(QStringLiteral("IBUTGe"), QRect(620, 72, 120, 26), false);
    VrLabel10 = label(QString(), QRect(620, 102, 120, 34), true);

    auto *box = new QGroupBox(QStringLiteral("Max/Min"), Panel1);
    box->setGeometry(490, 190, 250, 190);
    const char *rows[] = {"UMIDO", "SECO", "GLOBO"};
    QLabel **maxMin[] = {&Label6, &Label7, &Label8, &Label9, &Label10, &Label11};
    for (int r = 0; r < 3; ++r) {
        const int y = 28 + r * 52;
        fixedLabel(box, QString::fromLatin1(rows[r]), QRect(12, y + 8, 70, 16));
        *maxMin[2 * r] = fixedLabel(box, QString(), QRect(96, y, 140, 16));
        *maxMin[2 * r + 1] = fixedLabel(box, QString(), QRect(96, y + 18, 140, 16));
    }

    Image2 = fixedLabel(Panel1, QStringLiteral("Tavenor"), QRect(8, 400, 120, 40));
    Image4 = fixedLabel(Panel1, QStringLiteral("Tavenor"), QRect(8, 400, 120, 40));
    QFont logo(QStringLiteral("Arial"));
    logo.setPixelSize(22);
    logo.setBold(true);
    for (QLabel *l : {Image2, Image4}) {
        l->setFont(logo);
        l->setStyleSheet(QStringLiteral("color: #800000"));
    }
}

void TForm1::buildTestsPage()
{
    TabSheet3 = new QWidget;
    PageControl1->addTab(TabSheet3, QStringLiteral("Testes"));
    auto *row = new QHBoxLayout(TabSheet3);
    TreeView1 = new QTreeWidget(TabSheet3);
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    row->addWidget(TreeView1, 1);

    auto *memory = new QGroupBox(QStringLiteral("Memória"), TabSheet3);
    memory->setFixedWidth(150);
    auto *col = new QVBoxLayout(memory);
    col->addWidget(new QLabel(QStringLiteral("Realizados"), memory));
    Edit2 = new QLineEdit(memory);
    Edit2->setReadOnly(true);
    col->addWidget(Edit2);
    ProgressBar1 = new QProgressBar(memory);
    ProgressBar1->setOrientation(Qt::Vertical);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setToolTip(QStringLiteral("Memória disponível"));
    ProgressBar1->setRange(0, 100);
    col->addWidget(ProgressBar1, 1, Qt::AlignHCenter);
    // Stops a test-list read with what it has read; enabled while one runs.
    CancelarLeitura = new QPushButton(QStringLiteral("Cancelar"), memory);
    CancelarLeitura->setShortcut(QKeySequence(Qt::Key_Escape));
    CancelarLeitura->setToolTip(QStringLiteral("Interrompe a leitura da lista de testes (Esc)"));
    CancelarLeitura->setEnabled(false);
    col->addWidget(CancelarLeitura);
    col->addWidget(libraryDownloads->makeDownloadAllButton(memory));
    col->addWidget(libraryDownloads->makeContinueButton(memory));
    row->addWidget(memory);
}

void TForm1::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setSizeGripEnabled(false);
    const int widths[] = {80, 100, 0};
    for (int i = 0; i < 3; ++i) {
        auto *panel = new QLabel(bar);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setAlignment(i < 2 ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter));
        if (widths[i])
            panel->setFixedWidth(widths[i]);
        bar->addWidget(panel, widths[i] ? 0 : 1);
        statusPanels[i] = panel;
    }
}

void TForm1::FormCreate()
{
    for (TvrThermoMeter *t : {vrThermoMeter1, vrThermoMeter2, vrThermoMeter3})
        t->setColor(QColor(0xAA, 0xAA, 0xAA));
    ProgressBar1->setValue(0);
    VrProgressBar1->setPosition(0);
    for (QLabel *label : {Label6, Label7, Label8, Label9, Label10, Label11})
        label->clear();
    TreeView1->clear();
    meter.start(); // and Timer1 with it
    Image2->hide();
    Image4->show();
    setWindowTitle(kCaption);
}

void TForm1::Timer1Timer()
{
    meter.tick();
}

void TForm1::Timer2Timer()
{
    meter.searchStep();
}

void TForm1::Procurar1Click()
{
    meter.ports().Procurar1Click();
}

void TForm1::Desconectar1Click()
{
    meter.ports().Desconectar1Click();
}

void TForm1::CommClick(int k)
{
    meter.ports().CommClick(k);
}

void TForm1::ComPort1AfterOpen()
{
    meter.ports().ComPort1AfterOpen();
}

void TForm1::ComPort1AfterClose()
{
    meter.ports().ComPort1AfterClose();
}

void TForm1::Senhas1Click()
{
    InputBoxPrompt prompt(this);
    // Written at once, not only at the close: a run ended by a crash or a
    // power cut keeps the new password.
    if (changeUserPassword(state, prompt))
        settingsSaver.save(state);
}

void TForm1::LerTestes1Click()
{
    meter.scheduler().startTestListRead();
}

void TForm1::TreeView1DblClick()
{
    // Node i stands for test i; with several selected the last one counts.
    int selected = -1;
    for (int i = 0; i < TreeView1->topLevelItemCount(); ++i)
        if (TreeView1->topLevelItem(i)->isSelected())
            selected = i;
    if (selected < 0)
        return;
    TForm5 *viewer = openViewer(this);
    libraryDownloads->downloadIntoViewer(selected, viewer, *viewer);
    // Closing the viewer ends the download into it.
    viewer->onClosed = [self = QPointer<TForm1>(this)] {
        if (self)
            self->meter.scheduler().stopSequence();
    };
}

void TForm1::CancelarLeituraClick()
{
    meter.scheduler().cancelTestListRead();
}

Tell TForm1::notice()
{
    return noticeIn(this);
}

void TForm1::Apagarmemria1Click()
{
    InputBoxPrompt prompt(this);
    libraryDownloads->eraseMemory(prompt, notice());
}

void TForm1::ZerarOFFSET1Click()
{
    InputBoxPrompt prompt(this);
    zeroOffsets(state, prompt, prompt, meter.scheduler(), notice());
}

void TForm1::AjustarRelgio1Click()
{
    // The meter confirms with ":H", which the parser turns into "Relógio
    // ajustado."; a command that cannot be written says so. The time is
    // taken when the command goes out.
    setStatusText(StatusPanel::Activity, QString());
    meter.scheduler().sendWhenFree([] { return ConfigCommand::clockNow(); }, tellIfNotWritten(notice()));
}

void TForm1::A1Click()
{
    // The dialog disables this window until it closes; the query sequence
    // ("@I", then "@u") runs on the next free ticks and fills it in.
    new TForm4(meter.scheduler(), this);
    meter.scheduler().startSequence(PollScheduler::SampleRate);
}

void TForm1::AjustarOFFSET1Click()
{
    InputBoxPrompt prompt(this);
    if (passwordGate(Protected::Calibrate, state.userPassword, prompt))
        new TForm2(meter.scheduler(), this);
}

void TForm1::Carregar1Click()
{
    loadTestFileFromDialog(this);
}

void TForm1::openTestFileAtStart(const QString &path)
{
    runGuarded([&] { openTestFileInViewer(this, path); });
}

void TForm1::oC1Click()
{
    meter.scheduler().sendWhenFree(Command::unit(false));
    oC1->setChecked(true);
    oF1->setChecked(false);
}

void TForm1::oF1Click()
{
    meter.scheduler().sendWhenFree(Command::unit(true));
    oF1->setChecked(true);
    oC1->setChecked(false);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TreeView1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        runGuarded([this] { TreeView1DblClick(); });
        return true;
    }
    if (watched == TreeView1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            runGuarded([this] { TreeView1DblClick(); });
            return true;
        }
    }
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QAction *action : menuBar()->findChildren<QAction *>())
            if (!action->shortcut().isEmpty() && action->shortcut().matches(pressed) == QKeySequence::ExactMatch) {
                event->ignore(); // not taken by the control: the menu gets it
                return true;
            }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void TForm1::FormClose()
{
    closeDialogs();
    endSession(state, settingsSaver, meter.ports());
}

void TForm1::closeDialogs()
{
    if (Form2)
        Form2->close();
    if (Form4)
        Form4->close();
    if (Form5)
        Form5->close();
}

QString TForm1::statusText(StatusPanel panel) const
{
    return statusPanels[int(panel)]->text();
}

CommandSender &TForm1::commandSender()
{
    return meter.ports();
}

void TForm1::ComTerminal1Char(QObject *, char ch)
{
    meter.received(QByteArrayView(&ch, 1));
}

QLabel *TForm1::maxMinLabel(MaxMinLabel label) const
{
    QLabel *const labels[] = {Label6, Label7, Label8, Label9, Label10, Label11};
    return labels[int(label) - int(MaxMinLabel::WetMax)];
}

void TForm1::setStatusText(StatusPanel panel, const QString &text)
{
    statusPanels[int(panel)]->setText(text);
}

void TForm1::setMaxMinLabel(MaxMinLabel label, const QString &text)
{
    maxMinLabel(label)->setText(text);
}

void TForm1::setMemoryMaximum(int value)
{
    ProgressBar1->setMaximum(value);
}

void TForm1::setMemoryPosition(int value)
{
    ProgressBar1->setValue(value);
}

void TForm1::showMessage(const QString &text, const QString &caption)
{
    const QString kind = caption + QLatin1Char('\n') + text;
    const auto shut = noticesShut.constFind(kind);
    if (shut != noticesShut.cend() && !shut->hasExpired())
        return;
    auto *box = new QMessageBox(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    noticesShut.insert(kind, QDeadlineTimer(QDeadlineTimer::Forever));
    // finished, not destroyed: a box deleted with this window must not reach back into it.
    connect(box, &QDialog::finished, this, [this, kind] { noticesShut.insert(kind, QDeadlineTimer(noticeQuietMs)); });
    box->open();
}

bool TForm1::liveReadingsPageShown()
{
    return PageControl1->currentWidget() == TabSheet1;
}

void TForm1::setOptionsMenuEnabled(bool enabled)
{
    Opes1->setEnabled(enabled);
}

void TForm1::clearTestTree()
{
    TreeView1->clear();
}

void TForm1::showTestCount(int count)
{
    setTestCountText(QString::number(count));
}

void TForm1::addTestNode(const QString &text)
{
    TreeView1->addTopLevelItem(new QTreeWidgetItem(QStringList{text}));
}

void TForm1::setDownloadProgress(int maximum, int position)
{
    VrProgressBar1->setMaxValue(maximum);
    VrProgressBar1->setPosition(position);
}

void TForm1::setDownloadPosition(int position)
{
    VrProgressBar1->setPosition(position);
}

void TForm1::setUnitMenuEnabled(bool enabled)
{
    // The unit menu is locked exactly while a test-list read runs: the
    // list read's "Cancelar" is offered then.
    CancelarLeitura->setEnabled(!enabled);
    Unidade1->setEnabled(enabled);
}

void TForm1::postStep(QObject *context, std::function<void()> work)
{
    QMetaObject::invokeMethod(context, guarded(this, std::move(work)), Qt::QueuedConnection);
}

void TForm1::runTimerWork(const std::function<void()> &work)
{
    runGuarded(work);
}

TVrLabel *TForm1::valueLabel(ValueLabel label) const
{
    switch (label) {
    case ValueLabel::Wet: return VrLabel1;
    case ValueLabel::Dry: return VrLabel2;
    case ValueLabel::Globe: return VrLabel3;
    case ValueLabel::Indoor: return VrLabel6;
    case ValueLabel::Outdoor: break;
    }
    return VrLabel10;
}

TvrThermoMeter *TForm1::gauge(int gaugeNumber) const
{
    TvrThermoMeter *const gauges[] = {vrThermoMeter1, vrThermoMeter2, vrThermoMeter3};
    return gauges[gaugeNumber - 1];
}

void TForm1::setValueLabel(ValueLabel label, const QString &text)
{
    valueLabel(label)->setCaption(text);
}

void TForm1::setGaugeValue(int gaugeNumber, double value)
{
    gauge(gaugeNumber)->setValue(value);
}

void TForm1::setTestCountText(const QString &text)
{
    if (Edit2->text() != text)
        Edit2->setText(text);
}

void TForm1::setPortChecked(int k)
{
    QAction *const items[] = {Comm11, Comm21, Comm31, Comm41};
    for (int i = 0; i < 4; ++i)
        items[i]->setChecked(i + 1 == k);
}

void TForm1::plainMessage(const QString &text)
{
    showPlainMessage(this, text);
}

void TForm1::errorReport(const QString &text)
{
    showErrorReport(text);
}
