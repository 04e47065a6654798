#include "app/shell/CWorkspaceFile.h"

#include "app/shell/CWorkstationApp.h"
#include "common/services/UserFiles.h"
#include "common/windows/IWorkspaceView.h"
#include "common/windows/ShellIds.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/ui/CCmdTarget.h"
#include "platform/ui/CDocument.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CView.h"

#include <QWidget>

namespace {

constexpr DWORD kMaxWindows = 500;

struct WindowRecord {
    DWORD kind = 0;
    BYTE floating = 0;
    WINDOWPLACEMENT placement{};
};

// The template index of the view's document (kind * 2 + floating), or -1.
int TemplateIndexOf(CWorkstationApp& app, CView* view)
{
    CDocument* doc = view->GetDocument();
    if (!doc)
        return -1;
    const auto& templates = app.GetDocTemplates();
    for (size_t i = 0; i < templates.size(); ++i)
        if (templates[i].get() == doc->GetDocTemplate())
            return static_cast<int>(i);
    return -1;
}

bool IsFloating(CView* view)
{
    CFrameWnd* frame = view->GetParentFrame();
    return frame && frame->GetOuterWidget() && frame->GetOuterWidget()->isWindow();
}

}  // namespace

bool CWorkspaceFile::Save(CWorkstationApp& app, const CString& path)
{
    std::vector<CView*> views;
    for (CView* view : app.GetWindowViews())
        if (dynamic_cast<IWorkspaceView*>(view) && TemplateIndexOf(app, view) >= 0)
            views.push_back(view);
    bool viewsOk = true;
    CString error;
    const bool written = WriteUserFile(
        path,
        [&](CArchive& ar) {
            ar << static_cast<DWORD>(views.size());
            for (CView* view : views) {
                const int kind = TemplateIndexOf(app, view) / 2;
                ar << static_cast<DWORD>(kind) << static_cast<BYTE>(IsFloating(view) ? 1 : 0);
                WINDOWPLACEMENT wp{};
                if (CFrameWnd* frame = view->GetParentFrame())
                    frame->GetWindowPlacement(&wp);
                ar << static_cast<DWORD>(wp.showCmd) << static_cast<int>(wp.rcNormalPosition.left)
                   << static_cast<int>(wp.rcNormalPosition.top) << static_cast<int>(wp.rcNormalPosition.right)
                   << static_cast<int>(wp.rcNormalPosition.bottom);
                if (!dynamic_cast<IWorkspaceView*>(view)->SaveToWorkspace(ar)) {
                    viewsOk = false;
                    throw CArchiveException(CArchiveException::genericException);
                }
            }
        },
        &error);
    if (!written || !viewsOk) {
        AfxMessageBox("Error saving workspace", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool CWorkspaceFile::Load(CWorkstationApp& app, const CString& path)
{
    // A file that cannot be a workspace leaves the open windows alone.
    CString error;
    const EUserFileState header = ReadUserFile(
        path, [](CArchive& ar, DWORD) { ar.ReadBoundedCount(4); }, &error);
    if (header != EUserFileState::kLoaded) {
        AfxMessageBox("Error loading workspace", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    app.CloseAllWindows();
    bool ok = true;
    const EUserFileState state = ReadUserFile(
        path,
        [&](CArchive& ar, DWORD version) {
            const DWORD count = ar.ReadBoundedCount(4);
            if (count > kMaxWindows)
                throw CArchiveException(CArchiveException::badIndex);
            for (DWORD i = 0; i < count; ++i) {
                WindowRecord r;
                DWORD show = 0;
                int l = 0, t = 0, rt = 0, b = 0;
                ar >> r.kind >> r.floating >> show >> l >> t >> rt >> b;
                if (r.kind >= static_cast<DWORD>(kWindowKindCount))
                    throw CArchiveException(CArchiveException::badSchema);
                CDocument* doc = app.OpenWindowOfKind(static_cast<int>(r.kind), r.floating != 0);
                CView* view = doc ? doc->GetFirstView() : nullptr;
                auto* record = dynamic_cast<IWorkspaceView*>(view);
                if (!record) {
                    ok = false;
                    return;
                }
                // A placement is taken only where a screen could show it (and its
                // sides cannot overflow); otherwise the window stays where it opened.
                const auto onScreen = [](int v) { return v > -1000000 && v < 1000000; };
                if (show <= 11u && onScreen(l) && onScreen(t) && onScreen(rt) && onScreen(b) && rt > l && b > t &&
                    rt - l < 20000 && b - t < 20000) {
                    WINDOWPLACEMENT wp{};
                    wp.showCmd = show;
                    wp.rcNormalPosition = CRect(l, t, rt, b);
                    view->GetParentFrame()->SetWindowPlacement(&wp);
                }
                if (!record->LoadFromWorkspace(ar, version)) {
                    ok = false;
                    return;
                }
            }
        },
        &error);
    if (state != EUserFileState::kLoaded || !ok) {
        AfxMessageBox("Error loading workspace", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}
