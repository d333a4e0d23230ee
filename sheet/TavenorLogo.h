#pragma once
// The Tavenor wordmark that the report's template carries as its picture: a
// thermometer mark beside the name, drawn as shapes (no text objects, so a
// text extraction of a printed page does not read it as cell content).

class QPainter;
class QRectF;

// Draws the wordmark scaled into rect, keeping its 10:3 proportions, centred.
void paintTavenorLogo(QPainter &painter, const QRectF &rect);
