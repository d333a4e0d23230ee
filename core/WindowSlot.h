#pragma once
// Where the logic finds the sink of a window that may not exist. A window
// attaches itself when it is created and detaches in its destructor; while no
// window is attached, or the attached one is gone, get() hands out a null sink
// whose writes do nothing. This is the one road by which writes reach the
// viewer and the dialogs, so a window closed mid-exchange is never touched.

#include <QObject>
#include <QPointer>

template <class Sink, class NullSink> class WindowSlot {
public:
    void attach(QObject *window, Sink *windowSink)
    {
        this->window = window;
        sink = windowSink;
    }
    // Only the window that is attached detaches: a newer window stays.
    void detach(QObject *leaving)
    {
        if (window.data() == leaving) {
            window = nullptr;
            sink = nullptr;
        }
    }
    bool isOpen() const { return !window.isNull() && sink; }
    Sink &get() { return isOpen() ? *sink : null; }

private:
    QPointer<QObject> window;
    Sink *sink = nullptr;
    NullSink null;
};
