#pragma once
// The gauge's sub-objects (scale, markers) tell their owner when one of their
// members changes, so that the owner repaints. A plain callback keeps them
// free of any widget code.

#include "core/AssignIfChanged.h"

#include <functional>
#include <utility>

class ChangeNotifier {
public:
    void setOnChanged(std::function<void()> callback) { onChanged = std::move(callback); }

protected:
    ChangeNotifier() = default;
    ChangeNotifier(const ChangeNotifier &) = delete;
    ChangeNotifier &operator=(const ChangeNotifier &) = delete;

    // Stores value into member and reports a change only if it differs.
    template <typename T> void assign(T &member, const T &value)
    {
        assignIfChanged(member, value, [this] { changed(); });
    }

    void changed()
    {
        if (onChanged)
            onChanged();
    }

private:
    std::function<void()> onChanged;
};
