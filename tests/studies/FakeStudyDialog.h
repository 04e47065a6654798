// A study dialog without windows: every control exists unless marked missing; colour
// combos hold a selected colour or nothing; messages and focus are recorded.
#pragma once

#include "studies/IStudyDialog.h"
#include "studies/StudyParams.h"

#include <map>
#include <optional>
#include <set>
#include <vector>

class CFakeStudyDialog : public IStudyDialog {
public:
    bool HasControl(int id) const override { return !missing.count(id); }
    CString GetText(int id) const override
    {
        auto it = texts.find(id);
        return HasControl(id) && it != texts.end() ? it->second : CString();
    }
    void SetText(int id, const CString& text) override { texts[id] = text; }
    bool IsChecked(int id) const override
    {
        auto it = checks.find(id);
        return HasControl(id) && it != checks.end() && it->second;
    }
    void SetChecked(int id, bool checked) override { checks[id] = checked; }

    bool GetSelectedColor(int id, COLORREF& color) const override
    {
        auto it = colors.find(id);
        if (!HasControl(id) || it == colors.end() || !it->second)
            return false;
        color = *it->second;
        return true;
    }
    bool FillColors(int id, COLORREF color) override
    {
        if (!HasControl(id))
            return false;
        colors[id] = color;
        return true;
    }

    void ResetCombo(int id) override
    {
        comboItems[id].clear();
        comboSelection.erase(id);
    }
    void AddComboItem(int id, const CString& text) override { comboItems[id].push_back(text); }
    void SelectComboItem(int id, int index) override { comboSelection[id] = index; }
    bool GetComboSelection(int id, CString& text) const override
    {
        auto sel = comboSelection.find(id);
        auto items = comboItems.find(id);
        if (sel == comboSelection.end() || items == comboItems.end() || sel->second < 0 ||
            sel->second >= static_cast<int>(items->second.size()))
            return false;
        text = items->second[static_cast<size_t>(sel->second)];
        return true;
    }

    void ShowMessage(const CString& text) override { messages.push_back(text); }
    void FocusDialog() override { focus = 0; }
    void FocusControl(int id) override { focus = id; }

    std::set<int> missing;
    std::map<int, CString> texts;
    std::map<int, bool> checks;
    std::map<int, std::optional<COLORREF>> colors;
    std::map<int, std::vector<CString>> comboItems;
    std::map<int, int> comboSelection;
    std::vector<CString> messages;
    int focus = -1;  // 0 for the dialog window itself
};
