// A dialog made from a dialog template of the resources, modal (DoModal) or modeless
// (Create). OnInitDialog fills the controls (UpdateData(FALSE)); OnOK reads and
// validates them (UpdateData(TRUE)) and ends the dialog with IDOK.
#pragma once

#include "platform/ui/CWnd.h"

#include <memory>
#include <vector>

struct DialogTemplate;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId = 0, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog until EndDialog; returns its result (IDOK, IDCANCEL, ...), or -1
    // when the template is missing.
    virtual INT_PTR DoModal();
    // Creates the dialog without waiting (modeless); shown at once.
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    void EndDialog(int result);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    UINT GetTemplateId() const { return m_templateId; }
    int GetModalResult() const { return m_nModalResult; }
    void MapDialogRect(LPRECT rect) const;
    // Focuses the control; a one-line text field gets its whole text selected.
    void GotoDlgCtrl(CWnd* control);
    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void SetDefID(UINT id);
    // Window objects of the template's controls (GetDlgItem finds them by id).
    const std::vector<std::unique_ptr<CWnd>>& GetTemplateControls() const { return m_controls; }

    const CMessageMap& GetMessageMap() const override;

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void OnClose() override;
    // Child dialogs (property pages, form views) live inside another window.
    bool m_bChild = false;
    CWnd* m_pParentWnd;
    UINT m_templateId;

    bool CreateFromTemplate(CWnd* parent);
    // Before the dialog shows: the control OnInitDialog focused, with the selection it set when
    // it chose the focus itself (returned FALSE), or else the first control that Tab reaches with
    // its whole text selected. The selection holds until the window has the focus.
    void SetOpeningFocus(bool chosenByDialog);

private:
    const DialogTemplate* m_template = nullptr;
    std::vector<std::unique_ptr<CWnd>> m_controls;
    int m_nModalResult = -1;
    bool m_inModalLoop = false;
};
