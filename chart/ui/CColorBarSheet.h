// "Color Bars Setup": the colour-field page of the grid's column pages on the chart's
// colour-bar rules (name, formula, the check box of the set's value and the rules), in a
// sheet without Apply whose Help opens the help page on colour bars.
#pragma once

#include "common/services/CColorRuleSet.h"
#include "platform/ui/CPropertySheet.h"

class CColorBarSheet : public CPropertySheet {
public:
    static constexpr const char* kHelpPage = "https://www.brenhalvik.com/Quorvantelix/ColorBars.html";

    explicit CColorBarSheet(CWnd* owner);
    const CMessageMap& GetMessageMap() const override;

protected:
    QWidget* CreateWidget(QWidget* parent) override;

private:
    void OnHelp();
};

// Runs the sheet on a copy of the set; true on OK with the edited set in `set`.
bool RunColorBarSetup(CColorRuleSet& set, CWnd* owner);
