#pragma once
// The error boundary of the windows. Every slot that a menu item, a button or
// a timer runs is wrapped in guarded(): whatever the slot throws is caught
// there and its text goes to the default error report (the message box
// captioned with the application title), and the program goes on. Nothing a
// slot throws reaches the event loop; GuardedApplication::notify only catches what
// slips past this boundary, as a last resort.
//
//     connect(action, &QAction::triggered, this, guarded(this, [this] { portSelection->Procurar1Click(); }));
//
// The body may take the signal's arguments or none. It does not run once the
// context object is gone.

#include "forms/ErrorReport.h"

#include <QObject>
#include <QPointer>

#include <exception>
#include <type_traits>
#include <utility>

// Runs body; an error it throws goes to the default error report.
template <class Body> void runGuarded(Body &&body)
{
    try {
        body();
    } catch (const std::exception &e) {
        reportSlotError(QString::fromUtf8(e.what()));
    } catch (...) {
        reportSlotError(QString());
    }
}

template <class Body> auto guarded(QObject *context, Body body)
{
    return [context = QPointer<QObject>(context), body = std::move(body)](auto &&...args) mutable {
        if (context.isNull())
            return;
        runGuarded([&] {
            if constexpr (std::is_invocable_v<Body &, decltype(args)...>)
                body(std::forward<decltype(args)>(args)...);
            else
                body();
        });
    };
}
