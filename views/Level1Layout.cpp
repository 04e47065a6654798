#include "views/Level1Layout.h"

#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CFile.h"
#include "platform/core/CFileException.h"
#include "platform/core/CSafeFile.h"

#include <algorithm>

namespace {

constexpr UINT kMinColumnBytes = 4 + 4 + 4 + 4;

void ReadRules(CArchive& ar, bool colorField, std::vector<CColorRule>& rules)
{
    const DWORD count = ar.ReadBoundedCount(colorField ? 4 + 8 + 4 : 4 + 8 + 4 + 4);
    rules.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        DWORD comparison = 0;
        CColorRule rule;
        ar >> comparison >> rule.threshold;
        if (comparison >= static_cast<DWORD>(kRuleComparisonCount))
            throw CArchiveException(CArchiveException::badIndex);
        rule.comparison = static_cast<int>(comparison);
        DWORD first = 0, second = 0;
        ar >> first;
        if (!colorField)
            ar >> second;
        rule.first = first;
        rule.second = second;
        rules.push_back(rule);
    }
}

} // namespace

void ReadColumnBlock(CArchive& ar, DWORD version, std::vector<CLayoutColumn>& out)
{
    const DWORD count = ar.ReadBoundedCount(kMinColumnBytes);
    for (DWORD i = 0; i < count; ++i) {
        CLayoutColumn stored;
        CGridColumn& c = stored.column;
        int fieldId = 0, width = 0, barCount = 0;
        ar >> fieldId >> width >> barCount;
        if (fieldId != kCustomFieldId && !IsGridFieldId(fieldId))
            throw CArchiveException(CArchiveException::badIndex);
        c.fieldId = fieldId;
        stored.width = std::clamp(width, 0, kMaxLayoutColumnWidth);
        if (fieldId == kCustomFieldId)
            ar >> c.name >> c.formula;
        const bool numberColumn = barCount == -1;
        if (numberColumn) {
            int alignment = 0, fixed = 0, decimals = 2;
            ar >> alignment >> fixed >> decimals;
            c.alignment = alignment >= kAlignLeft && alignment <= kAlignRight ? alignment : kAlignLeft;
            c.fixedDecimals = fixed ? 1 : 0;
            c.decimals = std::clamp(decimals, 0, kMaxColumnDecimals);
            if (version >= kFirstVersionWithAlerts)
                for (CColumnAlertState& state : c.alerts) {
                    int on = 0;
                    ar >> on >> state.displayText >> state.soundFile;
                    state.alertOn = on ? 1 : 0;
                }
        }
        ReadRules(ar, !numberColumn, c.rules);
        // Only custom columns draw boxes; a box count of 0 or less still draws one box.
        c.barCount = numberColumn || !c.IsCustom() ? -1 : std::clamp(barCount, 1, kMaxColorBoxes);
        out.push_back(std::move(stored));
    }
}

void WriteColumnBlock(CArchive& ar, const std::vector<CLayoutColumn>& columns)
{
    ar << static_cast<DWORD>(columns.size());
    for (const CLayoutColumn& stored : columns) {
        const CGridColumn& c = stored.column;
        const bool colorField = c.IsColorField();
        ar << c.fieldId << stored.width << (colorField ? c.barCount : -1);
        if (c.IsCustom())
            ar << c.name << c.formula;
        if (!colorField) {
            ar << c.alignment << c.fixedDecimals << c.decimals;
            for (const CColumnAlertState& state : c.alerts)
                ar << state.alertOn << state.displayText << state.soundFile;
        }
        ar << static_cast<DWORD>(c.rules.size());
        for (const CColorRule& rule : c.rules) {
            ar << static_cast<DWORD>(rule.comparison) << rule.threshold << static_cast<DWORD>(rule.first);
            if (!colorField)
                ar << static_cast<DWORD>(rule.second);
        }
    }
}

ELayoutRead ReadLayoutFile(const CString& path, std::vector<CLayoutColumn>& out, CString& message)
{
    out.clear();
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite)) {
        message = "Error reading layout " + path;
        return ELayoutRead::kCannotOpen;
    }
    try {
        CArchive ar(&file, CArchive::load);
        DWORD version = 0;
        ar >> version;
        if (version >= 20) {
            message.Format("Error reading layout %s: incompatible version (v%d).\nPlease upgrade to the latest "
                           "version of Quorvantelix.",
                           path.GetString(), static_cast<int>(version));
            return ELayoutRead::kIncompatible;
        }
        ReadColumnBlock(ar, version, out);
    } catch (CException&) {
        message = "Error reading layout " + path + ": the file is damaged.";
        return ELayoutRead::kDamaged;
    }
    return ELayoutRead::kLoaded;
}

bool WriteLayoutFile(const CString& path, const std::vector<CLayoutColumn>& columns, CString& message)
{
    const bool ok = SaveFileSafely(path, [&](CArchive& ar) {
        ar << kLayoutVersion;
        WriteColumnBlock(ar, columns);
    });
    if (!ok)
        message = "Error saving layout to " + path;
    return ok;
}
