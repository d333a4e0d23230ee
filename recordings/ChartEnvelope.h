#pragma once
// What the viewer's chart draws of a long series: a line through 100,000
// points on a plot a few hundred pixels wide looks the same as one through
// the first, lowest, highest and last point of each of a few thousand runs
// of neighbouring points, and the chart keeps several outlines of every point
// it draws (about 150 bytes a point). The series itself keeps every point.

#include <QList>
#include <QPointF>

// The points sorted by x, cut into `runs` runs of neighbouring points (as
// equal in count as can be); of each run its first, lowest, highest and last
// point, in their order, each once. Up to 4 * runs points are returned as
// they are.
QList<QPointF> chartEnvelope(const QList<QPointF> &points, int runs);
