#include "chart/ui/ToolPreferencePages.h"

#include "chart/ToolGeometry.h"
#include "common/windows/CColorCombo.h"
#include "platform/ui/CButton.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CPropertySheet.h"
#include "platform/ui/CSpinButtonCtrl.h"

#include <cstdlib>

CToolPreferencePage::~CToolPreferencePage() = default;

void CToolPreferencePage::AttachColor(UINT id, COLORREF color)
{
    auto combo = std::make_unique<CColorCombo>();
    if (!combo->SubclassDlgItem(id, this))
        return;
    combo->FillColors(color);
    m_combos.emplace_back(id, std::move(combo));
}

COLORREF CToolPreferencePage::ReadColor(UINT id, COLORREF old) const
{
    for (const auto& [comboId, combo] : m_combos) {
        COLORREF color = 0;
        if (comboId == id && combo->GetSelectedColor(color))
            return color;
    }
    return old;
}

void CToolPreferencePage::WriteInt(UINT id, int value)
{
    CString text;
    text.Format("%d", value);
    SetDlgItemText(static_cast<int>(id), text);
}

int CToolPreferencePage::ReadInt(UINT id) const
{
    return std::atoi(GetDlgItemText(static_cast<int>(id)));
}

void CToolPreferencePage::WriteDouble(UINT id, double value)
{
    char text[64];
    FormatShortFloat(text, sizeof text, value);
    SetDlgItemText(static_cast<int>(id), text);
}

double CToolPreferencePage::ReadDouble(UINT id) const
{
    return std::atof(GetDlgItemText(static_cast<int>(id)));
}

void CToolPreferencePage::WriteCheck(UINT id, bool on)
{
    CheckDlgButton(static_cast<int>(id), on ? BST_CHECKED : BST_UNCHECKED);
}

bool CToolPreferencePage::ReadCheck(UINT id) const
{
    return IsDlgButtonChecked(static_cast<int>(id)) == BST_CHECKED;
}

void CToolPreferencePage::SetSpinRange(UINT id)
{
    if (auto* spin = dynamic_cast<CSpinButtonCtrl*>(GetDlgItem(static_cast<int>(id))))
        spin->SetRange32(0, 100);
}

// ---------------------------------------------------------------- trend lines

CLinePreferences::CLinePreferences(const CLineToolSettings& values, UINT captionId)
    : CToolPreferencePage(IDD_LINE_PREFERENCES, captionId), m_values(values)
{
}

BOOL CLinePreferences::OnInitDialog()
{
    CToolPreferencePage::OnInitDialog();
    AttachColor(1019, m_values.color);
    WriteInt(1001, m_values.thickness);
    SetSpinRange(1301);
    return TRUE;
}

void CLinePreferences::OnOK()
{
    m_values.thickness = ReadInt(1001);
    m_values.color = ReadColor(1019, m_values.color);
    CToolPreferencePage::OnOK();
}

// ---------------------------------------------------------------- regression

namespace {
const char* const kSourceFields[] = {"Open", "High", "Low", "Close"};
}

CRegressionPreferences::CRegressionPreferences(const CRegressionSettings& values)
    : CToolPreferencePage(IDD_REGRESSION_PREFERENCES), m_values(values)
{
}

BOOL CRegressionPreferences::OnInitDialog()
{
    CToolPreferencePage::OnInitDialog();
    if (auto* source = dynamic_cast<CComboBox*>(GetDlgItem(1007))) {
        source->ResetContent();
        for (const char* name : kSourceFields)
            source->AddString(name);
        source->SetCurSel(m_values.sourceField >= 0 && m_values.sourceField <= 3 ? m_values.sourceField : 3);
    }
    AttachColor(1019, m_values.lineColor);
    WriteInt(1020, m_values.lineThickness);
    WriteCheck(1021, (m_values.displayBits & 1) != 0);
    AttachColor(1008, m_values.upperColor);
    WriteInt(1009, m_values.upperThickness);
    WriteDouble(1016, m_values.upperStdDevs);
    WriteCheck(1014, (m_values.displayBits & 2) != 0);
    AttachColor(1012, m_values.lowerColor);
    WriteInt(1013, m_values.lowerThickness);
    WriteDouble(1017, m_values.lowerStdDevs);
    for (UINT spin = 1301; spin <= 1305; ++spin)
        SetSpinRange(spin);
    return TRUE;
}

void CRegressionPreferences::OnOK()
{
    if (auto* source = dynamic_cast<CComboBox*>(GetDlgItem(1007)); source && source->GetCurSel() >= 0)
        m_values.sourceField = source->GetCurSel();
    m_values.lineColor = ReadColor(1019, m_values.lineColor);
    m_values.lineThickness = ReadInt(1020);
    m_values.upperColor = ReadColor(1008, m_values.upperColor);
    m_values.upperThickness = ReadInt(1009);
    m_values.upperStdDevs = ReadDouble(1016);
    m_values.lowerColor = ReadColor(1012, m_values.lowerColor);
    m_values.lowerThickness = ReadInt(1013);
    m_values.lowerStdDevs = ReadDouble(1017);
    m_values.displayBits = (ReadCheck(1021) ? 1u : 0u) | (ReadCheck(1014) ? 2u : 0u);
    CToolPreferencePage::OnOK();
}

// ---------------------------------------------------------------- retracements

