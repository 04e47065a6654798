// Creates the controls of a dialog template inside a window.
#pragma once

#include "platform/core/CSize.h"
#include "platform/ui/DialogTemplate.h"

#include <memory>
#include <vector>

class CWnd;
class QFont;

// Pixels of dialog units for the template's font.
struct DialogUnits {
    int baseX = 6;  // average character width
    int baseY = 13; // character height
    int X(int dlu) const { return dlu * baseX / 4; }
    int Y(int dlu) const { return dlu * baseY / 8; }
};

QFont DialogFont(const DialogTemplate& dialog);
DialogUnits MeasureDialogUnits(const QFont& font);

// Makes each control as a child of host; the window objects go into owned. Returns the
// client size in pixels.
CSize BuildDialogControls(const DialogTemplate& dialog, CWnd& host, std::vector<std::unique_ptr<CWnd>>& owned);
