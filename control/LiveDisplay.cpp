#include "measure/LiveDisplay.h"

#include "core/HeatIndex.h"
#include "core/NumberText.h"

QString unitText(const SharedState &state)
{
    return state.fahrenheitUnit == 1 ? QStringLiteral("°F") : QStringLiteral("°C");
}

void refreshLiveDisplay(const SharedState &s, LiveReadingsView &view)
{
    const QString u = unitText(s);
    const long double readings[3] = {s.wetReading, s.dryReading, s.globeReading};
    for (int i = 0; i < 3; ++i) {
        view.setValueLabel(i + 1, formatGeneral(readings[i]) + u);
        try {
            view.setGaugeValue(i + 1, double(readings[i]));
        } catch (...) {
            // A gauge that refuses a value does not stop the labels.
        }
    }
    view.setValueLabel(6, formatGeneral(indoorIndex(s.wetReading, s.globeReading)) + u);
    view.setValueLabel(10, formatGeneral(outdoorIndex(s.wetReading, s.globeReading, s.dryReading)) + u);
    view.setTestCountText(QString::number(s.testCount));
}