namespace {
constexpr UINT kLevelDisplay[8] = {1015, 1034, 1035, 1036, 1051, 1054, 1055, 1056};
constexpr UINT kLevelPercent[8] = {1012, 1022, 1023, 1031, 1039, 1045, 1046, 1050};
constexpr UINT kLevelColor[8] = {1020, 1014, 1013, 1017, 1043, 1041, 1040, 1042};
constexpr UINT kLevelThickness[8] = {1021, 1024, 1025, 1028, 1044, 1047, 1048, 1049};
constexpr UINT kLevelAlert[8] = {1033, 1032, 1038, 1037, 1053, 1052, 1058, 1057};
constexpr UINT kRetracementSpins[] = {1301, 1302, 1303, 1304, 1305, 1306, 1307, 1308, 1317, 1319, 1320};
} // namespace

CRetracementsPreferences::CRetracementsPreferences(const CRetracementSettings& values)
    : CToolPreferencePage(IDD_RETRACEMENT_PREFERENCES), m_values(values)
{
}

BOOL CRetracementsPreferences::OnInitDialog()
{
    CToolPreferencePage::OnInitDialog();
    const CRetracementSettings& v = m_values;
    AttachColor(1002, v.anchorColor);
    WriteInt(1003, v.anchorThickness);
    WriteCheck(1006, (v.displayBits >> 8) & 1);
    AttachColor(1004, v.verticalColor);
    WriteInt(1005, v.verticalThickness);
    for (int i = 0; i < 8; ++i) {
        WriteCheck(kLevelDisplay[i], (v.displayBits >> i) & 1);
        WriteDouble(kLevelPercent[i], v.levels[static_cast<size_t>(i)].percent);
        AttachColor(kLevelColor[i], v.levels[static_cast<size_t>(i)].color);
        WriteInt(kLevelThickness[i], v.levels[static_cast<size_t>(i)].thickness);
        WriteCheck(kLevelAlert[i], (v.alertBits >> i) & 1);
    }
    CheckRadioButton(1011, 1016, v.extendForever ? 1011 : 1016);
    WriteDouble(1059, v.extension);
    WriteCheck(1008, (v.displayBits >> 9) & 1);
    WriteCheck(1007, (v.displayBits >> 10) & 1);
    WriteCheck(1009, (v.displayBits >> 11) & 1);
    WriteCheck(1010, (v.displayBits >> 12) & 1);
    for (UINT spin : kRetracementSpins)
        SetSpinRange(spin);
    return TRUE;
}

void CRetracementsPreferences::OnOK()
{
    CRetracementSettings& v = m_values;
    v.anchorColor = ReadColor(1002, v.anchorColor);
    v.anchorThickness = ReadInt(1003);
    v.verticalColor = ReadColor(1004, v.verticalColor);
    v.verticalThickness = ReadInt(1005);
    DWORD display = 0, alerts = 0;
    for (int i = 0; i < 8; ++i) {
        CRetracementLevel& level = v.levels[static_cast<size_t>(i)];
        display |= ReadCheck(kLevelDisplay[i]) ? 1u << i : 0;
        alerts |= ReadCheck(kLevelAlert[i]) ? 1u << i : 0;
        level.percent = ReadDouble(kLevelPercent[i]);
        level.color = ReadColor(kLevelColor[i], level.color);
        level.thickness = ReadInt(kLevelThickness[i]);
    }
    display |= ReadCheck(1006) ? 1u << 8 : 0;
    display |= ReadCheck(1008) ? 1u << 9 : 0;
    display |= ReadCheck(1007) ? 1u << 10 : 0;
    display |= ReadCheck(1009) ? 1u << 11 : 0;
    display |= ReadCheck(1010) ? 1u << 12 : 0;
    v.displayBits = display;
    v.alertBits = alerts;
    v.extendForever = ReadCheck(1011);
    v.extension = ReadDouble(1059);
    CToolPreferencePage::OnOK();
}

// ---------------------------------------------------------------- notes

CNotePreferences::CNotePreferences(const CNoteSettings& values)
    : CToolPreferencePage(IDD_NOTE_PREFERENCES), m_values(values)
{
}

BOOL CNotePreferences::OnInitDialog()
{
    CToolPreferencePage::OnInitDialog();
    SetDlgItemText(1023, m_values.text);
    WriteCheck(1025, m_values.minimized);
    AttachColor(1026, m_values.color);
    return TRUE;
}

void CNotePreferences::OnOK()
{
    m_values.text = GetDlgItemText(1023);
    m_values.minimized = ReadCheck(1025);
    m_values.color = ReadColor(1026, m_values.color);
    CToolPreferencePage::OnOK();
}

bool EditDrawingToolDefaults(CDrawingToolDefaults& defaults, CWnd*)
{
    // The pages outlive the sheet that shows them.
    CLinePreferences segment(defaults.segment, IDS_SEGMENT);
    CLinePreferences ray(defaults.ray, IDS_RAY);
    CLinePreferences line(defaults.line, IDS_LINE);
    CRetracementsPreferences retracements(defaults.retracement);
    CRegressionPreferences regression(defaults.regression);
    CPropertySheet sheet("Preferences", nullptr);
    sheet.AddPage(&segment);
    sheet.AddPage(&ray);
    sheet.AddPage(&line);
    sheet.AddPage(&retracements);
    sheet.AddPage(&regression);
    if (sheet.DoModal() != IDOK)
        return false;
    defaults.segment = segment.GetValues();
    defaults.ray = ray.GetValues();
    defaults.line = line.GetValues();
    defaults.retracement = retracements.GetValues();
    defaults.regression = regression.GetValues();
    return true;
}
