#include "common/windows/ExportFileDialog.h"

#include "common/services/CAppSettings.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/WinUser.h"

#include <filesystem>

bool ChooseExportFile(CWnd* parent, CExportTarget& target)
{
    CFileDialog dialog(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kExportFileFilter, parent);
    if (const CAppSettings* settings = CAppSettings::Instance()) {
        dialog.m_request.initialDir = settings->GetFilePath("SpreadSheets");
        std::error_code ec;
        std::filesystem::create_directories(dialog.m_request.initialDir.GetString(), ec);
    }
    for (;;) {
        if (dialog.DoModal() != IDOK)
            return false;
        const CString typed = dialog.GetPathName();
        target = ResolveExportTarget(typed, dialog.m_request.filterIndex);
        // The dialog asked about the name as typed; a name it completed is asked about here.
        std::error_code ec;
        if (target.path == typed || !std::filesystem::exists(target.path.GetString(), ec))
            return true;
        const int slash = target.path.ReverseFind('/');
        const CString text = target.path.Mid(slash + 1) + " already exists.\nDo you want to replace it?";
        if (CUiResponder::Current().MessageBox(parent, text, "Export Data", MB_YESNO | MB_ICONWARNING) == IDYES)
            return true;
        dialog.m_request.fileName = typed;
    }
}
