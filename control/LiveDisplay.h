#pragma once
// The "Medições" page's live values: the three readings on their labels and
// gauges, the two heat-stress indices, and the number of stored tests. The
// client converts nothing: values are shown in the unit the meter sent.

#include "core/SharedState.h"

#include <QString>

class LiveReadingsView {
public:
    virtual ~LiveReadingsView() = default;
    // VrLabel1, VrLabel2, VrLabel3 (wet, dry, globe), VrLabel6 (IBUTGi), VrLabel10 (IBUTGe)
    virtual void setValueLabel(int labelNumber, const QString &text) = 0;
    // vrThermoMeter1..3
    virtual void setGaugeValue(int gaugeNumber, double value) = 0;
    virtual void setTestCountText(const QString &text) = 0; // Edit2
};

// "°F" while the meter reports Fahrenheit, "°C" otherwise.
QString unitText(const SharedState &state);

void refreshLiveDisplay(const SharedState &state, LiveReadingsView &view);
