#pragma once
// The one idiom for a setter whose change must be re-applied: the port's line
// settings, a widget's look, a gauge's sub-objects. The value is stored and
// then() runs only when it differs from the member, so setting the same value
// again writes nothing to the device and repaints nothing. Header only and
// free of Qt, so that every layer (widgets included) can use it.

#include <utility>

// True when the member changed (and then() ran).
template <class T, class U, class Then> bool assignIfChanged(T &member, U &&value, Then &&then)
{
    if (member == value)
        return false;
    member = std::forward<U>(value);
    std::forward<Then>(then)();
    return true;
}
