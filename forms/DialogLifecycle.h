#pragma once
// The life of a window that holds the main window's input while it is open:
// the sample-rate and calibration dialogs and the test viewer. open() stores
// the window in its window variable, attaches it to its window slot (the road
// by which the parser and the scheduler write into it) and disables the main
// window; close() detaches it and enables the main window again. close() runs
// when the window closes and, if it never closed (its owner went first), when
// it is destroyed, so the main window never stays disabled.

#include <QPointer>
#include <QWidget>

#include <functional>
#include <utility>

class DialogLifecycle {
public:
    template <class Window, class Slot>
    void open(Window *window, QPointer<Window> &variable, Slot &slot, QWidget *mainWindow)
    {
        variable = window;
        slot.attach(window, window);
        detach = [window, &slot] { slot.detach(window); };
        this->mainWindow = mainWindow;
        if (mainWindow)
            mainWindow->setEnabled(false);
    }

    void close()
    {
        if (const auto detachFromSlot = std::exchange(detach, nullptr))
            detachFromSlot();
        if (mainWindow)
            std::exchange(mainWindow, nullptr)->setEnabled(true);
    }

    ~DialogLifecycle() { close(); }

private:
    std::function<void()> detach;
    QPointer<QWidget> mainWindow;
};
