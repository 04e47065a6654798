#include "chart/ui/CDrawingToolList.h"

#include "chart/ui/CNoteTool.h"
#include "chart/ui/CRegressionTool.h"
#include "chart/ui/CRetracementTool.h"
#include "chart/ui/CTrendLineTool.h"
#include "chart/ui/ChartIds.h"
#include "common/services/CAppSettings.h"

CDrawingToolList::CDrawingToolList() = default;
CDrawingToolList::~CDrawingToolList() = default;

void CDrawingToolList::Select(const CString& symbol)
{
    CString key = symbol;
    key.MakeUpper();
    m_key = key;
    if (key.IsEmpty()) {
        m_unnamed.clear();
        m_pCurrent = &m_unnamed;
        return;
    }
    m_pCurrent = &m_lists[key.str()];
}

void CDrawingToolList::Clear()
{
    m_lists.clear();
    m_unnamed.clear();
    m_pCurrent = &m_unnamed;
    if (!m_key.IsEmpty())
        m_pCurrent = &m_lists[m_key.str()];
}

namespace {

const CDrawingToolDefaults& Defaults()
{
    static const CDrawingToolDefaults fallback;
    const CAppSettings* settings = CAppSettings::Instance();
    return settings ? settings->m_drawingDefaults : fallback;
}

} // namespace

std::unique_ptr<CDrawingTool> CreateToolForCommand(unsigned int command)
{
    const CDrawingToolDefaults& d = Defaults();
    switch (command) {
    case kCmdSegment: return std::make_unique<CTrendLineTool>(kTagSegment, d.segment);
    case kCmdRay: return std::make_unique<CTrendLineTool>(kTagRay, d.ray);
    case kCmdLine: return std::make_unique<CTrendLineTool>(kTagLine, d.line);
    case kCmdRegression: return std::make_unique<CRegressionTool>(d.regression);
    case kCmdRetracement: return std::make_unique<CRetracementTool>(d.retracement);
    case kCmdNote: return std::make_unique<CNoteTool>(d.note);
    default: return nullptr;
    }
}

std::unique_ptr<CDrawingTool> CreateToolForTag(unsigned long tag)
{
    const CDrawingToolDefaults& d = Defaults();
    switch (tag) {
    case kTagSegment: return std::make_unique<CTrendLineTool>(kTagSegment, d.segment);
    case kTagRay: return std::make_unique<CTrendLineTool>(kTagRay, d.ray);
    case kTagLine: return std::make_unique<CTrendLineTool>(kTagLine, d.line);
    case kTagRegression: return std::make_unique<CRegressionTool>(d.regression);
    case kTagRetracement: return std::make_unique<CRetracementTool>(d.retracement);
    case kTagNote: return std::make_unique<CNoteTool>(d.note);
    default: return nullptr;
    }
}

void StoreToolList(CArchive& ar, const CToolVector& tools)
{
    std::vector<CStoredTool> stored(tools.size());
    for (size_t i = 0; i < tools.size(); ++i)
        tools[i]->ToStored(stored[i]);
    StoreToolRecords(ar, stored);
}

void LoadToolList(CArchive& ar, CToolVector& tools)
{
    std::vector<CStoredTool> stored;
    LoadToolRecords(ar, stored);
    for (const CStoredTool& record : stored) {
        std::unique_ptr<CDrawingTool> tool = CreateToolForTag(record.tag);
        tool->FromStored(record);
        tools.push_back(std::move(tool));
    }
}
