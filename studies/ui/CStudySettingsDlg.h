// The settings dialog of every study: the study's own dialog template, filled from the
// study and read back into it on OK. A refused field keeps the dialog open.
#pragma once

#include "platform/ui/CDialog.h"
#include "studies/IStudyDialog.h"

#include <array>
#include <memory>

class CColorCombo;
class CStudyDefinition;

class CStudySettingsDlg : public CDialog, public IStudyDialog {
public:
    // The study is not owned; it must outlive the dialog.
    CStudySettingsDlg(UINT templateId, CStudyDefinition* study, CWnd* parent = nullptr);
    ~CStudySettingsDlg() override;

    CStudyDefinition* GetStudy() const { return m_pStudy; }

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    const CMessageMap& GetMessageMap() const override;

    bool HasControl(int id) const override;
    CString GetText(int id) const override;
    void SetText(int id, const CString& text) override;
    bool IsChecked(int id) const override;
    void SetChecked(int id, bool checked) override;
    bool GetSelectedColor(int id, COLORREF& color) const override;
    bool FillColors(int id, COLORREF color) override;
    void ResetCombo(int id) override;
    void AddComboItem(int id, const CString& text) override;
    void SelectComboItem(int id, int index) override;
    bool GetComboSelection(int id, CString& text) const override;
    void ShowMessage(const CString& text) override;
    void FocusDialog() override;
    void FocusControl(int id) override;

    static constexpr std::array<int, 4> kColorIds = {1019, 1022, 1026, 1027};

private:
    CColorCombo* FindColorCombo(int id) const;
    // "Other..." asks for a colour and makes it the combo's current one.
    void OnColorChange(UINT id);
    void DeleteColorCombos();

    CStudyDefinition* m_pStudy;
    std::array<std::unique_ptr<CColorCombo>, 4> m_colorCombos;
    // The item each colour combo showed before "Other..." was chosen.
    std::array<int, 4> m_lastColorItem{};
};
