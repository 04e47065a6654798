#include "backtest/ui/BacktestUiFiles.h"

#include "alerts/FormulaLibraryFile.h"
#include "alerts/SafeFileName.h"
#include "common/services/CAppSettings.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CommonDialogs.h"

namespace {

constexpr const char* kStrategyFilter = "Strategy Files (*.qxs)|*.qxs||";

// Runs the dialog in the Strategies folder; the path chosen.
bool ChooseInStrategies(CFileDialog& dialog, CString& path)
{
    dialog.m_request.initialDir = UserDataFolder("Strategies");
    if (dialog.DoModal() != IDOK)
        return false;
    path = dialog.GetPathName();
    return true;
}

}  // namespace

CString UserDataFolder(const char* name)
{
    const CAppSettings* settings = CAppSettings::Instance();
    return settings ? settings->GetFilePath(name) : CString(name);
}

void FillStrategyIntervals(CComboBox* combo)
{
    if (!combo)
        return;
    combo->ResetContent();
    for (const char* name : {"1", "5", "10", "15", "30", "60", "Daily", "Weekly", "Monthly"})
        combo->AddString(name);
}

bool ChooseSymbolList(CWnd* parent, CString& symbols)
{
    CFileDialog dialog(TRUE, "sym", nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, "Symbol List Files (*.sym)|*.sym||",
                       parent);
    dialog.m_request.initialDir = UserDataFolder("Symbols");
    if (dialog.DoModal() != IDOK)
        return false;
    CString error;
    return ReadSymbolListFile(dialog.GetPathName(), symbols, error);
}

bool ChooseStrategyToOpen(CWnd* parent, CString& path)
{
    CFileDialog dialog(TRUE, "qxs", nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, kStrategyFilter, parent);
    return ChooseInStrategies(dialog, path);
}

bool ChooseStrategyToSave(CWnd* parent, const CString& strategyName, CString& path)
{
    CFileDialog dialog(FALSE, "qxs", MakeSafeFileName(strategyName), OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY,
                       kStrategyFilter, parent);
    return ChooseInStrategies(dialog, path);
}

void OpenBacktestingDisclosure()
{
    CUiResponder::Current().OpenExternal("https://www.brenhalvik.com/Quorvantelix/BacktestingDisclosure.pdf");
}
