// The common dialogs: file open/save, colour, font and printer. They ask through the
// replaceable responder (CUiResponder), so tests can answer them.
#pragma once

#include "platform/core/CString.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/WinGdi.h"

#include <memory>
#include <vector>

class CDC;
class CWnd;
class QPrinter;

inline constexpr DWORD OFN_READONLY = 0x1;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x2;
inline constexpr DWORD OFN_HIDEREADONLY = 0x4;
inline constexpr DWORD OFN_NOCHANGEDIR = 0x8;
inline constexpr DWORD OFN_ALLOWMULTISELECT = 0x200;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x1000;

class CFileDialog {
public:
    // filter: "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||"; defaultExt without the point.
    CFileDialog(BOOL openFileDialog, const char* defaultExt = nullptr, const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr, CWnd* parent = nullptr);

    INT_PTR DoModal();
    CString GetPathName() const;
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFileTitle() const;
    CString GetFolderPath() const;
    const std::vector<CString>& GetPathNames() const { return m_chosen; }
    int GetFilterIndex() const { return m_request.filterIndex; }

    FileDialogRequest m_request;  // title, initial folder etc. may be set before DoModal

private:
    CWnd* m_parent;
    std::vector<CString> m_chosen;
};

class CColorDialog {
public:
    explicit CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr);
    INT_PTR DoModal();
    COLORREF GetColor() const { return m_color; }
    void SetCurrentColor(COLORREF color) { m_color = color; }

private:
    COLORREF m_color;
    CWnd* m_parent;
};

class CFontDialog {
public:
    explicit CFontDialog(const LOGFONT* initial = nullptr, DWORD flags = 0, CDC* printer = nullptr, CWnd* parent = nullptr);
    INT_PTR DoModal();
    void GetCurrentFont(LOGFONT* font) const;
    COLORREF GetColor() const { return m_color; }
    CString GetFaceName() const { return CString(m_font.lfFaceName); }
    int GetSize() const;  // tenths of a point
    int GetWeight() const { return m_font.lfWeight; }
    BOOL IsStrikeOut() const { return m_font.lfStrikeOut; }
    BOOL IsUnderline() const { return m_font.lfUnderline; }
    BOOL IsItalic() const { return m_font.lfItalic; }

    LOGFONT m_lf;
    COLORREF m_color = 0;

private:
    LOGFONT m_font;
    CWnd* m_parent;
};

class CPrintDialog {
public:
    explicit CPrintDialog(BOOL printSetupOnly = FALSE, DWORD flags = 0, CWnd* parent = nullptr);
    ~CPrintDialog();
    INT_PTR DoModal();
    // The chosen printer (also usable for a PDF file through QPrinter's settings).
    QPrinter* GetPrinter() const { return m_printer.get(); }
    // A drawing context on the chosen printer, owned by the caller.
    std::unique_ptr<CDC> CreatePrinterDC() const;
    int GetFromPage() const { return m_from; }
    int GetToPage() const { return m_to; }
    bool PrintRange() const { return m_range; }

private:
    std::unique_ptr<QPrinter> m_printer;
    CWnd* m_parent;
    bool m_range = false;
    int m_from = 1;
    int m_to = 1;
};
