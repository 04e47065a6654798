// Everything that asks the user something outside a dialog of our own: message boxes,
// the common file, colour, font and print dialogs, popup-menu tracking and opening
// URLs or files with the desktop. The default answers through Qt; tests install a
// responder of their own that answers without a screen.
#pragma once

#include "platform/core/CPoint.h"
#include "platform/core/CString.h"
#include "platform/ui/WinGdi.h"

#include <functional>
#include <memory>
#include <vector>

class CMenu;
class CWnd;
class QPrinter;

struct FileDialogRequest {
    bool open = true;
    CString title;
    CString defaultExt;  // without the point
    CString fileName;    // initial name or path
    CString initialDir;
    CString filter;      // "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||"
    int filterIndex = 1; // 1-based; the chosen one on return
    bool multiSelect = false;
    bool overwritePrompt = true;
    bool fileMustExist = false;
};

class CUiResponder {
public:
    virtual ~CUiResponder() = default;

    // IDOK, IDCANCEL, IDYES, IDNO... for the MB_* type.
    virtual int MessageBox(CWnd* owner, const CString& text, const CString& caption, UINT type);
    // Fills chosen with full paths; false when cancelled.
    virtual bool ChooseFile(CWnd* owner, FileDialogRequest& request, std::vector<CString>& chosen);
    virtual bool ChooseColor(CWnd* owner, COLORREF& color);
    virtual bool ChooseFont(CWnd* owner, LOGFONT& font, COLORREF& color);
    // Printer choice and page range; false when cancelled.
    virtual bool SetupPrinter(CWnd* owner, QPrinter& printer, bool& pageRange, int& fromPage, int& toPage);
    // Shows the preview; render is called for each repaint.
    virtual void ShowPrintPreview(CWnd* owner, QPrinter& printer, const std::function<void(QPrinter&)>& render);
    // The command chosen from the popup, 0 for none.
    virtual UINT TrackPopupMenu(CMenu& menu, CPoint screenPoint, CWnd* owner);
    // Opens an http(s) URL or an existing file with the desktop's handler.
    virtual bool OpenExternal(const CString& target);

    static CUiResponder& Current();
    // Installs a responder; returns the one it replaces.
    static std::unique_ptr<CUiResponder> Install(std::unique_ptr<CUiResponder> responder);
};

// Installs a responder for its lifetime.
class CScopedUiResponder {
public:
    explicit CScopedUiResponder(std::unique_ptr<CUiResponder> responder)
        : m_previous(CUiResponder::Install(std::move(responder)))
    {
    }
    ~CScopedUiResponder() { CUiResponder::Install(std::move(m_previous)); }
    CScopedUiResponder(const CScopedUiResponder&) = delete;
    CScopedUiResponder& operator=(const CScopedUiResponder&) = delete;

private:
    std::unique_ptr<CUiResponder> m_previous;
};
