#include "forms/Taxa.h"

#include "control/CommandQueue.h"
#include "forms/Forms.h"
#include "forms/Guarded.h"
#include "link/ConfigCommands.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TForm4::TForm4(CommandQueue &line, QWidget *mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::WindowStaysOnTopHint)
    , line(line)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Taxa de amostragem"));

    auto *box = new QGroupBox(QStringLiteral("Configuração"), this);
    auto *caption = new QLabel(QStringLiteral("Intervalo"), box);
    Edit1 = new QLineEdit(QStringLiteral("0"), box);
    // Both radio buttons in one box: checking one unchecks the other, and
    // neither is checked until the meter's reply or the operator checks one.
    RadioButton1 = new QRadioButton(QStringLiteral("Minutos"), box);
    RadioButton2 = new QRadioButton(QStringLiteral("Segundo"), box);
    auto *boxLayout = new QGridLayout(box);
    boxLayout->addWidget(caption, 0, 0);
    boxLayout->addWidget(Edit1, 1, 0);
    boxLayout->addWidget(RadioButton1, 0, 1);
    boxLayout->addWidget(RadioButton2, 1, 1);

    BitBtn5 = new QPushButton(QStringLiteral("Confirma"), this);
    BitBtn6 = new QPushButton(QStringLiteral("Cancelar"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn5);
    buttons->addWidget(BitBtn6);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addLayout(buttons);
    resize(sizeHint().expandedTo(QSize(287, 132)));

    connect(BitBtn5, &QPushButton::clicked, this, guarded(this, [this] { BitBtn5Click(); }));
    connect(BitBtn6, &QPushButton::clicked, this, guarded(this, [this] { BitBtn6Click(); }));

    lifecycle.open(this, Form4, sampleRateSlot(), mainWindow);
    show();
}

TForm4::~TForm4() = default;

void TForm4::checkSampleUnit(bool seconds)
{
    (seconds ? RadioButton2 : RadioButton1)->setChecked(true);
}

void TForm4::setSampleInterval(const QString &text)
{
    Edit1->setText(text);
}

void TForm4::BitBtn5Click()
{
    if (const std::optional<QByteArray> command =
            ConfigCommand::sampleInterval(Edit1->text(), RadioButton2->isChecked())) {
        line.sendWhenFree(*command);
    } else {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Aviso"), QStringLiteral("Parâmetro de tempo inválido."),
                        QMessageBox::Ok, this);
        box.exec();
    }
    close();
}

void TForm4::BitBtn6Click()
{
    close();
}

void TForm4::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void TForm4::FormClose()
{
    lifecycle.close();
}
