// The drawing tools of a pane, one list per symbol (upper case), and the list of the
// chart's current symbol.
#pragma once

#include "platform/core/CString.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class CArchive;
class CDrawingTool;

using CToolVector = std::vector<std::unique_ptr<CDrawingTool>>;

class CDrawingToolList {
public:
    CDrawingToolList();
    ~CDrawingToolList();

    CToolVector& Current() { return *m_pCurrent; }
    const CString& CurrentKey() const { return m_key; }
    // The list of the symbol (made empty when missing); an empty symbol selects the
    // pane's own unnamed list, emptied.
    void Select(const CString& symbol);
    // Empties and deletes every symbol's list.
    void Clear();
    std::map<std::string, CToolVector>& Lists() { return m_lists; }

private:
    std::map<std::string, CToolVector> m_lists;
    CToolVector m_unnamed;
    CToolVector* m_pCurrent = &m_unnamed;
    CString m_key;
};

// The tool of a command (34268-34274, not the pointer) with the default settings.
std::unique_ptr<CDrawingTool> CreateToolForCommand(unsigned int command);
// The tool of a stored tag (0-5) with default settings; null for an unknown tag.
std::unique_ptr<CDrawingTool> CreateToolForTag(unsigned long tag);
// A tool list's stored form (CStoredTool): DWORD count, then per tool its tag and form.
void StoreToolList(CArchive& ar, const CToolVector& tools);
// Appends the tools of a stored list, all or none; a damaged list throws an archive
// error.
void LoadToolList(CArchive& ar, CToolVector& tools);
