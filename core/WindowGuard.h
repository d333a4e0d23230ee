#pragma once
// The one guard for writes into a window that may never have been created or
// may already be gone: the write is skipped, and a failure inside it is logged
// so that the caller goes on as if it had succeeded.

#include <QPointer>
#include <QtGlobal>

#include <exception>

template <class Window, class Write> bool guardedWrite(const QPointer<Window> &window, Write &&write) noexcept
{
    if (window.isNull())
        return false;
    try {
        write(window.data());
        return true;
    } catch (const std::exception &e) {
        qWarning("write into a window failed: %s", e.what());
        return false;
    } catch (...) {
        qWarning("write into a window failed with an unknown error");
        return false;
    }
}
