#include "views/ui/CSeriesListView.h"

#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSeriesListener.h"
#include "analytics/series/ISeriesServices.h"
#include "broker/core/FeedTime.h"
#include "broker/session/CSessionManager.h"
#include "common/services/CAppSettings.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/CExportRangeDlg.h"
#include "common/windows/ExportFileDialog.h"
#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "platform/core/CTime.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CMessageQueue.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CWndMessage.h"
#include "platform/ui/CommonDialogs.h"
#include "views/TimeSalesKeys.h"
#include "views/ui/ListWindowIds.h"

#include <QWidget>

#include <filesystem>

namespace {

struct CExportEnd {
    CListExportResult result;
    CString path;
};

} // namespace

// Tells the window that its series changed; one message stands for every change until the
// window has taken it (dispatcher thread).
class CSeriesListView::CSeriesPoster : public CSeriesListener {
public:
    explicit CSeriesPoster(HWND view) : m_view(view) {}
    void OnValuesChanged(CPriceSeries*, int, int, int) override { Post(); }
    void OnDataStateChanged(CPriceSeries*) override { Post(); }
    // The window took the change.
    void Taken() { m_posted = false; }

private:
    void Post()
    {
        if (!m_posted.exchange(true) && !::PostMessage(m_view, WM_SERIES_UPDATE))
            m_posted = false;
    }
    HWND m_view;
    std::atomic<bool> m_posted{false};
};

CSeriesListView::CSeriesListView(bool tickMode, int kind, UINT menuId, const char* name, const char* layoutFile)
    : m_bTickMode(tickMode), m_nKind(kind), m_nMenuId(menuId), m_name(name), m_layoutFile(layoutFile)
{
}

CSeriesListView::~CSeriesListView()
{
    ReplaceSeries(CString());
}

CCommonDoc* CSeriesListView::GetCommonDoc() const
{
    return dynamic_cast<CCommonDoc*>(GetDocument());
}

int CSeriesListView::OnCreate(LPCREATESTRUCT create)
{
    if (CView::OnCreate(create) == -1)
        return -1;
    if (!m_list.CreateList(this, IDC_TICK_LIST, [this](char c) { OnTyped(c); }))
        return -1;
    m_list.SetMode(m_bTickMode);
    return 0;
}

void CSeriesListView::OnInitialUpdate()
{
    CView::OnInitialUpdate();
    if (CCommonDoc* doc = GetCommonDoc()) {
        doc->SetKind(m_nKind);
        CFrameWnd* frame = GetParentFrame();
        doc->SetDetached(frame && frame->GetOuterWidget() && frame->GetOuterWidget()->isWindow());
        doc->SetLinkButtons(frame, true, !m_bTickMode, true);
    }
    CRect client;
    GetClientRect(&client);
    m_list.MoveWindow(&client);
    ApplySettingsLook();
    if (const CAppSettings* settings = CAppSettings::Instance())
        m_list.SetColors(settings->m_tsColors);
    SetGridLines(m_bGrid);
    m_list.FillItems();
    ApplyDefaultLayout();
}

void CSeriesListView::OnDestroy()
{
    m_list.DeleteAllRows();
    ReplaceSeries(CString());
    CView::OnDestroy();
}

void CSeriesListView::OnSize(UINT type, int cx, int cy)
{
    CView::OnSize(type, cx, cy);
    if (m_list.m_hWnd)
        m_list.MoveWindow(0, 0, cx, cy);
}

void CSeriesListView::OnSetFocus(CWnd* old)
{
    CView::OnSetFocus(old);
    if (m_list.m_hWnd)
        m_list.SetFocus();
}

// The series.

void CSeriesListView::ReplaceSeries(const CString& key)
{
    CSessionManager* manager = CSessionManager::Instance();
    m_list.SetSeries(nullptr, CString());
    if (m_pSeries) {
        if (manager)
            manager->DeletePriceSeries(m_pSeries);
        m_pSeries = nullptr;
    }
    m_poster.reset();
    if (!key.IsEmpty() && manager) {
        m_pSeries = manager->CreatePriceSeries(key, 0);
        if (m_pSeries) {
            m_pSeries->SetWindowMode(1);
            m_poster = std::make_unique<CSeriesPoster>(m_hWnd);
            m_pSeries->SetListener(m_poster.get());
            m_list.SetSeries(m_pSeries, key);
            m_pSeries->SetBarCount(CTimeSalesList::kItems, 0);
        }
    }
    if (m_hWnd) {
        m_list.Invalidate();
        RefreshTitle();
    }
}

LRESULT CSeriesListView::OnSeriesUpdate(WPARAM, LPARAM)
{
    if (m_poster)
        m_poster->Taken();
    m_list.SeriesChanged();
    RefreshTitle();
    return 0;
}

CString CSeriesListView::ComposeTitle() const
{
    CString title;
    if (m_pSeries)
        title = m_pSeries->GetSymbolTitle().Left(99);
    if (!title.IsEmpty())
        title += " - ";
    return title + m_name;
}

