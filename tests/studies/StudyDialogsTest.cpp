// The study settings dialog on every study's template, and the Study Manager, offscreen.
#include "common/windows/CColorCombo.h"
#include "platform/ui/CListBox.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CSpinButtonCtrl.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/WinUser.h"
#include "studies/CBollingerStudy.h"
#include "studies/CCustomStudy.h"
#include "studies/CRSIStudy.h"
#include "studies/ICustomStudyTable.h"
#include "studies/StudyFactory.h"
#include "studies/StudyParams.h"
#include "studies/ui/CStudyManagerDlg.h"
#include "studies/ui/CStudySettingsDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include <functional>
#include <map>
#include <vector>

namespace {
struct MenuItem {
    UINT id;  // 0 for a separator
    CString text;
};

// Records message boxes and the popup menu shown, and picks a menu command.
class StudyResponder : public CUiResponder {
public:
    int MessageBox(CWnd*, const CString& text, const CString&, UINT) override
    {
        boxes.push_back(text);
        return IDOK;
    }
    UINT TrackPopupMenu(CMenu& menu, CPoint, CWnd*) override
    {
        menuItems.clear();
        for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
            CString text;
            const bool separator = (menu.GetMenuState(static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) != 0;
            if (!separator)
                menu.GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
            menuItems.push_back({separator ? 0u : menu.GetMenuItemID(i), text});
        }
        return menuChoice;
    }
    bool ChooseColor(CWnd*, COLORREF& color) override
    {
        color = chosenColor;
        return chooseOk;
    }

    std::vector<CString> boxes;
    std::vector<MenuItem> menuItems;
    UINT menuChoice = 0;
    COLORREF chosenColor = 0;
    bool chooseOk = true;
};

class OwnPaneByFlag : public IStudyPanes {
public:
    bool UsesSeparatePane(const CStudyDefinition& study) const override { return study.NeedsSeparatePane(); }
};

class TwoRowTable : public ICustomStudyTable {
public:
    int GetCustomStudyCount() const override { return 2; }
    bool GetCustomStudy(int row, CCustomStudyRow& out) const override
    {
        if (row < 0 || row > 1)
            return false;
        out = row == 0 ? CCustomStudyRow{"Gap", "Open - Close[1]"} : CCustomStudyRow{"Range", "High - Low"};
        return true;
    }
};

// A manager whose settings dialog answers without showing itself.
class ScriptedManager : public CStudyManagerDlg {
public:
    using CStudyManagerDlg::CStudyManagerDlg;
    std::function<INT_PTR(CStudyDefinition&)> answer = [](CStudyDefinition&) { return IDOK; };
    int settingsRuns = 0;

protected:
    INT_PTR RunSettingsDialog(CStudyDefinition& study) override
    {
        ++settingsRuns;
        return answer(study);
    }
};

class StudyDialogs : public ::testing::Test {
protected:
    void SetUp() override { m_responder = new StudyResponder; m_scope = std::make_unique<CScopedUiResponder>(std::unique_ptr<CUiResponder>(m_responder)); }
    void TearDown() override
    {
        InstallCustomStudyTable(nullptr);
        m_scope.reset();
    }

    StudyResponder* m_responder = nullptr;
    std::unique_ptr<CScopedUiResponder> m_scope;
};

std::vector<CString> ListTexts(CWnd& dlg)
{
    std::vector<CString> texts;
    auto* list = dynamic_cast<CListBox*>(dlg.GetDlgItem(1008));
    for (int i = 0; list && i < list->GetCount(); ++i)
        texts.push_back(list->GetText(i));
    return texts;
}

void Select(CWnd& dlg, int index)
{
    dynamic_cast<CListBox*>(dlg.GetDlgItem(1008))->SetCurSel(index);
}
}  // namespace

TEST_F(StudyDialogs, EveryStudysTemplateFillsAndReadsBack)
{
    for (int id = 170; id <= 199; ++id) {
        SCOPED_TRACE(id);
        auto study = CreateStudyById(static_cast<WORD>(id), id == 197 || id == 199 ? "" : "IBM");
        const auto before = study->Clone();
        CStudySettingsDlg dlg(study->GetDialogId(), study.get());
        ASSERT_TRUE(dlg.Create(study->GetDialogId(), nullptr)) << "template " << study->GetDialogId();
        dlg.OnOK();
        EXPECT_EQ(dlg.GetModalResult(), IDOK);
        EXPECT_TRUE(m_responder->boxes.empty()) << (m_responder->boxes.empty() ? "" : m_responder->boxes[0].GetString());
        EXPECT_TRUE(study->IsEqual(*before));
        if (dlg.m_hWnd)
            dlg.DestroyWindow();
    }
}

