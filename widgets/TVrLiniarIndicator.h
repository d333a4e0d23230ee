#pragma once
// A marker on the gauge's scale (set point, peaks, value). The value marker
// also carries the reading the tube shows. Markers are kept hidden on the
// live page; a hidden marker is not drawn.

#include "widgets/ChangeNotifier.h"

#include <cmath>

class TVrLiniarIndicator : public ChangeNotifier {
public:
    TVrLiniarIndicator() = default;

    double Value() const { return value_; }
    bool Visible() const { return visible_; }

    // The same number again changes nothing. A NaN counts as the same as a
    // NaN already held, so a reading that fails to be a number repeatedly
    // does not repaint on every tick.
    void setValue(double v)
    {
        if (v == value_ || (std::isnan(v) && std::isnan(value_)))
            return;
        value_ = v;
        changed();
    }
    void setVisible(bool v) { assign(visible_, v); }

private:
    double value_ = 0.0;
    bool visible_ = false;
};
