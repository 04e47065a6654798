// "Study Manager": lists a chart's studies and adds, edits and removes them. It works on
// the array the caller hands it (clones of the chart's studies); Close ends it with IDOK,
// Escape and the close box with IDCANCEL, after which the caller keeps its own studies.
#pragma once

#include "platform/ui/CDialog.h"
#include "platform/ui/CListBox.h"
#include "studies/CStudyDefinition.h"

#include <memory>
#include <vector>

using StudyArray = std::vector<std::unique_ptr<CStudyDefinition>>;

// What the dialog asks of the chart whose studies it edits.
class IStudyPanes {
public:
    virtual ~IStudyPanes() = default;
    // For a placed study, whether its pane holds it alone; for an unplaced one, whether
    // it needs a pane of its own.
    virtual bool UsesSeparatePane(const CStudyDefinition& study) const = 0;
};

class CStudyManagerDlg : public CDialog {
public:
    static constexpr UINT kTemplateId = 150;
    static constexpr int kMaxPanes = 16;

    explicit CStudyManagerDlg(const IStudyPanes* chart, CWnd* parent = nullptr);

    // The working array; not owned, it must outlive the dialog.
    void SetStudies(StudyArray* studies) { m_pStudies = studies; }
    int GetPaneCount() const { return m_nPanes; }

    BOOL OnInitDialog() override;
    const CMessageMap& GetMessageMap() const override;

    // The dialog's commands.
    void OnAdd();
    void OnEdit();
    void OnRemove();
    void OnCloseButton();
    // Adds a study of the type; customRow picks the custom-study table's row for type 188.
    void AddStudy(int typeId, int customRow);

protected:
    // Runs the settings dialog of a study; IDOK, IDCANCEL or another result.
    virtual INT_PTR RunSettingsDialog(CStudyDefinition& study);

private:
    void RunSettings(std::unique_ptr<CStudyDefinition> study);
    void RefreshList();
    int GetSelectedIndex();

    CListBox m_list;
    StudyArray* m_pStudies = nullptr;
    const IStudyPanes* m_pChart;
    int m_nPanes = 1;
    int m_nEditIndex = -1;
};
