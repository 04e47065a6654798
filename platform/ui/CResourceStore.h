// The program's resources: dialogs, menus, strings and bitmaps, read from the text
// resource files that are embedded at build time (resources/*). Format, one statement
// per line, "#" starts a comment, texts in double quotes with \t \n \" \\ escapes:
//
//   dialog <id>
//     caption "<text>"
//     font <points> "<face>"
//     size <width> <height>                       (dialog units)
//     style <word>...                             (child, popup, caption, sysmenu, thickframe)
//     control <kind> <id> "<text>" <x> <y> <w> <h> [<style>...]
//   end
//   menu <id>
//     popup "<text>"
//       item <id> "<text>" [checked] [grayed]
//       separator
//     end
//   end
//   strings
//     <id> "<text>"
//   end
//   bitmap <id> "<file in resources/bitmaps>"
//   cursor <id> "<file in resources/bitmaps>" <hot x> <hot y>
#pragma once

#include "platform/core/CString.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/MenuTemplate.h"

#include <map>
#include <string>
#include <vector>

class CResourceStore {
public:
    // The store filled from the embedded resource files.
    static CResourceStore& Instance();

    // Adds the statements of one resource text; false with the errors when it is bad
    // (nothing of a bad text is kept).
    bool LoadText(const CString& sourceName, const std::string& text, std::vector<CString>* errors = nullptr);
    void AddBitmapData(const CString& fileName, std::string bytes);

    const DialogTemplate* FindDialog(UINT id) const;
    const MenuTemplate* FindMenu(UINT id) const;
    // The ids of every menu, in order.
    std::vector<UINT> GetMenuIds() const;
    const CString* FindString(UINT id) const;
    const std::string* FindBitmapData(UINT id) const;
    // The picture of a cursor resource and its hot spot; null when missing.
    const std::string* FindCursorData(UINT id, int& hotX, int& hotY) const;
    const std::vector<CString>& LoadErrors() const { return m_errors; }

private:
    std::map<UINT, DialogTemplate> m_dialogs;
    std::map<UINT, MenuTemplate> m_menus;
    std::map<UINT, CString> m_strings;
    std::map<UINT, CString> m_bitmapFiles;
    struct CursorEntry {
        CString file;
        int hotX = 0;
        int hotY = 0;
    };
    std::map<UINT, CursorEntry> m_cursors;
    std::map<CString, std::string> m_bitmapData;
    std::vector<CString> m_errors;
};

// A string of the resource string table (empty when missing).
CString LoadResourceString(UINT id);
BOOL LoadString(CString& text, UINT id);
