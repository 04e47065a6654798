// The property pages that edit drawing tools and their defaults: trend lines (segment,
// ray, line), regression channels, retracements and notes.
#pragma once

#include "common/services/CAppSettings.h"
#include "platform/ui/CPropertyPage.h"

#include <memory>
#include <vector>

class CColorCombo;

// Dialog templates and caption strings.
inline constexpr UINT IDD_LINE_PREFERENCES = 202;
inline constexpr UINT IDD_RETRACEMENT_PREFERENCES = 203;
inline constexpr UINT IDD_NOTE_PREFERENCES = 204;
inline constexpr UINT IDD_REGRESSION_PREFERENCES = 205;
inline constexpr UINT IDS_SEGMENT = 34290;
inline constexpr UINT IDS_RAY = 34291;
inline constexpr UINT IDS_LINE = 34292;

// Shared control helpers: colour combos, numbers, checks and spinners of 0 to 100.
class CToolPreferencePage : public CPropertyPage {
public:
    using CPropertyPage::CPropertyPage;
    ~CToolPreferencePage() override;

protected:
    void AttachColor(UINT id, COLORREF color);
    // The selected colour, or the old one for no selection or "Other...".
    COLORREF ReadColor(UINT id, COLORREF old) const;
    void WriteInt(UINT id, int value);
    // As atoi: text that is not a number gives 0.
    int ReadInt(UINT id) const;
    void WriteDouble(UINT id, double value);
    double ReadDouble(UINT id) const;
    void WriteCheck(UINT id, bool on);
    bool ReadCheck(UINT id) const;
    void SetSpinRange(UINT id);

private:
    std::vector<std::pair<UINT, std::unique_ptr<CColorCombo>>> m_combos;
};

class CLinePreferences : public CToolPreferencePage {
public:
    CLinePreferences(const CLineToolSettings& values, UINT captionId);
    const CLineToolSettings& GetValues() const { return m_values; }
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    CLineToolSettings m_values;
};

class CRegressionPreferences : public CToolPreferencePage {
public:
    explicit CRegressionPreferences(const CRegressionSettings& values);
    const CRegressionSettings& GetValues() const { return m_values; }
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    CRegressionSettings m_values;
};

class CRetracementsPreferences : public CToolPreferencePage {
public:
    explicit CRetracementsPreferences(const CRetracementSettings& values);
    const CRetracementSettings& GetValues() const { return m_values; }
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    CRetracementSettings m_values;
};

class CNotePreferences : public CToolPreferencePage {
public:
    explicit CNotePreferences(const CNoteSettings& values);
    const CNoteSettings& GetValues() const { return m_values; }
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    CNoteSettings m_values;
};

// The chart's "Preferences..." command: the default pages of all tools in one sheet; OK
// writes them into the defaults. True on OK.
bool EditDrawingToolDefaults(CDrawingToolDefaults& defaults, CWnd* owner);
