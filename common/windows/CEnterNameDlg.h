// "Enter New Name": one name; the caller sets and reads m_name around DoModal.
#pragma once

#include "platform/ui/CDialog.h"

class CEnterNameDlg : public CDialog {
public:
    explicit CEnterNameDlg(const char* name = "", CWnd* parent = nullptr);
    void DoDataExchange(CDataExchange* dx) override;

    CString m_name;
};