TEST_F(StudyDialogs, SpinnersReachWhatTheReadersAccept)
{
    CRSIStudy rsi;
    CStudySettingsDlg dlg(rsi.GetDialogId(), &rsi);
    ASSERT_TRUE(dlg.Create(rsi.GetDialogId(), nullptr));
    std::map<int, std::pair<int, int>> ranges;
    std::map<int, CSpinButtonCtrl*> spins;
    for (int id = kCtlFirstSpin; id <= kCtlLastSpin; ++id) {
        if (auto* spin = dynamic_cast<CSpinButtonCtrl*>(dlg.GetDlgItem(id))) {
            ASSERT_TRUE(spin->GetBuddy());
            int lo = 0;
            int hi = 0;
            spin->GetRange32(lo, hi);
            ranges[spin->GetBuddy()->GetDlgCtrlID()] = {lo, hi};
            spins[spin->GetBuddy()->GetDlgCtrlID()] = spin;
        }
    }
    EXPECT_EQ(ranges[kCtlLength], std::make_pair(1, 1000));
    EXPECT_EQ(ranges[kCtlThickness1], std::make_pair(1, 15));
    EXPECT_EQ(ranges[kCtlLowerBand], std::make_pair(-1000, 1000));
    EXPECT_EQ(ranges[kCtlUpperBand], std::make_pair(-1000, 1000));

    // Stepping the lower band below 0 gives a value the reader takes.
    CSpinButtonCtrl* spin = spins[kCtlLowerBand];
    ASSERT_TRUE(spin);
    dlg.SetDlgItemText(kCtlLowerBand, "0");
    spin->Step(-1);
    EXPECT_EQ(dlg.GetDlgItemText(kCtlLowerBand), "-1");
    dlg.OnOK();
    EXPECT_EQ(dlg.GetModalResult(), IDOK);
    EXPECT_EQ(rsi.m_params.lower, -1);
    dlg.DestroyWindow();
}

TEST_F(StudyDialogs, ARefusedFieldKeepsTheDialogOpen)
{
    CBollingerStudy bb;
    CStudySettingsDlg dlg(bb.GetDialogId(), &bb);
    ASSERT_TRUE(dlg.Create(bb.GetDialogId(), nullptr));
    EXPECT_EQ(dlg.GetDlgItemText(kCtlLength), "20");
    EXPECT_EQ(dlg.GetDlgItemText(kCtlLength2), "2");
    dlg.SetDlgItemText(kCtlLength, "0");
    dlg.OnOK();
    ASSERT_EQ(m_responder->boxes.size(), 1u);
    EXPECT_EQ(m_responder->boxes[0], "Length must be an integer between 1 and 1000");
    EXPECT_EQ(dlg.GetModalResult(), -1) << "still open";
    dlg.SetDlgItemText(kCtlLength, "30");
    dlg.SetDlgItemText(kCtlSymbolOverride, " spy ");
    dlg.CheckDlgButton(kCtlCheck1, BST_UNCHECKED);
    dlg.OnOK();
    EXPECT_EQ(dlg.GetModalResult(), IDOK);
    EXPECT_EQ(bb.m_length, "30");
    EXPECT_FALSE(bb.m_bShowMiddle);
    EXPECT_EQ(bb.GetSymbolOverride(), "SPY");
    dlg.DestroyWindow();
}

TEST_F(StudyDialogs, OtherColourAsksForOneAndCancelKeepsTheStudy)
{
    CBollingerStudy bb;
    CStudySettingsDlg dlg(bb.GetDialogId(), &bb);
    ASSERT_TRUE(dlg.Create(bb.GetDialogId(), nullptr));
    auto* combo = dynamic_cast<CColorCombo*>(dlg.GetDlgItem(kCtlColor2));
    ASSERT_TRUE(combo);
    EXPECT_EQ(combo->GetItemData(0), RGB(255, 0, 0));
    // Choosing "Other..." and a colour makes that colour the selection.
    m_responder->chosenColor = RGB(12, 34, 56);
    combo->SetCurSel(combo->GetCount() - 1);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(kCtlColor2, CBN_SELCHANGE), 0);
    COLORREF color = 0;
    ASSERT_TRUE(combo->GetSelectedColor(color));
    EXPECT_EQ(color, RGB(12, 34, 56));
    // Cancelling the colour choice goes back to the colour shown before.
    m_responder->chooseOk = false;
    combo->SetCurSel(combo->GetCount() - 1);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(kCtlColor2, CBN_SELCHANGE), 0);
    ASSERT_TRUE(combo->GetSelectedColor(color));
    EXPECT_EQ(color, RGB(12, 34, 56));

    dlg.OnCancel();
    EXPECT_EQ(dlg.GetModalResult(), IDCANCEL);
    EXPECT_EQ(bb.m_middleColor, RGB(255, 0, 0));
    dlg.DestroyWindow();
}

