#pragma once
// Text of a scale label: the number in fixed-point notation with a given
// count of decimals and at most 8 significant digits, decimal comma, then
// passed through the scale's format text.

#include <QString>

// value in fixed-point notation with `decimals` digits after the comma,
// rounded to at most 8 significant digits (the digits beyond them read 0).
// A number with more than 8 integer digits is written "d,dddddddE+n".
// Decimals are taken in 0..18.
QString fixedScaleNumber(double value, int decimals);

// The format text with its "%s" replaced by text and "%%" by "%". Any
// other "%" sequence is kept as it stands: the format is configuration,
// never a way to read beyond the one argument.
QString applyScaleFormat(const QString &format, const QString &text);

// Both steps: what a label on the scale shows for value.
QString scaleLabelText(double value, int decimals, const QString &format);