void CSeriesListView::RefreshTitle()
{
    if (CDocument* doc = GetDocument()) {
        const CString title = ComposeTitle();
        if (doc->GetTitle() != title)
            doc->SetTitle(title);
    }
}

// Look.

void CSeriesListView::ApplyLook(const CFontInfo& font, COLORREF textColor)
{
    m_font.Create(font, *this);
    CFontInfo struck = font;
    struck.strikeOut = true;
    m_struckFont.Create(struck, *this);
    m_list.SetLook(&m_font.Font(), &m_struckFont.Font(), m_font.GetRowHeight(), m_font.GetBlankWidth(), textColor);
}

void CSeriesListView::SetListFont(const CFontInfo& font, COLORREF textColor)
{
    ApplyLook(font, textColor);
}

void CSeriesListView::SetListColors(const std::array<COLORREF, 8>&)
{
    if (const CAppSettings* settings = CAppSettings::Instance())
        m_list.SetColors(settings->m_tsColors);
}

void CSeriesListView::SetGridLines(bool on)
{
    m_bGrid = on;
    m_list.SetGridLines(on);
}

// Layouts.

CString CSeriesListView::DefaultLayoutPath() const
{
    const CAppSettings* settings = CAppSettings::Instance();
    const CString folder = settings ? settings->GetFilePath("Layouts") : CString("Layouts");
    return folder + "/" + m_layoutFile;
}

bool CSeriesListView::SetLayoutAsDefault()
{
    const CString path = DefaultLayoutPath();
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path.GetString()).parent_path(), ec);
    CString error;
    if (WriteListLayoutFile(path, FormatListLayout(m_list.GetLayout()), error))
        return true;
    MessageBox(error, nullptr, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void CSeriesListView::ApplyDefaultLayout()
{
    CString text;
    const CString path = DefaultLayoutPath();
    switch (ReadListLayoutFile(path, text)) {
    case ELayoutFile::kRead: m_list.ApplyLayout(ParseListLayout(text, KindCount(m_bTickMode))); return;
    case ELayoutFile::kDamaged:
        MessageBox("Error reading layout " + path + ": the default columns are shown.", nullptr,
                   MB_OK | MB_ICONEXCLAMATION);
        break;
    case ELayoutFile::kMissing: break;
    }
    // Wide enough for the column's title and usual values in the list's font.
    CClientDC dc(&m_list);
    CFont* old = m_font.IsValid() ? dc.SelectObject(&m_font.Font()) : nullptr;
    const int padding = 4 * m_font.GetBlankWidth() + 4;
    m_list.ApplyLayout(DefaultListLayout(KindCount(m_bTickMode), [&](int kind) {
        const int title = static_cast<int>(dc.GetTextExtent(ListColumnTitle(m_bTickMode, kind)).cx);
        const int sample = static_cast<int>(dc.GetTextExtent(ListColumnSample(m_bTickMode, kind)).cx);
        return std::max(title, sample) + padding;
    }));
    if (old)
        dc.SelectObject(old);
}

void CSeriesListView::ApplyLayoutText(const CString& text)
{
    m_list.ApplyLayout(ParseListLayout(text, KindCount(m_bTickMode)));
}

void CSeriesListView::ToggleColumnKind(int kind)
{
    m_list.ToggleColumn(kind);
}

void CSeriesListView::UpdateColumnKind(CCmdUI* ui, int kind)
{
    ui->Enable(TRUE);
    ui->SetCheck(m_list.IsColumnShown(kind) ? 1 : 0);
}

void CSeriesListView::OnGrid()
{
    SetGridLines(!HasGridLines());
}

void CSeriesListView::OnUpdateGrid(CCmdUI* ui)
{
    ui->Enable(TRUE);
    ui->SetCheck(HasGridLines() ? 1 : 0);
}

void CSeriesListView::OnDefaultLayout()
{
    SetLayoutAsDefault();
}

void CSeriesListView::OnExport()
{
    if (m_symbolText.IsEmpty() || !IsRequestSymbol(m_symbolText))
        return;
    CExportTarget target;
    SYSTEMTIME start{}, end{};
    if (!ChooseExportFile(this, target) || !ChooseExportRange(start, end))
        return;
    StartExport(MakeExportJob(target, SystemTimeToFeedTime(start), SystemTimeToFeedTime(end)));
}

// Typing and menus.

void CSeriesListView::OnTyped(char c)
{
    // The symbol entry holds the character, in a floating window and in the main window
    // alike, so the keys that follow add to it.
    OnDetachedChar(c);
}

void CSeriesListView::ShowPopup(int position, CPoint screen)
{
    CMenu menu;
    if (!menu.LoadMenu(m_nMenuId))
        return;
    CMenu* popup = menu.GetSubMenu(position);
    if (!popup)
        return;
    popup->UpdateCommandUI(this, false);
    const UINT command = popup->TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, this);
    if (command)
        PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command), 0), 0);
}

void CSeriesListView::OnRowsMenu(NMHDR* header, LRESULT* result)
{
    *result = 0;
    CPoint screen(reinterpret_cast<const NMITEMACTIVATE*>(header)->ptAction);
    m_list.ClientToScreen(&screen);
    ShowPopup(kWindowPopup, screen);
}

