#include "chart/ui/CColorBarSheet.h"

#include "platform/ui/CUiResponder.h"
#include "views/ui/ColumnPages.h"
#include "views/ui/Level1Ids.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QWidget>

CColorBarSheet::CColorBarSheet(CWnd* owner) : CPropertySheet("Color Bars Setup", owner)
{
    SetHelpButton(true);
}

QWidget* CColorBarSheet::CreateWidget(QWidget* parent)
{
    QWidget* widget = CPropertySheet::CreateWidget(parent);
    if (auto* buttons = widget ? widget->findChild<QDialogButtonBox*>() : nullptr)
        if (QPushButton* apply = buttons->button(QDialogButtonBox::Apply))
            apply->hide();
    return widget;
}

void CColorBarSheet::OnHelp()
{
    CUiResponder::Current().OpenExternal(kHelpPage);
}

const CMessageMap& CColorBarSheet::GetMessageMap() const
{
    static const CMessageMap map =
        MessageMapFor<CColorBarSheet>(CPropertySheet::GetMessageMap()).Command(ID_HELP, &CColorBarSheet::OnHelp).Build();
    return map;
}

bool RunColorBarSetup(CColorRuleSet& set, CWnd* owner)
{
    CColorBarSheet sheet(owner);
    ColorRulePage page(IDD_COLOR_FIELD, set.m_rules, set.m_name, set.m_text, set.m_value, true);
    sheet.AddPage(&page);
    const bool ok = sheet.DoModal() == IDOK;
    sheet.RemovePage(0);
    if (!ok)
        return false;
    set.m_name = page.m_name;
    set.m_text = page.m_formula;
    set.m_value = page.m_nBarCount;
    set.m_rules = page.m_rules;
    return true;
}
