#pragma once
// A window's control found by the object name the window gives it: the
// controls are the window's own (private), and tests reach them as a user's
// tools would, through the widget tree. A name the window does not give ends
// the test run with that name.

#include <QObject>
#include <QString>
#include <QtGlobal>

template <class Control> Control *control(const QObject &window, const char *name)
{
    auto *found = window.findChild<Control *>(QString::fromLatin1(name));
    if (!found)
        qFatal("%s has no control %s of that type", qPrintable(window.objectName()), name);
    return found;
}
