// One column of the quote grid: a catalogue field or a custom column (a formula shown as
// a number or a text per truth state, or as a strip of colour boxes), with its
// appearance and the alert states of a custom field.
#pragma once

#include "views/ColorRule.h"
#include "views/GridColumnCatalogue.h"

#include <vector>

enum EColumnAlignment : int { kAlignLeft = 0, kAlignCenter = 1, kAlignRight = 2 };

inline constexpr int kMaxColumnDecimals = 10;
// Colour boxes of a colour field.
inline constexpr int kMaxColorBoxes = 100;

// What a custom field does when its value is 0 (index 0) or not 0 (index 1).
struct CColumnAlertState {
    int alertOn = 0;
    CString displayText;
    CString soundFile;

    bool operator==(const CColumnAlertState&) const = default;
};

struct CGridColumn {
    int fieldId = 0;    // catalogue id, or kCustomFieldId
    int barCount = -1;  // -1 a number column, n > 0 a colour field of n boxes
    CString name;
    CString formula;
    std::vector<CColorRule> rules;
    int alignment = kAlignLeft;
    int fixedDecimals = 0;
    int decimals = 2;
    CColumnAlertState alerts[2];

    bool IsCustom() const { return fieldId == kCustomFieldId; }
    bool IsColorField() const { return IsCustom() && barCount > 0; }
    bool IsNumberColumn() const { return !IsColorField(); }
    bool HasAlerts() const { return IsCustom() && !IsColorField() && (alerts[0].alertOn || alerts[1].alertOn); }
    // The catalogue name, or the custom column's name.
    CString HeaderText() const;

    bool operator==(const CGridColumn&) const = default;
};

// A catalogue column as the add-column commands make it (text columns left, numbers right).
CGridColumn MakeCatalogueColumn(int fieldId);
// A custom field (number column) and a colour field of that many boxes.
CGridColumn MakeCustomFieldColumn(const CString& name, const CString& formula);
CGridColumn MakeColorFieldColumn(const CString& name, const CString& formula, int boxes,
                                 const std::vector<CColorRule>& rules);
