#include "chart/CStoredTool.h"

#include "platform/core/CArchive.h"
#include "platform/core/CException.h"

#include <cmath>

namespace {

// A tool takes at least its tag and the 32 bytes of anchors and state.
constexpr UINT kMinToolBytes = 36;

bool IsLineTag(EToolTag tag)
{
    return tag == kTagSegment || tag == kTagRay || tag == kTagLine;
}

[[noreturn]] void Refuse()
{
    throw CArchiveException(CArchiveException::badSchema);
}

void RequireFinite(double value)
{
    if (!std::isfinite(value))
        Refuse();
}

int ReadThickness(CArchive& ar)
{
    DWORD thickness = 0;
    ar >> thickness;
    if (thickness > kMaxStoredThickness)
        Refuse();
    return static_cast<int>(thickness);
}

COLORREF ReadColor(CArchive& ar)
{
    DWORD color = 0;
    ar >> color;
    return color;
}

void StoreRegression(CArchive& ar, const CRegressionSettings& s)
{
    ar << static_cast<DWORD>(s.lineColor) << static_cast<DWORD>(s.lineThickness) << static_cast<DWORD>(s.upperColor)
       << static_cast<DWORD>(s.upperThickness) << static_cast<DWORD>(s.lowerColor)
       << static_cast<DWORD>(s.lowerThickness) << s.displayBits << static_cast<DWORD>(s.sourceField)
       << s.upperStdDevs << s.lowerStdDevs;
}

CRegressionSettings LoadRegression(CArchive& ar)
{
    CRegressionSettings s;
    s.lineColor = ReadColor(ar);
    s.lineThickness = ReadThickness(ar);
    s.upperColor = ReadColor(ar);
    s.upperThickness = ReadThickness(ar);
    s.lowerColor = ReadColor(ar);
    s.lowerThickness = ReadThickness(ar);
    DWORD source = 0;
    ar >> s.displayBits >> source >> s.upperStdDevs >> s.lowerStdDevs;
    if (source > 3)
        Refuse();
    RequireFinite(s.upperStdDevs);
    RequireFinite(s.lowerStdDevs);
    s.sourceField = static_cast<int>(source);
    return s;
}

void StoreRetracement(CArchive& ar, const CRetracementSettings& s)
{
    ar << static_cast<DWORD>(s.anchorColor) << static_cast<DWORD>(s.anchorThickness)
       << static_cast<DWORD>(s.verticalColor) << static_cast<DWORD>(s.verticalThickness);
    for (const CRetracementLevel& level : s.levels)
        ar << static_cast<DWORD>(level.color) << static_cast<DWORD>(level.thickness) << level.percent;
    ar << s.displayBits << s.alertBits << static_cast<DWORD>(s.extendForever ? 1 : 0) << s.extension;
}

CRetracementSettings LoadRetracement(CArchive& ar)
{
    CRetracementSettings s;
    s.anchorColor = ReadColor(ar);
    s.anchorThickness = ReadThickness(ar);
    s.verticalColor = ReadColor(ar);
    s.verticalThickness = ReadThickness(ar);
    for (CRetracementLevel& level : s.levels) {
        level.color = ReadColor(ar);
        level.thickness = ReadThickness(ar);
        ar >> level.percent;
        RequireFinite(level.percent);
    }
    DWORD extendForever = 0;
    ar >> s.displayBits >> s.alertBits >> extendForever >> s.extension;
    RequireFinite(s.extension);
    s.extendForever = extendForever != 0;
    return s;
}

} // namespace

bool CStoredTool::operator==(const CStoredTool& other) const
{
    if (tag != other.tag || !(anchor1 == other.anchor1) || !(anchor2 == other.anchor2) || state != other.state ||
        following != other.following)
        return false;
    switch (tag) {
    case kTagRegression: return regression == other.regression;
    case kTagRetracement: return retracement == other.retracement;
    case kTagNote: return note == other.note;
    default: return line == other.line;
    }
}

void StoreTool(CArchive& ar, const CStoredTool& tool)
{
    ar << static_cast<DWORD>(tool.tag) << tool.anchor1.time << tool.anchor1.price << tool.anchor2.time
       << tool.anchor2.price << tool.state << tool.following;
    if (IsLineTag(tool.tag))
        ar << static_cast<DWORD>(tool.line.color) << static_cast<DWORD>(tool.line.thickness);
    else if (tool.tag == kTagRegression)
        StoreRegression(ar, tool.regression);
    else if (tool.tag == kTagRetracement)
        StoreRetracement(ar, tool.retracement);
    else if (tool.tag == kTagNote)
        ar << static_cast<DWORD>(tool.note.color) << static_cast<DWORD>(tool.note.minimized ? 1 : 0)
           << tool.note.text;
}

CStoredTool LoadTool(CArchive& ar)
{
    CStoredTool tool;
    DWORD tag = 0;
    ar >> tag;
    if (tag > kTagNote)
        Refuse();
    tool.tag = static_cast<EToolTag>(tag);
    ar >> tool.anchor1.time >> tool.anchor1.price >> tool.anchor2.time >> tool.anchor2.price >> tool.state >>
        tool.following;
    RequireFinite(tool.anchor1.price);
    RequireFinite(tool.anchor2.price);
    if (tool.state > kToolRemoved)
        Refuse();
    tool.following = tool.following ? 1 : 0;
    if (IsLineTag(tool.tag)) {
        tool.line.color = ReadColor(ar);
        tool.line.thickness = ReadThickness(ar);
    } else if (tool.tag == kTagRegression) {
        tool.regression = LoadRegression(ar);
    } else if (tool.tag == kTagRetracement) {
        tool.retracement = LoadRetracement(ar);
    } else {
        DWORD minimized = 0;
        tool.note.color = ReadColor(ar);
        ar >> minimized >> tool.note.text;
        tool.note.minimized = minimized != 0;
    }
    return tool;
}

void StoreToolRecords(CArchive& ar, const std::vector<CStoredTool>& tools)
{
    ar << static_cast<DWORD>(tools.size());
    for (const CStoredTool& tool : tools)
        StoreTool(ar, tool);
}

void LoadToolRecords(CArchive& ar, std::vector<CStoredTool>& tools)
{
    const DWORD count = ar.ReadBoundedCount(kMinToolBytes);
    std::vector<CStoredTool> read;
    read.reserve(count);
    for (DWORD i = 0; i < count; ++i)
        read.push_back(LoadTool(ar));
    tools.insert(tools.end(), read.begin(), read.end());
}
