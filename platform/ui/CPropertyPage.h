// One page of a property sheet, made from a dialog template.
#pragma once

#include "platform/ui/CDialog.h"

class CPropertySheet;

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT templateId, UINT captionId = 0);
    ~CPropertyPage() override;

    // The tab text: the caption string when given, else the template's caption.
    CString GetPageTitle() const;
    void SetPageTitle(const char* title) { m_title = title ? title : ""; }
    virtual BOOL OnSetActive();
    // Validates the page when it is left (UpdateData(TRUE)).
    virtual BOOL OnKillActive();
    virtual BOOL OnApply();
    virtual void OnReset();
    void OnOK() override;
    void OnCancel() override;
    void SetModified(BOOL changed = TRUE);
    bool IsModified() const { return m_modified; }
    CPropertySheet* GetSheet() const { return m_sheet; }

    // Creates the page's window inside the sheet.
    BOOL CreatePage(CPropertySheet* sheet, CWnd* parent);

private:
    friend class CPropertySheet;
    CPropertySheet* m_sheet = nullptr;
    CString m_title;
    bool m_modified = false;
};
