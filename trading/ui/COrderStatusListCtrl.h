// The order status list: one item per order with a copy of its record; dates, numbers
// and texts sort by their kind of column.
#pragma once

#include "broker/session/COrderStatusRecord.h"
#include "trading/ui/CReportListCtrl.h"

class COrderStatusListCtrl : public CRecordListCtrl<COrderStatusRecord> {
public:
    COrderStatusListCtrl();

protected:
    CString GetFieldText(DWORD_PTR data, int field) const override;
    int CompareRecords(DWORD_PTR first, DWORD_PTR second, int field) const override;
};
