#include "views/SnapshotFields.h"

#include "broker/session/QuoteFields.h"
#include "platform/core/CArchive.h"

#include <algorithm>

namespace {

constexpr int kMaxValueText = 30;
constexpr UINT kStoredIdBytes = 4;

} // namespace

int TickModeOfField(int fieldId)
{
    switch (fieldId) {
    case kFieldHigh:
    case kFieldLow:
    case kFieldLast:
    case kFieldBid:
    case kFieldAsk:
        return kTickAgainstPrevious;
    case kFieldChange:
    case kFieldPercentChange:
        return kTickAgainstZero;
    default:
        return kTickNever;
    }
}

CSnapshotField MakeSnapshotField(int fieldId)
{
    CSnapshotField field;
    field.fieldId = fieldId;
    field.tickMode = TickModeOfField(fieldId);
    return field;
}

void UpdateSnapshotField(CSnapshotField& field, std::optional<double> value, const std::optional<CString>& text)
{
    field.tickDirection = kTickFlat;
    if (value) {
        if (field.tickMode == kTickAgainstZero) {
            field.tickDirection = *value > 0 ? kTickUp : *value < 0 ? kTickDown : kTickFlat;
        } else if (field.tickMode == kTickAgainstPrevious && field.previousValue != 0.0) {
            field.tickDirection = *value > field.previousValue   ? kTickUp
                                  : *value < field.previousValue ? kTickDown
                                                                 : kTickFlat;
        }
        field.previousValue = *value;
    }
    if (!text) {
        field.valueText = "n/a";
        return;
    }
    CString shown = *text;
    if (field.fieldId == kFieldSymbol || field.fieldId == kFieldExchange) {
        const int colon = shown.Find(':');
        if (colon >= 0)
            shown = shown.Mid(colon + 1);
    }
    field.valueText = shown.GetLength() > kMaxValueText ? shown.Left(kMaxValueText) : shown;
}

CString SnapshotLabel(int fieldId, bool abbreviated)
{
    return CString(abbreviated ? QuoteFieldAbbreviation(fieldId) : QuoteFieldName(fieldId)) + ":";
}

CSnapshotFieldSet CSnapshotFieldSet::Defaults()
{
    CSnapshotFieldSet set;
    for (const int id : {kFieldLast, kFieldBid, kFieldAsk, kFieldHigh, kFieldLow, kFieldVolume})
        set.fields.push_back(MakeSnapshotField(id));
    return set;
}

int CSnapshotFieldSet::IndexOf(int fieldId) const
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].fieldId == fieldId)
            return static_cast<int>(i);
    return -1;
}

bool CSnapshotFieldSet::operator==(const CSnapshotFieldSet& other) const
{
    return vertical == other.vertical && abbreviated == other.abbreviated &&
           std::equal(fields.begin(), fields.end(), other.fields.begin(), other.fields.end(),
                      [](const CSnapshotField& a, const CSnapshotField& b) { return a.fieldId == b.fieldId; });
}

namespace {

int WidestLabel(const CSnapshotFieldSet& set)
{
    int widest = 0;
    for (const CSnapshotField& f : set.fields)
        widest = std::max(widest, f.labelWidth);
    return widest;
}

int WidestValue(const CSnapshotFieldSet& set)
{
    int widest = 0;
    for (const CSnapshotField& f : set.fields)
        widest = std::max(widest, f.valueWidth);
    return widest;
}

} // namespace

CSize LayOutSnapshotFields(CSnapshotFieldSet& set, int rowHeight, const TextWidthFn& textWidth)
{
    if (set.fields.empty())
        return CSize(textWidth("None") + 4, rowHeight);
    int sum = 0;
    for (CSnapshotField& f : set.fields) {
        f.labelWidth = textWidth(SnapshotLabel(f.fieldId, set.abbreviated)) + 2;
        f.valueWidth = textWidth(f.valueText) + 6;
        sum += f.labelWidth + f.valueWidth;
    }
    const int rows = static_cast<int>(set.fields.size());
    if (set.vertical)
        return CSize(WidestLabel(set) + WidestValue(set), rows * rowHeight);
    return CSize(sum, rowHeight);
}

