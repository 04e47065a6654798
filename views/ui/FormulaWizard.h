// The formula wizard in the modes the Level I window uses: a screener's symbols and
// formula, a custom field's or custom study's name and formula, a named formula, and
// alerts for a symbol. Each returns true when the user accepted.
#pragma once

#include "platform/core/CString.h"

class CWnd;

bool RunScreenerWizard(CWnd* parent, CString& symbols, CString& formula);
bool RunCustomFieldWizard(CWnd* parent, CString& name, CString& formula);
bool RunCustomStudyWizard(CWnd* parent, CString& name, CString& formula);
bool RunFormulaWizard(CWnd* parent, CString& name, CString& formula);
// Alerts for the symbol, created on acceptance.
bool RunAlertWizard(CWnd* parent, const CString& symbol);
