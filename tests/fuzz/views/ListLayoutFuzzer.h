// What the time and sales (".tsl", 8 kinds) and bar (".bl", 7 kinds) layout targets
// share: arbitrary bytes read as a layout file's first line and parsed; the columns are
// each kind at most once, every kind and width in range, and they write back to a text
// that parses to the same columns. The same bytes are then read as the window's workspace
// record: damage ends in an archive error, and a record that reads writes back to one that
// reads the same.
#pragma once

#include "common/services/CLinkState.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"
#include "tests/fuzz/FuzzCheck.h"
#include "views/ListLayout.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <set>
#include <vector>

inline void FuzzListLayout(const uint8_t* data, size_t size, int kinds)
{
    CString text;
    std::FILE* file = size ? fmemopen(const_cast<uint8_t*>(data), size, "rb") : nullptr;
    if (file) {
        const ELayoutFile state = ReadListLayoutLine(file, text);
        std::fclose(file);
        FuzzCheck(state == ELayoutFile::kRead || state == ELayoutFile::kDamaged);
        FuzzCheck(text.GetLength() <= kMaxLayoutLine);
    }
    const std::vector<CListColumn> columns = ParseListLayout(text, kinds);
    FuzzCheck(columns.size() <= static_cast<size_t>(kinds));
    std::set<int> seen;
    for (const CListColumn& column : columns) {
        FuzzCheck(column.kind >= 0 && column.kind < kinds && seen.insert(column.kind).second);
        FuzzCheck(column.width >= 0 && column.width <= kMaxColumnWidth);
    }
    FuzzCheck(ParseListLayout(FormatListLayout(columns), kinds) == columns);
}

// Reads the bytes as a record with read(archive, version, record, links) and checks that
// what was read writes back (write) to bytes that read the same.
template <class Record>
void FuzzRecord(const uint8_t* data, size_t size,
                const std::function<bool(CArchive&, DWORD, Record&, CLinkState&)>& read,
                const std::function<bool(CArchive&, const Record&, const CLinkState&)>& write)
{
    for (DWORD version : {3u, 9u, 19u}) {
        Record record;
        CLinkState links;
        links.SetButtons(true, true);
        bool ok = false;
        try {
            CMemFile file(data, size);
            CArchive ar(&file, CArchive::load);
            ok = read(ar, version, record, links);
        } catch (CException&) {
        }
        if (!ok)
            continue;
        CMemFile out;
        {
            CArchive ar(&out, CArchive::store);
            FuzzCheck(write(ar, record, links));
            ar.Close();
        }
        const std::vector<BYTE> bytes = out.Detach();
        Record again;
        CLinkState linksAgain;
        linksAgain.SetButtons(true, true);
        CMemFile in(bytes.data(), bytes.size());
        CArchive ar(&in, CArchive::load);
        FuzzCheck(read(ar, 19, again, linksAgain) && again == record);
        FuzzCheck(linksAgain.GetSymbolGroup() == links.GetSymbolGroup());
    }
}
