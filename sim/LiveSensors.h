#pragma once
// The three live sensors: values that wander around settable centres, the
// calibration offsets added to what they show, and the maxima and minima of
// everything shown since start.

#include "Random.h"
#include "Readings.h"

class LiveSensors {
public:
    LiveSensors(const Readings &centres, double drift, Random &random);

    // A new reading: each sensor takes a small step, stays within the drift of
    // its centre, gets its offset, and is rounded to tenths. Updates the
    // extremes.
    Readings read();

    const Readings &maxima() const { return highest; }
    const Readings &minima() const { return lowest; }

    // channel 1 wet, 2 dry, 3 globe; Celsius.
    void addOffset(int channel, double celsius);
    void zeroOffset(int channel);
    void zeroOffsets();
    const Readings &offsets() const { return offset; }

private:
    void noteExtremes(const Readings &shown);
    Readings shownNow() const;

    Readings centre;
    Readings wander;
    Readings offset;
    Readings highest;
    Readings lowest;
    double drift;
    Random &random;
};
