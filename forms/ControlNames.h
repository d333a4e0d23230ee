#pragma once
// Object names for a window's controls: each control carries the name of the
// member that holds it, so that tests (and accessibility tools) find the
// window's private controls in the widget tree.

#include <QObject>
#include <QString>

#include <initializer_list>
#include <utility>

using NamedControl = std::pair<QObject *, const char *>;
#define NAMED_CONTROL(member) NamedControl(member, #member)

inline void nameControls(std::initializer_list<NamedControl> controls)
{
    for (const auto &[control, name] : controls)
        control->setObjectName(QLatin1StringView(name));
}
