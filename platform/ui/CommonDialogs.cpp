#include "platform/ui/CommonDialogs.h"

#include "platform/ui/ModalLoops.h"
#include "platform/ui/CDC.h"
#include "platform/ui/WinUser.h"

#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : m_parent(parent)
{
    m_request.open = openFileDialog != FALSE;
    m_request.defaultExt = defaultExt ? defaultExt : "";
    m_request.fileName = fileName ? fileName : "";
    m_request.filter = filter ? filter : "";
    m_request.multiSelect = (flags & OFN_ALLOWMULTISELECT) != 0;
    m_request.overwritePrompt = (flags & OFN_OVERWRITEPROMPT) != 0;
    m_request.fileMustExist = (flags & OFN_FILEMUSTEXIST) != 0;
}

INT_PTR CFileDialog::DoModal()
{
    if (AreModalLoopsRefused())
        return IDCANCEL;
    m_chosen.clear();
    if (!CUiResponder::Current().ChooseFile(m_parent, m_request, m_chosen))
        return IDCANCEL;
    // A path that names no file (the dialog accepted at the top of the folders gives an
    // empty one) is no choice: it would become ".csv" in the working folder.
    std::erase_if(m_chosen, [](const CString& path) {
        const int slash = std::max(path.ReverseFind('/'), path.ReverseFind('\\'));
        const CString name = path.Mid(slash + 1);
        std::error_code ec;
        return name.IsEmpty() || name == "." || name == ".." || std::filesystem::is_directory(path.GetString(), ec);
    });
    if (m_chosen.empty())
        return IDCANCEL;
    // A saved file gets the default extension when it has none.
    if (!m_request.open && !m_request.defaultExt.IsEmpty())
        for (CString& path : m_chosen) {
            const int slash = std::max(path.ReverseFind('/'), path.ReverseFind('\\'));
            if (path.Mid(slash + 1).Find('.') < 0)
                path += CString(".") + m_request.defaultExt;
        }
    return IDOK;
}

CString CFileDialog::GetPathName() const
{
    return m_chosen.empty() ? CString() : m_chosen.front();
}

CString CFileDialog::GetFileName() const
{
    const CString path = GetPathName();
    const int slash = std::max(path.ReverseFind('/'), path.ReverseFind('\\'));
    return path.Mid(slash + 1);
}

CString CFileDialog::GetFileExt() const
{
    const CString name = GetFileName();
    const int dot = name.ReverseFind('.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const
{
    const CString name = GetFileName();
    const int dot = name.ReverseFind('.');
    return dot < 0 ? name : name.Left(dot);
}

CString CFileDialog::GetFolderPath() const
{
    const CString path = GetPathName();
    const int slash = std::max(path.ReverseFind('/'), path.ReverseFind('\\'));
    return slash < 0 ? CString() : path.Left(slash);
}

CColorDialog::CColorDialog(COLORREF initial, DWORD, CWnd* parent) : m_color(initial), m_parent(parent) {}

INT_PTR CColorDialog::DoModal()
{
    if (AreModalLoopsRefused())
        return IDCANCEL;
    COLORREF c = m_color;
    if (!CUiResponder::Current().ChooseColor(m_parent, c))
        return IDCANCEL;
    m_color = c;
    return IDOK;
}

CFontDialog::CFontDialog(const LOGFONT* initial, DWORD, CDC*, CWnd* parent) : m_parent(parent)
{
    if (initial)
        m_lf = *initial;
    m_font = m_lf;
}

INT_PTR CFontDialog::DoModal()
{
    if (AreModalLoopsRefused())
        return IDCANCEL;
    LOGFONT f = m_lf;
    COLORREF c = m_color;
    if (!CUiResponder::Current().ChooseFont(m_parent, f, c))
        return IDCANCEL;
    m_font = f;
    m_lf = f;
    m_color = c;
    return IDOK;
}

void CFontDialog::GetCurrentFont(LOGFONT* font) const
{
    if (font)
        *font = m_font;
}

int CFontDialog::GetSize() const
{
    // Pixel height at the screen's 96 dots per inch, in tenths of a point.
    return static_cast<int>(std::lround(std::abs(m_font.lfHeight) * 720.0 / 96.0));
}

CPrintDialog::CPrintDialog(BOOL, DWORD, CWnd* parent)
    : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)), m_parent(parent)
{
}

CPrintDialog::~CPrintDialog() = default;

INT_PTR CPrintDialog::DoModal()
{
    if (AreModalLoopsRefused())
        return IDCANCEL;
    bool range = false;
    int from = m_from;
    int to = m_to;
    if (!CUiResponder::Current().SetupPrinter(m_parent, *m_printer, range, from, to))
        return IDCANCEL;
    m_range = range;
    m_from = from;
    m_to = to;
    return IDOK;
}

std::unique_ptr<CDC> CPrintDialog::CreatePrinterDC() const
{
    auto dc = std::make_unique<CDC>();
    if (!dc->AttachDevice(m_printer.get(), true))
        return nullptr;
    return dc;
}
