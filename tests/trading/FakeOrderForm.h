// An order form without a display: controls kept in memory by id, the questions answered
// from a script, and a trading host that records what would go to the broker.
#pragma once

#include "common/services/CAppSettings.h"
#include "trading/IOrderFormControls.h"
#include "trading/ITradingHost.h"
#include "trading/OrderFormIds.h"

#include <map>
#include <optional>
#include <set>
#include <vector>

class CFakeOrderControls : public IOrderFormControls {
public:
    struct Control {
        bool shown = true;
        bool enabled = true;
        bool checked = false;
        CString text;
        std::vector<CString> items;
        int selection = -1;
        double minimum = 0, maximum = 0, step = 0;
        int decimals = -1;
    };

    // The controls of a page with that many legs (1: the Stock and Option pages).
    explicit CFakeOrderControls(int legs)
    {
        for (int leg = 0; leg < legs; ++leg)
            for (UINT base : order_ids::kLegControls)
                m_controls[base + static_cast<UINT>(leg)];
        using namespace order_ids;
        for (UINT id : {kPlace, kClear, kSave, kDisclaimer, kAccountLabel, kAccount, kAccounts, kPageFrame})
            m_controls[id];
        if (legs > 1)
            for (UINT id : {kStockRadio, kOptionRadio, kConditionalType, kConditionalTypeLabel})
                m_controls[id];
    }

    Control& operator[](UINT id) { return m_controls.at(id); }
    // What a user does: types into an edit, picks a combo item by its text.
    void Type(UINT id, const char* text) { m_controls.at(id).text = text; }
    bool Pick(UINT id, const char* text)
    {
        Control& c = m_controls.at(id);
        for (size_t i = 0; i < c.items.size(); ++i)
            if (c.items[i] == text) {
                c.selection = static_cast<int>(i);
                return true;
            }
        return false;
    }
    CString Selected(UINT id) const { return GetControlText(id); }

    bool HasControl(UINT id) const override { return m_controls.count(id) != 0; }
    void ShowControl(UINT id, bool shown) override
    {
        if (auto* c = Find(id))
            c->shown = shown;
    }
    bool IsControlShown(UINT id) const override
    {
        const auto it = m_controls.find(id);
        return it != m_controls.end() && it->second.shown;
    }
    void EnableControl(UINT id, bool enabled) override
    {
        if (auto* c = Find(id))
            c->enabled = enabled;
    }
    bool IsControlEnabled(UINT id) const override
    {
        const auto it = m_controls.find(id);
        return it != m_controls.end() && it->second.enabled;
    }
    void SetControlText(UINT id, const CString& text) override
    {
        if (auto* c = Find(id))
            c->text = text;
    }
    CString GetControlText(UINT id) const override
    {
        const auto it = m_controls.find(id);
        if (it == m_controls.end())
            return CString();
        const Control& c = it->second;
        if (c.selection >= 0 && c.selection < static_cast<int>(c.items.size()))
            return c.items[static_cast<size_t>(c.selection)];
        return c.text;
    }
    void FocusControl(UINT id) override { focused = id; }
    void SetCheck(UINT id, bool checked) override
    {
        if (auto* c = Find(id))
            c->checked = checked;
    }
    bool GetCheck(UINT id) const override
    {
        const auto it = m_controls.find(id);
        return it != m_controls.end() && it->second.checked;
    }
    void SetComboItems(UINT id, const std::vector<CString>& items) override
    {
        if (auto* c = Find(id)) {
            c->items = items;
            c->selection = -1;
            c->text.Empty();
        }
    }
    std::vector<CString> GetComboItems(UINT id) const override
    {
        const auto it = m_controls.find(id);
        return it == m_controls.end() ? std::vector<CString>() : it->second.items;
    }
    int GetComboSelection(UINT id) const override
    {
        const auto it = m_controls.find(id);
        return it == m_controls.end() ? -1 : it->second.selection;
    }
    void SetComboSelection(UINT id, int index) override
    {
        if (auto* c = Find(id))
            c->selection = index >= 0 && index < static_cast<int>(c->items.size()) ? index : -1;
    }
    void SetSpinRange(UINT id, double minimum, double maximum, double step) override
    {
        if (auto* c = Find(id)) {
            c->minimum = minimum;
            c->maximum = maximum;
            c->step = step;
        }
    }
    void SetSpinDecimals(UINT id, int decimals, bool) override
    {
        if (auto* c = Find(id))
            c->decimals = decimals;
    }
    void ShowMessage(const CString& text) override { messages.push_back(text); }
    int ChoosePriceSource(UINT, int checkedItem) override
    {
        lastChecked = checkedItem;
        return priceSourceChoice;
    }
    bool EditPriceOffset(int& source, double& offset) override
    {
        if (!offsetAnswer)
            return false;
        source = offsetAnswer->first;
        offset = offsetAnswer->second;
        return true;
    }
    bool ChooseAccounts(int& mode, std::vector<CString>& names) override
    {
        if (!accountsAnswer)
            return false;
        mode = accountsAnswer->first;
        names = accountsAnswer->second;
        return true;
    }
    void OpenOptionChain() override { ++optionChains; }
    void OpenDisclaimer() override { ++disclaimers; }
    bool IsSheetModal() const override { return modal; }
    void CloseSheet(bool ok) override { closed.push_back(ok); }
    void LegsInUseChanged() override { ++resizes; }
    CWnd* GetOwnerWindow() override { return nullptr; }
    std::function<void(int)> QuoteNotifier() override
    {
        return [this](int leg) { quoteNotices.push_back(leg); };
    }