void CSeriesListView::OnHeaderMenu(NMHDR*, LRESULT* result)
{
    *result = 0;
    CRect rect;
    m_list.GetWindowRect(&rect);
    ShowPopup(kColumnsPopup, rect.TopLeft());
}

// Exports.

bool CSeriesListView::ChooseExportRange(SYSTEMTIME& start, SYSTEMTIME& end)
{
    // The range is read on the exchange's wall clock: from the same time a day before to
    // the exchange's now, counted on the calendar, whatever this computer's zone does.
    const SYSTEMTIME now = CSessionManager::GetCurrentExchangeTime();
    CExportRangeDlg dialog(WallClockOfSeconds(WallClockSeconds(now) - 24 * 3600), now, this);
    if (dialog.DoModal() != IDOK)
        return false;
    dialog.GetRange(start, end);
    return true;
}

void CSeriesListView::StartExport(CListExportJob job)
{
    const HWND view = m_hWnd;
    const CString path = job.path;
    if (IWorkstationFrame* main = GetWorkstationFrame())
        main->SetMessageText("Exporting to " + path + "...");
    CListExports::Instance().Start(
        std::move(job),
        [view, path](const CListExportResult& result) {
            ::PostMessage(view, WM_EXPORT_DONE, 0, 0, MakePayload<CExportEnd>(CExportEnd{result, path}));
        },
        [view](int percent) { ::PostMessage(view, WM_EXPORT_PROGRESS, static_cast<WPARAM>(percent), 0); });
}

LRESULT CSeriesListView::OnExportProgress(WPARAM percent, LPARAM)
{
    if (IWorkstationFrame* main = GetWorkstationFrame()) {
        CString text;
        text.Format("Exporting %s: %d%% done", m_symbolText.GetString(), static_cast<int>(percent));
        main->SetMessageText(text);
    }
    return 0;
}

LRESULT CSeriesListView::OnExportDone(CWndMessage& message)
{
    const CExportEnd* end = message.Peek<CExportEnd>();
    if (!end)
        return 0;
    IWorkstationFrame* main = GetWorkstationFrame();
    if (!end->result.ok) {
        if (main)
            main->SetMessageText("");
        if (!end->result.message.IsEmpty())
            MessageBox(end->result.message, nullptr, MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    if (main) {
        CString text;
        text.Format("Exported %d rows to %s", end->result.rows, end->path.GetString());
        main->SetMessageText(text);
    }
    // The bar table opens its export when the preference asks for it.
    const CAppSettings* settings = CAppSettings::Instance();
    if (!m_bTickMode && settings && settings->m_bViewExportData)
        CUiResponder::Current().OpenExternal(end->path);
    return 0;
}

// Printing: the printer reads the list's item texts, which it is given for the time.

void CSeriesListView::FillItemTexts(bool on)
{
    const int columns = m_list.GetColumnCount();
    for (int item = 0; item < m_list.GetItemCount(); ++item) {
        CListRow row;
        const bool has = on && m_list.RowOfItem(item, row);
        for (int column = 0; column < columns; ++column) {
            LVCOLUMN info{};
            info.mask = LVCF_SUBITEM;
            m_list.GetColumn(column, &info);
            const bool shown = has && info.iSubItem >= 0 && info.iSubItem < kTickKindCount &&
                               (!m_bTickMode || !row.texts[6].IsEmpty());
            m_list.SetItemText(item, column, shown ? row.texts[static_cast<size_t>(info.iSubItem)].GetString() : "");
        }
    }
}

BOOL CSeriesListView::OnPreparePrinting(CPrintInfo* info)
{
    FillItemTexts(true);
    const BOOL ok = m_printer.PreparePrinting(info, this, &m_list);
    if (!ok)
        FillItemTexts(false);
    return ok;
}

void CSeriesListView::OnBeginPrinting(CDC* dc, CPrintInfo* info)
{
    const CString title = GetDocument() ? GetDocument()->GetTitle() : CString(m_name);
    m_printer.BeginPrinting(dc, info, title, CTime::GetCurrentTime().Format("%m/%d/%Y %H:%M"));
}

void CSeriesListView::OnPrint(CDC* dc, CPrintInfo* info)
{
    m_printer.PrintPage(dc, info);
}

void CSeriesListView::OnEndPrinting(CDC* dc, CPrintInfo* info)
{
    m_printer.EndPrinting(dc, info);
    FillItemTexts(false);
}

const CMessageMap& CSeriesListView::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CSeriesListView>(CView::GetMessageMap())
                                       .Notify(NM_RCLICK, IDC_TICK_LIST, &CSeriesListView::OnRowsMenu)
                                       .Notify(NM_RCLICK, 0, &CSeriesListView::OnHeaderMenu)
                                       .Message(WM_SERIES_UPDATE, &CSeriesListView::OnSeriesUpdate)
                                       .Message(WM_EXPORT_PROGRESS, &CSeriesListView::OnExportProgress)
                                       .Message(WM_EXPORT_DONE, &CSeriesListView::OnExportDone)
                                       .Build();
    return map;
}
