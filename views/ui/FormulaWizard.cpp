#include "views/ui/FormulaWizard.h"

#include "platform/ui/CWnd.h"

namespace {

bool Unavailable(CWnd* parent)
{
    if (parent)
        parent->MessageBox("The formula wizard is not available.", nullptr, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

} // namespace

bool RunScreenerWizard(CWnd* parent, CString&, CString&)
{
    return Unavailable(parent);
}

bool RunCustomFieldWizard(CWnd* parent, CString&, CString&)
{
    return Unavailable(parent);
}

bool RunCustomStudyWizard(CWnd* parent, CString&, CString&)
{
    return Unavailable(parent);
}

bool RunFormulaWizard(CWnd* parent, CString&, CString&)
{
    return Unavailable(parent);
}

bool RunAlertWizard(CWnd* parent, const CString&)
{
    return Unavailable(parent);
}
