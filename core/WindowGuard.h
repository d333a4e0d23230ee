#pragma once
// The one guard for writes into a window that may never have been created or
// may already be gone: the write is skipped silently, and a failure inside it
// is swallowed so that the caller goes on as if it had succeeded.

#include <QPointer>
#include <exception>

template <class Window, class Write>
bool guardedWrite(const QPointer<Window> &window, Write &&write) noexcept
{
    if (window.isNull())
        return false;
    try {
        write(window.data());
        return true;
    } catch (...) {
        return false;
    }
}