TEST_F(StudyDialogs, ATemplateWithOneColourOpensWithOnlyThatCombo)
{
    auto atr = CreateStudyById(kStudyATR, "");
    CStudySettingsDlg dlg(atr->GetDialogId(), atr.get());
    ASSERT_TRUE(dlg.Create(atr->GetDialogId(), nullptr));
    EXPECT_TRUE(dynamic_cast<CColorCombo*>(dlg.GetDlgItem(kCtlColor1)));
    EXPECT_FALSE(dlg.GetDlgItem(kCtlColor2));
    EXPECT_FALSE(dlg.GetDlgItem(kCtlColor4));
    dlg.OnOK();
    EXPECT_EQ(dlg.GetModalResult(), IDOK);
    dlg.DestroyWindow();
}

TEST_F(StudyDialogs, ManagerRefusesASixteenthStudyPaneButNotAPricePaneStudy)
{
    StudyArray studies;
    for (int i = 0; i < 15; ++i)
        studies.push_back(CreateStudyById(kStudyRSI, ""));
    OwnPaneByFlag panes;
    ScriptedManager dlg(&panes);
    dlg.SetStudies(&studies);
    ASSERT_TRUE(dlg.Create(CStudyManagerDlg::kTemplateId, nullptr));
    EXPECT_EQ(dlg.GetPaneCount(), 16);
    EXPECT_EQ(ListTexts(dlg).size(), 15u);

    dlg.AddStudy(kStudyMACD, -1);
    ASSERT_EQ(m_responder->boxes.size(), 1u);
    EXPECT_EQ(m_responder->boxes[0], "The limit for the number of panes (16) has been reached.  Remove a study "
                                      "that uses a separate pane and try again.");
    EXPECT_EQ(dlg.settingsRuns, 0);
    EXPECT_EQ(studies.size(), 15u);

    dlg.AddStudy(kStudyBollinger, -1);
    EXPECT_EQ(studies.size(), 16u);
    EXPECT_EQ(ListTexts(dlg).back(), "Bollinger Bands (Close,20,2)");
    EXPECT_EQ(dlg.GetPaneCount(), 16);

    // Removing a pane study makes room again.
    Select(dlg, 0);
    dlg.OnRemove();
    EXPECT_EQ(dlg.GetPaneCount(), 15);
    dlg.AddStudy(kStudyMACD, -1);
    EXPECT_EQ(dlg.GetPaneCount(), 16);
    EXPECT_EQ(studies.back()->GetTypeId(), kStudyMACD);
    EXPECT_EQ(m_responder->boxes.size(), 1u);
    dlg.DestroyWindow();
}

TEST_F(StudyDialogs, ManagerEditsOnACloneAndKeepsTheStudyOnCancel)
{
    StudyArray studies;
    studies.push_back(CreateStudyById(kStudyBollinger, ""));
    studies.push_back(CreateStudyById(kStudyRSI, ""));
    const CStudyDefinition* original = studies[1].get();
    OwnPaneByFlag panes;
    ScriptedManager dlg(&panes);
    dlg.SetStudies(&studies);
    ASSERT_TRUE(dlg.Create(CStudyManagerDlg::kTemplateId, nullptr));

    dlg.OnEdit();
    ASSERT_EQ(m_responder->boxes.size(), 1u);
    EXPECT_EQ(m_responder->boxes[0], "First select a study from the list");

    Select(dlg, 1);
    dlg.answer = [](CStudyDefinition& s) {
        static_cast<CRSIStudy&>(s).m_params.length = "21";
        return IDCANCEL;
    };
    dlg.OnEdit();
    EXPECT_EQ(studies[1].get(), original);
    EXPECT_EQ(static_cast<const CRSIStudy*>(original)->m_params.length, "14");

    Select(dlg, 1);
    dlg.answer = [](CStudyDefinition& s) {
        static_cast<CRSIStudy&>(s).m_params.length = "21";
        return IDOK;
    };
    dlg.OnEdit();
    EXPECT_EQ(static_cast<CRSIStudy&>(*studies[1]).m_params.length, "21");
    EXPECT_EQ(ListTexts(dlg), (std::vector<CString>{"Bollinger Bands (Close,20,2)", "RSI (21)"}));

    // A new study whose settings are cancelled is not added.
    dlg.answer = [](CStudyDefinition&) { return IDCANCEL; };
    dlg.AddStudy(kStudyCCI, -1);
    EXPECT_EQ(studies.size(), 2u);
    dlg.DestroyWindow();
}

