// The column wizard: the custom fields, colour fields or custom studies of the settings,
// with New, Edit, Delete and Close. Every change takes effect at once.
#pragma once

#include "platform/ui/CDialog.h"
#include "views/CCustomColumn.h"

class CColumnWizardDlg : public CDialog {
public:
    explicit CColumnWizardDlg(int kind, CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    const CMessageMap& GetMessageMap() const override;

    int GetKind() const { return m_nKind; }
    const std::vector<CCustomColumn>& Definitions() const { return m_lists[m_nKind]; }

    // The buttons' work, also used without the dialogs of New and Edit: adds or replaces
    // a definition and shows it selected.
    void AddDefinition(const CCustomColumn& column);
    void ReplaceDefinition(int index, const CCustomColumn& column);
    void OnNew();
    void OnEdit();
    void OnDelete();

private:
    void FillList(int select);
    int Selected() const;
    bool EditDefinition(CCustomColumn& column);
    void Store();

    int m_nKind;
    CCustomColumnLists m_lists;
    bool m_bLoaded = false;
};

// The wizard's title of a kind: "Custom Fields", "Color Fields" or "Custom Studies".
const char* ColumnWizardTitle(int kind);
