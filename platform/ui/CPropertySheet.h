// A property sheet: pages in tabs, with OK, Cancel, Apply (and Help). Modal, or hosted
// as a child window with its own buttons hidden. Pages belong to the caller.
#pragma once

#include "platform/ui/CWnd.h"

#include <vector>

class CPropertyPage;

class CPropertySheet : public CWnd {
public:
    explicit CPropertySheet(const char* caption = "", CWnd* parent = nullptr, UINT selectPage = 0);
    ~CPropertySheet() override;

    void AddPage(CPropertyPage* page);
    void RemovePage(int index);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const { return m_active; }
    // Leaves the current page (which may refuse) and shows the other.
    BOOL SetActivePage(int index);
    BOOL SetActivePage(CPropertyPage* page);
    void SetTitle(const char* title);
    void SetHelpButton(bool shown) { m_help = shown; }

    INT_PTR DoModal();
    // A child window of parent, without the sheet's buttons.
    BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE, UINT id = 0);
    void EndDialog(int result);

    // The buttons' actions; OK and Apply validate the active page first.
    bool PressOK();
    void PressCancel();
    bool PressApply();
    void OnPageModified();

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool PaintsItself() const override { return false; }
    void OnClose() override;

private:
    bool EnsurePage(int index);
    void TabChanged(int index);

    CString m_caption;
    CWnd* m_pParentWnd;
    std::vector<CPropertyPage*> m_pages;
    int m_active = 0;
    bool m_modal = false;
    bool m_child = false;
    bool m_help = false;
    bool m_switching = false;
    int m_result = IDCANCEL;
};
