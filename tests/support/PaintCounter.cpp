#include "support/PaintCounter.h"

#include <QWidget>
#include <QtTest>

PaintCounter::PaintCounter(QWidget *w) : widget(w)
{
    w->installEventFilter(this);
}

bool PaintCounter::eventFilter(QObject *, QEvent *e)
{
    if (e->type() == QEvent::Paint)
        ++count;
    return false;
}

bool PaintCounter::showAndSettle()
{
    widget->show();
    if (!QTest::qWaitForWindowExposed(widget))
        return false;
    return QTest::qWaitFor([this] { return count > 0; });
}

void PaintCounter::expectRepaint(const std::function<void()> &change, bool repaints, const char *what)
{
    QCoreApplication::processEvents();
    const int before = count;
    change();
    if (repaints) {
        QTRY_COMPARE_WITH_TIMEOUT(count, before + 1, 2000);
    } else {
        QTest::qWait(50);
        QVERIFY2(count == before, what);
    }
}
