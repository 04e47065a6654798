// Pixel geometry of the drawing tools: clipping and extending their lines to a pane,
// distances for hit testing, and retracement levels.
#pragma once

#include "platform/core/CPoint.h"
#include "platform/core/CRect.h"

// Extend modes of line tools.
enum EExtendMode : int {
    kExtendSegment = 0,
    kExtendRay = 1,   // from the first point through the second to the pane's edge
    kExtendLine = 2,  // edge to edge
};

// Half a line's width, rounded up.
int HalfThickness(int thickness);

// Clips the line through p1 and p2 (extended by the mode) to the pane shrunk by half the
// thickness; false when nothing of it is visible. A ray keeps p1.
bool ClipToolLine(CPoint& p1, CPoint& p2, const CRect& pane, int extendMode, int thickness);

// Distance from (x, y) to the line y = slope x + intercept, the foot point rounded to
// whole pixels first.
double DistanceToLine(int x, int y, double slope, double intercept);

// Whether a point hits the visible part of a line from c1 to c2 (already clipped): within
// half the thickness (rounded up) plus one of the line, inside its box grown by as much.
bool HitsClippedLine(CPoint point, CPoint c1, CPoint c2, int thickness);

// Whether a point is on the handle drawn around an anchor.
bool IsNearAnchorPoint(CPoint point, CPoint anchor, int thickness);

// Price of a retracement level between the anchors' prices: measured down from the
// high when the anchor line is flat or rises to the right on screen (pixelSlope <= 0,
// y growing downwards), else up from the low.
double RetracementLevelPrice(double high, double low, double percent, double pixelSlope);

// A float in its shortest "%f" form: trailing zeros and a trailing point removed.
void FormatShortFloat(char* buffer, int size, double value);
