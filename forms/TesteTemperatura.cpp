#include "forms/TesteTemperatura.h"

#include "core/WindowGuard.h"
#include "forms/Forms.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
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

TForm1::TForm1(QWidget *parent)
    : QMainWindow(parent), state(shared()), parser(state, *this)
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
    buildMeasurementsPage();
    buildTestsPage();
    setCentralWidget(central);
    buildStatusBar();

    Timer1.setInterval(100);
    Timer2.setInterval(100);

    FormCreate();
}

TForm1::~TForm1() = default;

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
    Arquivo1->addSeparator();
    Senhas1 = Arquivo1->addAction(QStringLiteral("Senhas"));
    Senhas1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Arquivo1->addSeparator();
    Sair1 = Arquivo1->addAction(QStringLiteral("Sair"));
    Sair1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    connect(Sair1, &QAction::triggered, this, &QWidget::close);

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

    auto *box = new QGroupBox(QStringLiteral("Max/Min"), Panel1);
    box->setGeometry(490, 190, 250, 190);
    const char *rows[] = {"UMIDO", "SECO", "GLOBO"};
    QLabel **values[] = {&Label6, &Label7, &Label8, &Label9, &Label10, &Label11};
    for (int r = 0; r < 3; ++r) {
        const int y = 28 + r * 52;
        fixedLabel(box, QString::fromLatin1(rows[r]), QRect(12, y + 8, 70, 16));
        *values[2 * r] = fixedLabel(box, QString(), QRect(96, y, 140, 16));
        *values[2 * r + 1] = fixedLabel(box, QString(), QRect(96, y + 18, 140, 16));
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
    state.replyState = 0;
    state.pollIndex = 0;
    state.wetReading = state.dryReading = state.globeReading = 0.0L;
    state.portNumber = 0;
    state.portSearchState = 0;
    ProgressBar1->setValue(0);
    state.sequenceActive = false;
    state.readyToSend = true;
    for (int n = 6; n <= 11; ++n)
        maxMinLabel(n)->clear();
    TreeView1->clear();
    statusPanels[0]->setText(QStringLiteral("Comm%1").arg(state.portNumber));
    Comm11->setChecked(state.portNumber == 1);
    Comm21->setChecked(state.portNumber == 2);
    Comm31->setChecked(state.portNumber == 3);
    Comm41->setChecked(state.portNumber == 4);
    Image2->hide();
    Image4->show();
    setWindowTitle(kCaption);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void TForm1::FormClose()
{
}

QString TForm1::statusText(int panel) const
{
    return statusPanels[panel]->text();
}

void TForm1::ComTerminal1Char(QObject *, char ch)
{
    parser.feed(ch);
}

QLabel *TForm1::maxMinLabel(int labelNumber) const
{
    QLabel *const labels[] = {Label6, Label7, Label8, Label9, Label10, Label11};
    return labels[labelNumber - 6];
}

void TForm1::setStatusText(int panel, const QString &text)
{
    statusPanels[panel]->setText(text);
}

void TForm1::setMaxMinLabel(int labelNumber, const QString &text)
{
    maxMinLabel(labelNumber)->setText(text);
}

void TForm1::setMemoryMaximum(int value)
{
    ProgressBar1->setMaximum(value);
}

void TForm1::setMemoryPosition(int value)
{
    ProgressBar1->setValue(value);
}

bool TForm1::calibrationDialogVisible()
{
    return false;
}

void TForm1::setCalibrationReading(int, const QString &) {}
void TForm1::checkSampleUnit(bool) {}
void TForm1::setSampleInterval(const QString &) {}
void TForm1::setViewerCell(int, int, const QString &) {}
void TForm1::addChartPoint(int, double, double) {}
void TForm1::setViewerRecordCount(const QString &) {}

void TForm1::showMessage(const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, this);
    box.exec();
}
