#include "forms/LibraryProgress.h"

#include "forms/Guarded.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

LibraryProgress::LibraryProgress(QWidget *parent)
    : QDialog(parent)
    , activity(new QLabel(this))
    , overall(new QProgressBar(this))
    , testLabel(new QLabel(this))
    , records(new QProgressBar(this))
    , button(new QPushButton(QStringLiteral("Cancelar"), this))
{
    setMinimumWidth(420);
    activity->setWordWrap(true);
    auto *column = new QVBoxLayout(this);
    column->addWidget(activity);
    column->addWidget(overall);
    column->addWidget(testLabel);
    column->addWidget(records);
    column->addWidget(button, 0, Qt::AlignRight);
    connect(button, &QPushButton::clicked, this, guarded(this, [this] { reject(); }));
}

void LibraryProgress::begin(const QString &title, std::function<void()> cancelFlow)
{
    setWindowTitle(title);
    cancel = std::move(cancelFlow);
    button->setText(QStringLiteral("Cancelar"));
    activity->clear();
    testLabel->clear();
    overall->setRange(0, 1);
    overall->setValue(0);
    records->setRange(0, 1);
    records->setValue(0);
    show();
    raise();
}

void LibraryProgress::showActivity(const QString &text)
{
    activity->setText(text);
}

void LibraryProgress::showTest(int testNumber, int done, int total)
{
    shownTest = testNumber;
    activity->setText(QStringLiteral("Baixando o teste %1 (%2 de %3)").arg(testNumber).arg(done).arg(total));
    overall->setRange(0, total);
    overall->setValue(done - 1);
}

void LibraryProgress::showRecords(int n, int recordCount)
{
    testLabel->setText(QStringLiteral("Teste %1: %2 de %3 registros").arg(shownTest).arg(n).arg(recordCount));
    records->setRange(0, qMax(recordCount, 1));
    records->setValue(qMin(n, qMax(recordCount, 1)));
}

void LibraryProgress::downloadsEnded(const QString &summary, bool whole)
{
    cancel = nullptr;
    activity->setText(summary);
    if (whole)
        overall->setValue(overall->maximum());
    button->setText(QStringLiteral("Fechar"));
}

QString LibraryProgress::activityText() const
{
    return activity->text();
}

void LibraryProgress::reject()
{
    if (auto stop = std::exchange(cancel, {}))
        stop(); // the summary follows, and the window stays to show it
    else
        QDialog::reject();
}