TEST_F(StudyDialogs, ManagerClosesWithOkAndEscapesWithCancel)
{
    StudyArray studies;
    OwnPaneByFlag panes;
    ScriptedManager closing(&panes);
    closing.SetStudies(&studies);
    ASSERT_TRUE(closing.Create(CStudyManagerDlg::kTemplateId, nullptr));
    closing.SendMessage(WM_COMMAND, MAKEWPARAM(1007, BN_CLICKED), 0);
    EXPECT_EQ(closing.GetModalResult(), IDOK);
    closing.DestroyWindow();

    ScriptedManager escaping(&panes);
    escaping.SetStudies(&studies);
    ASSERT_TRUE(escaping.Create(CStudyManagerDlg::kTemplateId, nullptr));
    escaping.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(escaping.GetModalResult(), IDCANCEL);
    escaping.DestroyWindow();
}

TEST_F(StudyDialogs, AddMenuListsTheStudiesAndThenTheCustomStudies)
{
    StudyArray studies;
    OwnPaneByFlag panes;
    ScriptedManager dlg(&panes);
    dlg.SetStudies(&studies);
    ASSERT_TRUE(dlg.Create(CStudyManagerDlg::kTemplateId, nullptr));

    m_responder->menuChoice = kStudyTSF;
    dlg.OnAdd();
    auto& items = m_responder->menuItems;
    ASSERT_EQ(items.size(), 29u);
    EXPECT_EQ(items[0].id, 198u);
    EXPECT_EQ(items[0].text, "Adaptive Moving Average");
    EXPECT_EQ(items[8].text, "Time Series Forecast");
    EXPECT_EQ(items[9].id, 0u) << "separator";
    EXPECT_EQ(items[10].text, "Accumulation/Distribution");
    EXPECT_EQ(items[28].text, "Volume");
    ASSERT_EQ(studies.size(), 1u);
    EXPECT_EQ(studies[0]->GetTypeId(), kStudyTSF);

    TwoRowTable table;
    InstallCustomStudyTable(&table);
    m_responder->menuChoice = kFirstCustomStudyCommand + 1;
    dlg.OnAdd();
    ASSERT_EQ(items.size(), 32u);
    EXPECT_EQ(items[29].id, 0u);
    EXPECT_EQ(items[30].text, "Gap");
    EXPECT_EQ(items[31].id, kFirstCustomStudyCommand + 1);
    ASSERT_EQ(studies.size(), 2u);
    auto& custom = dynamic_cast<CCustomStudy&>(*studies[1]);
    EXPECT_EQ(custom.GetStudyName(), "Range");
    CString symbol;
    EXPECT_EQ(custom.GetFormulaText(symbol), "High - Low");
    EXPECT_EQ(custom.GetCustomIndex(), 1);
    EXPECT_EQ(dlg.GetPaneCount(), 2);

    // Dismissing the menu adds nothing.
    m_responder->menuChoice = 0;
    dlg.OnAdd();
    EXPECT_EQ(studies.size(), 2u);
    dlg.DestroyWindow();
}

TEST_F(StudyDialogs, ManagerRunsTheRealSettingsDialogModally)
{
    StudyArray studies;
    studies.push_back(CreateStudyById(kStudyRSI, ""));
    OwnPaneByFlag panes;
    CStudyManagerDlg dlg(&panes);
    dlg.SetStudies(&studies);
    ASSERT_TRUE(dlg.Create(CStudyManagerDlg::kTemplateId, nullptr));
    Select(dlg, 0);
    bool seen = false;
    // Once the settings dialog is up, change the length and press OK.
    std::function<void(int)> act = [&](int tries) {
        QWidget* w = QApplication::activeModalWidget();
        auto* settings = dynamic_cast<CStudySettingsDlg*>(w ? CWnd::FromWidget(w) : nullptr);
        if (!settings) {
            if (tries > 0)
                QTimer::singleShot(5, [&act, tries] { act(tries - 1); });
            return;
        }
        seen = true;
        settings->SetDlgItemText(kCtlLength, "9");
        settings->OnOK();
    };
    QTimer::singleShot(5, [&act] { act(400); });
    dlg.OnEdit();
    EXPECT_TRUE(seen);
    EXPECT_EQ(ListTexts(dlg), std::vector<CString>{"RSI (9)"});
    dlg.DestroyWindow();
}
