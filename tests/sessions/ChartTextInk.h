// Texts as a chart draws them, to be looked for pixel for pixel in what a pane shows.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"
#include "tests/support/InkMask.h"

#include <QImage>

class CGraphsDoc;

namespace qx::sessions {

// A text drawn alone with the chart's font in a colour on a ground, a margin around it.
QImage ChartTextPicture(CGraphsDoc& doc, const CString& text, COLORREF color, COLORREF ground);

// Its ink, cut to the box around it.
qx::testsupport::CInkMask ChartTextInk(CGraphsDoc& doc, const CString& text, COLORREF color, COLORREF ground);

} // namespace qx::sessions
