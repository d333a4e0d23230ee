#include "LiveSensors.h"

#include <algorithm>

namespace {

double &channelOf(Readings &r, int channel)
{
    return channel == 1 ? r.wet : channel == 2 ? r.dry : r.globe;
}

} // namespace

LiveSensors::LiveSensors(const Readings &centres, double drift, Random &random)
    : centre(centres)
    , drift(drift)
    , random(random)
{
    // What the display shows at power-on counts for the extremes too, so the
    // maxima and minima are defined before the first reading is asked for.
    highest = lowest = shownNow();
}

Readings LiveSensors::shownNow() const
{
    return {roundTenth(centre.wet + wander.wet + offset.wet), roundTenth(centre.dry + wander.dry + offset.dry),
            roundTenth(centre.globe + wander.globe + offset.globe)};
}

Readings LiveSensors::read()
{
    const double step = drift / 4.0;
    for (int channel = 1; channel <= 3; ++channel) {
        double &w = channelOf(wander, channel);
        w = std::clamp(w + random.uniform(-step, step), -drift, drift);
    }
    const Readings shown = shownNow();
    noteExtremes(shown);
    return shown;
}

void LiveSensors::noteExtremes(const Readings &shown)
{
    highest = {std::max(highest.wet, shown.wet), std::max(highest.dry, shown.dry),
               std::max(highest.globe, shown.globe)};
    lowest = {std::min(lowest.wet, shown.wet), std::min(lowest.dry, shown.dry), std::min(lowest.globe, shown.globe)};
}

void LiveSensors::addOffset(int channel, double celsius)
{
    channelOf(offset, channel) += celsius;
}

void LiveSensors::zeroOffset(int channel)
{
    channelOf(offset, channel) = 0.0;
}

void LiveSensors::zeroOffsets()
{
    offset = {};
}
