#include "views/CGridColumn.h"

#include <algorithm>

CString CGridColumn::HeaderText() const
{
    return IsCustom() ? name : CString(GridColumnName(fieldId));
}

CGridColumn MakeCatalogueColumn(int fieldId)
{
    CGridColumn column;
    column.fieldId = fieldId;
    column.alignment = IsTextGridField(fieldId) ? kAlignLeft : kAlignRight;
    return column;
}

CGridColumn MakeCustomFieldColumn(const CString& name, const CString& formula)
{
    CGridColumn column;
    column.fieldId = kCustomFieldId;
    column.name = name;
    column.formula = formula;
    column.alignment = kAlignRight;
    return column;
}

CGridColumn MakeColorFieldColumn(const CString& name, const CString& formula, int boxes,
                                 const std::vector<CColorRule>& rules)
{
    CGridColumn column;
    column.fieldId = kCustomFieldId;
    column.barCount = std::clamp(boxes, 1, kMaxColorBoxes);
    column.name = name;
    column.formula = formula;
    column.rules = rules;
    return column;
}
