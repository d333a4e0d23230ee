#include "control/LiveDisplay.h"

#include "core/HeatIndex.h"
#include "core/NumberText.h"

#include <exception>

QString unitText(const SharedState &state)
{
    return state.fahrenheitUnit == 1 ? QStringLiteral("°F") : QStringLiteral("°C");
}

void refreshLiveDisplay(const SharedState &s, LiveReadingsView &view)
{
    const QString u = unitText(s);
    const long double readings[3] = {s.wetReading, s.dryReading, s.globeReading};
    const ValueLabel labels[3] = {ValueLabel::Wet, ValueLabel::Dry, ValueLabel::Globe};
    for (int i = 0; i < 3; ++i) {
        view.setValueLabel(labels[i], formatGeneral(readings[i]) + u);
        try {
            view.setGaugeValue(i + 1, double(readings[i]));
        } catch (const std::exception &e) {
            qWarning("gauge %d refused %s: %s", i + 1, qPrintable(formatGeneral(readings[i])), e.what());
        }
    }
    view.setValueLabel(ValueLabel::Indoor, formatGeneral(indoorIndex(s.wetReading, s.globeReading)) + u);
    view.setValueLabel(ValueLabel::Outdoor,
                       formatGeneral(outdoorIndex(s.wetReading, s.globeReading, s.dryReading)) + u);
    view.setTestCountText(QString::number(s.testCount));
}
