#pragma once
// Counts the paint events a widget receives, to check that a change repaints
// exactly once and a non-change not at all.

#include <QObject>
#include <functional>

class QWidget;

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *w);
    int count = 0;

    // Shows the widget; true once its first paint is through.
    bool showAndSettle();
    // Makes the change and checks it repaints once (repaints) or not at all;
    // `what` names the change in a failure.
    void expectRepaint(const std::function<void()> &change, bool repaints, const char *what);

protected:
    bool eventFilter(QObject *, QEvent *e) override;

private:
    QWidget *widget;
};
