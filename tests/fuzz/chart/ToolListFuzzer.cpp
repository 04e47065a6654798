// Arbitrary bytes read as a pane's stored drawing tools. A damaged list ends in an archive
// error and adds no tool; a list that reads is stored and read again to the same tools.
#include "chart/ui/CDrawingTool.h"
#include "chart/ui/CDrawingToolList.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CToolVector tools;
    try {
        CMemFile file(data, size);
        CArchive ar(&file, CArchive::load);
        LoadToolList(ar, tools);
    } catch (CException&) {
        if (!tools.empty())
            std::abort();
        return 0;
    }
    CMemFile out;
    {
        CArchive ar(&out, CArchive::store);
        StoreToolList(ar, tools);
        ar.Close();
    }
    const std::vector<BYTE> bytes = out.Detach();
    CToolVector again;
    try {
        CMemFile in(bytes.data(), bytes.size());
        CArchive ar(&in, CArchive::load);
        LoadToolList(ar, again);
    } catch (CException&) {
        std::abort();
    }
    if (again.size() != tools.size())
        std::abort();
    for (size_t i = 0; i < tools.size(); ++i)
        if (again[i]->GetTag() != tools[i]->GetTag() || !(again[i]->m_anchor1 == tools[i]->m_anchor1) ||
            !(again[i]->m_anchor2 == tools[i]->m_anchor2) || again[i]->m_nState != tools[i]->m_nState)
            std::abort();
    return 0;
}