CSnapshotBoxes SnapshotFieldBoxes(const CSnapshotFieldSet& set, int index, int rowHeight)
{
    CSnapshotBoxes boxes;
    if (index < 0 || index >= static_cast<int>(set.fields.size()))
        return boxes;
    const CSnapshotField& field = set.fields[static_cast<size_t>(index)];
    if (set.vertical) {
        const int top = index * rowHeight;
        const int labelRight = WidestLabel(set);
        boxes.label = CRect(0, top, labelRight, top + rowHeight);
        boxes.value = CRect(labelRight, top, labelRight + WidestValue(set), top + rowHeight);
        return boxes;
    }
    int left = 0;
    for (int i = 0; i < index; ++i)
        left += set.fields[static_cast<size_t>(i)].labelWidth + set.fields[static_cast<size_t>(i)].valueWidth;
    boxes.label = CRect(left, 0, left + field.labelWidth, rowHeight);
    boxes.value = CRect(boxes.label.right, 0, boxes.label.right + field.valueWidth, rowHeight);
    return boxes;
}

int HitTestSnapshotField(const CSnapshotFieldSet& set, int rowHeight, CPoint point)
{
    const int count = static_cast<int>(set.fields.size());
    if (count == 0)
        return -1;
    if (set.vertical)
        return std::clamp(rowHeight > 0 ? point.y / rowHeight : 0, 0, count - 1);
    int right = 0;
    for (int i = 0; i < count; ++i) {
        right += set.fields[static_cast<size_t>(i)].labelWidth + set.fields[static_cast<size_t>(i)].valueWidth;
        if (right > point.x)
            return i;
    }
    return count - 1;
}

void StoreSnapshotFieldSet(CArchive& ar, const CSnapshotFieldSet& set)
{
    ar << static_cast<DWORD>(set.abbreviated ? 1 : 0) << static_cast<DWORD>(set.vertical ? 1 : 0)
       << static_cast<DWORD>(set.fields.size());
    for (const CSnapshotField& f : set.fields)
        ar << static_cast<DWORD>(f.fieldId);
}

void LoadSnapshotFieldSet(CArchive& ar, CSnapshotFieldSet& set)
{
    DWORD abbreviated = 0, vertical = 0;
    ar >> abbreviated >> vertical;
    const DWORD count = ar.ReadBoundedCount(kStoredIdBytes);
    CSnapshotFieldSet loaded;
    loaded.abbreviated = abbreviated != 0;
    loaded.vertical = vertical != 0;
    for (DWORD i = 0; i < count; ++i) {
        DWORD id = 0;
        ar >> id;
        if (id >= static_cast<DWORD>(kQuoteFieldCount))
            throw CArchiveException(CArchiveException::badIndex);
        if (loaded.IndexOf(static_cast<int>(id)) < 0)
            loaded.fields.push_back(MakeSnapshotField(static_cast<int>(id)));
    }
    set = std::move(loaded);
}

void StorePanelPosition(CArchive& ar, CPoint topLeft)
{
    ar << static_cast<int>(topLeft.x) << static_cast<int>(topLeft.y);
}

bool LoadPanelPosition(CArchive& ar, DWORD version, CPoint& topLeft)
{
    if (version < kFirstLayoutWithPanelPosition)
        return false;
    int x = 0, y = 0;
    ar >> x >> y;
    topLeft = CPoint(x, y);
    return true;
}

COLORREF LabelBoxColor(COLORREF face)
{
    const auto less30 = [](int c) { return static_cast<BYTE>((c - 30 + 256) % 256); };
    return RGB(less30(GetRValue(face)), less30(GetGValue(face)), less30(GetBValue(face)));
}