    std::vector<CString> messages;
    UINT focused = 0;
    int priceSourceChoice = -1;
    int lastChecked = -1;
    std::optional<std::pair<int, double>> offsetAnswer;
    std::optional<std::pair<int, std::vector<CString>>> accountsAnswer;
    int optionChains = 0;
    int disclaimers = 0;
    bool modal = false;
    std::vector<bool> closed;
    int resizes = 0;
    std::vector<int> quoteNotices;

private:
    Control* Find(UINT id)
    {
        const auto it = m_controls.find(id);
        return it == m_controls.end() ? nullptr : &it->second;
    }
    std::map<UINT, Control> m_controls;
};

// A trading host that answers from a script and keeps every request.
class CRecordingTradingHost : public ITradingHost {
public:
    struct Submission {
        std::vector<COrderLeg> legs;
        int securityKind;
        int conditionalType;
        int place;
        CString source;
        CString account;
    };

    bool AskYesNo(const CString& text, CWnd*) override
    {
        questions.push_back(text);
        return answerYes;
    }
    void ShowMessage(const CString& text, CWnd*) override { messages.push_back(text); }
    void GetTargetAccounts(int mode, const std::vector<CString>& names, std::vector<CAccountInfo>& out) const override
    {
        out.clear();
        if (mode == 0 && !accounts.empty())
            out.push_back(accounts.front());
        if (mode == 1)
            out = accounts;
        if (mode == 2)
            for (const CAccountInfo& a : accounts)
                for (const CString& name : names)
                    if (a.name.CompareNoCase(name) == 0)
                        out.push_back(a);
    }
    CString GetAccountListText(int mode, const std::vector<CString>& names, int flag) const override
    {
        if (mode == 0)
            return flag == 0 || accounts.empty() ? CString("Active") : accounts.front().name;
        std::vector<CAccountInfo> chosen;
        GetTargetAccounts(mode, names, chosen);
        CString text;
        for (const CAccountInfo& a : chosen)
            text += (text.IsEmpty() ? "" : ", ") + a.name;
        return text;
    }
    std::vector<CAccountInfo> GetSessionAccounts() const override { return accounts; }
    bool SubmitOrder(const std::vector<COrderLeg>& legs, int securityKind, int conditionalType, int place,
                     const char* sourceTag, const CString& accountNumber, CString& error) override
    {
        submissions.push_back({legs, securityKind, conditionalType, place, sourceTag, accountNumber});
        const auto it = failures.find(accountNumber.str());
        if (it == failures.end())
            return true;
        error = it->second;
        return false;
    }
    bool EditOrder(const COrderLeg& record, int, CWnd*, CString& error) override
    {
        edits.push_back(record);
        error = editError;
        return editError.IsEmpty();
    }

    std::vector<CAccountInfo> accounts = {{"10000001", "Individual", false}, {"10000002", "IRA", true}};
    bool answerYes = true;
    std::map<std::string, CString> failures;  // account number -> error text
    CString editError;
    std::vector<CString> questions;
    std::vector<CString> messages;
    std::vector<Submission> submissions;
    std::vector<COrderLeg> edits;
};

// Settings and a host installed for a test's lifetime.
class CTradingTestEnvironment {
public:
    CTradingTestEnvironment() : m_hostScope(&host)
    {
        m_previous = CAppSettings::Instance();
        CAppSettings::Install(&settings);
    }
    ~CTradingTestEnvironment() { CAppSettings::Install(m_previous); }

    CAppSettings settings;
    CRecordingTradingHost host;

private:
    CScopedTradingHost m_hostScope;
    CAppSettings* m_previous = nullptr;
};
