#include "trading/ui/COrderStatusListCtrl.h"

#include "trading/ReportCompare.h"

COrderStatusListCtrl::COrderStatusListCtrl() : CRecordListCtrl(OrderStatusColumns()) {}

CString COrderStatusListCtrl::GetFieldText(DWORD_PTR data, int field) const
{
    return field >= 0 && field < COrderStatusRecord::kFieldCount ? RecordOf(data).m_fields[field] : CString();
}

int COrderStatusListCtrl::CompareRecords(DWORD_PTR first, DWORD_PTR second, int field) const
{
    const CReportColumn* column = FindReportColumn(GetColumnTable(), field);
    if (!column)
        return 0;
    return CompareReportCells(RecordOf(first).m_fields[field], RecordOf(second).m_fields[field], column->sort);
}
