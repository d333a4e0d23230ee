#pragma once
// The "Medições" page's live values: the three readings on their labels and
// gauges, the two heat-stress indices, and the number of stored tests. The
// client converts nothing: values are shown in the unit the meter sent.

#include "core/SharedState.h"

#include <QString>

// The value labels, keeping their control numbers.
enum class ValueLabel { Wet = 1, Dry = 2, Globe = 3, Indoor = 6, Outdoor = 10 };

class LiveReadingsView {
public:
    virtual ~LiveReadingsView() = default;
    // VrLabel1, VrLabel2, VrLabel3 (wet, dry, globe), VrLabel6 (IBUTGi), VrLabel10 (IBUTGe)
    virtual void setValueLabel(ValueLabel label, const QString &text) = 0;
    // vrThermoMeter1..3
    virtual void setGaugeValue(int gaugeNumber, double value) = 0;
    virtual void setTestCountText(const QString &text) = 0; // Edit2
};

// "°F" while the meter reports Fahrenheit, "°C" otherwise.
QString unitText(const SharedState &state);

// Writes every live value into the view. A gauge that refuses its value is
// logged and does not stop the labels.
void refreshLiveDisplay(const SharedState &state, LiveReadingsView &view);
