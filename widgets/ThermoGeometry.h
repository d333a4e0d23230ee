#pragma once
// Whole-pixel geometry of the thermometer gauge, in logical pixels, apart
// from any painting. W and H are the gauge's width and height, O the scale's
// offset (space kept above and below the tube, and the bulb's diameter).
//
// Vertical runs are half-open row ranges [top, bottom): the tube covers
// rows O .. H-O-1, the bulb starts at row H-O.

#include <QList>
#include <QPolygon>
#include <QRect>
#include <QString>

// The numbers of a scale that decide where things go.
struct ThermoScaleGeometry {
    double min = -20.0;
    double max = 100.0;
    double step = 20.0;
    double smallStep = 4.0;
    int offset = 20;
    int heightMax = 14; // long tick length
    int heightMin = 8;  // short tick length
};

// Rounds to the nearest integer, halves to the even neighbour.
int roundHalfEven(double v);

// Height above the bottom edge that value v reaches: O at the minimum,
// H-O at the maximum, held at the nearer end outside the range, 0 when the
// range is empty. A NaN is held at the minimum.
int thermoHeight(const ThermoScaleGeometry &s, int height, double v);

// The row of value v: H - thermoHeight.
int thermoRow(const ThermoScaleGeometry &s, int height, double v);

// Centre column of the tube: W div 2, raised by one when odd.
int tubeCenterX(int width);

// Width of the coloured tube: O div 3, raised by one when odd. The white
// edge under it is two pixels wider.
int tubeWidth(int offset);

// Columns [left, left + bandWidth) of a vertical band bandWidth wide centred
// on column x.
int bandLeft(int x, int bandWidth);

// First column of every tick: W div 2 - HeightMin + O (no even adjustment).
int tickStartX(const ThermoScaleGeometry &s, int width);

// Left edge of the labels: tick start plus the long tick length.
int labelStartX(const ThermoScaleGeometry &s, int width);

// Number of marks strictly inside the range for a spacing: trunc((max-min) /
// spacing) - 1, never below zero. A spacing that is not positive or not a
// number gives none, and so does one that would need more than
// maxInnerMarks marks (a scale that dense is a solid block of ink, and
// counting it out would stall the painting).
constexpr int maxInnerMarks = 10000;
int innerMarkCount(double min, double max, double spacing);

// Rows of the short ticks: y(min + k*smallStep) for the inner marks.
QList<int> shortTickRows(const ThermoScaleGeometry &s, int height);

// Rows of the long ticks in drawing order: H-O, the inner long ticks
// y(min + k*step), then O.
QList<int> longTickRows(const ThermoScaleGeometry &s, int height);

// The numbers labelled, in drawing order: min, max, then min + k*step for
// the inner long ticks.
QList<double> labelValues(const ThermoScaleGeometry &s);

// The label row for each labelled number: the minimum sits at H-O, the
// maximum at O, the others at their tick.
int labelRow(const ThermoScaleGeometry &s, int height, double value, bool isMinimum, bool isMaximum);

// Top of a label's text box of textHeight rows centred on tickRow. The
// minimum's box is placed by its bottom (tickRow + textHeight div 2) so it
// never reaches further down than half a text height.
int labelTop(int tickRow, int textHeight, bool isMinimum);

// The square holding the bulb: from (W div 2 - O div 2, H-O) to
// (W div 2 + O div 2, H), right and bottom exclusive.
QRect bulbRect(const ThermoScaleGeometry &s, int width, int height);

// The triangle (left, top), (left, bottom), (left + (right-left) div 2, top)
// of the bulb's square: the light rim is the outline clipped to it.
QPolygon bulbHighlightTriangle(const QRect &bulb);

// The white dot on the bulb: its top-left corner is the bulb's moved right
// and down by a quarter of the bulb's size (rounded), its size O div 20 + 3.
QRect bulbDotRect(const QRect &bulb, int offset);

// Rows [first, last) the filled part of the tube covers for value v: from
// y(v) to H-O in whichever order they come (with an empty range the fill
// runs from the bottom edge up to H-O).
struct RowSpan {
    int first = 0;
    int last = 0;
    bool isEmpty() const { return last <= first; }
};
RowSpan fillRows(const ThermoScaleGeometry &s, int height, double v);

// Rows of the whole tube: [O, H-O).
RowSpan tubeRows(const ThermoScaleGeometry &s, int height);
