// The user's notes: one text per symbol, kept in notes.xml.
#pragma once

#include "platform/core/CString.h"

#include <map>

class CNoteMap {
public:
    // An empty text removes the note.
    void SetAt(const CString& symbol, const CString& text);
    bool Lookup(const CString& symbol, CString& text) const;
    bool RemoveKey(const CString& symbol);
    size_t GetCount() const { return m_notes.size(); }
    void RemoveAll() { m_notes.clear(); }
    const std::map<CString, CString>& GetNotes() const { return m_notes; }

    // <Notes><Version>19</Version><Note><Symbol>..</Symbol><Text>..</Text></Note>...</Notes>
    CString ToXml() const;
    // Replaces the notes; false with *error when the text is no notes document or its
    // version is 20 or above (the notes are then left as they were).
    bool FromXml(const CString& xml, CString* error);

private:
    std::map<CString, CString> m_notes;
};
