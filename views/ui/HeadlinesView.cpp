#include "views/ui/HeadlinesView.h"

#include "alerts/IAlertHost.h"
#include "broker/session/CSessionManager.h"
#include "common/services/CAppSettings.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/CPaneSplitterWnd.h"
#include "common/windows/CSymbolsDlg.h"
#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CCreateContext.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CRuntimeClass.h"
#include "platform/ui/ShellServices.h"
#include "views/NewsColumns.h"
#include "views/NewsKeys.h"
#include "views/NewsWorkspace.h"
#include "views/ui/BrowserView.h"
#include "views/ui/NewsIds.h"

#include <algorithm>

namespace {

// The share of the window's height the headline list takes when the story pane comes.
constexpr double kListShare = 0.45;

} // namespace

HeadlinesView::HeadlinesView() = default;

HeadlinesView::~HeadlinesView() = default;

CCommonDoc* HeadlinesView::GetCommonDoc() const
{
    return dynamic_cast<CCommonDoc*>(GetDocument());
}

CPaneSplitterWnd* HeadlinesView::GetSplitter() const
{
    return dynamic_cast<CPaneSplitterWnd*>(GetParent());
}

BrowserView* HeadlinesView::GetStoryPane() const
{
    CPaneSplitterWnd* splitter = GetSplitter();
    return splitter && splitter->GetRowCount() > 1 ? dynamic_cast<BrowserView*>(splitter->GetPane(1, 0)) : nullptr;
}

int HeadlinesView::OnCreate(LPCREATESTRUCT create)
{
    if (CView::OnCreate(create) == -1)
        return -1;
    if (!m_list.CreateList(this, IDC_HEADLINES, [this](char c) { OnTyped(c); }))
        return -1;
    CSessionManager* session = CSessionManager::Instance();
    if (session) {
        const HWND self = m_hWnd;
        m_subscriptions = std::make_unique<CNewsSubscriptions>(session->GetNewsRegistry(),
                                                               [self] { ::PostMessage(self, WM_NEWS_CHANGED); });
    }
    return 0;
}

void HeadlinesView::OnInitialUpdate()
{
    CView::OnInitialUpdate();
    if (CCommonDoc* doc = GetCommonDoc()) {
        doc->SetKind(kKindNews);
        doc->SetLinkButtons(GetParentFrame(), true, false, true);
    }
    if (const CAppSettings* settings = CAppSettings::Instance()) {
        m_list.SetListFont(settings->m_quoteFont, settings->m_quoteTextColor);
        m_list.SetBackground(settings->m_quoteColors[0]);
        m_list.SetNewsColors(settings->m_newsColors);
    }
    if (!LoadLayout(DefaultLayoutPath(), false))
        m_list.ApplyNewsLayout(DefaultNewsLayout());
    InsertStoryPane();
    UpdateTitle();
}

void HeadlinesView::InsertStoryPane()
{
    CPaneSplitterWnd* splitter = GetSplitter();
    if (m_bStoryPaneMade || !splitter || splitter->GetRowCount() > 1)
        return;
    m_bStoryPaneMade = true;
    CCreateContext context;
    context.m_pCurrentDoc = GetDocument();
    context.m_pCurrentFrame = GetParentFrame();
    if (!splitter->InsertRow(RuntimeClassOf<BrowserView>(), 1, &context))
        return;
    if (BrowserView* story = GetStoryPane())
        story->OnInitialUpdate();
    std::vector<int> sizes = splitter->GetPaneSizes();
    int total = 0;
    for (int size : sizes)
        total += size;
    if (total < 100)
        total = 600;
    const int list = static_cast<int>(total * kListShare);
    splitter->SetPaneSizes({list, std::max(total - list, 1)});
    splitter->RecalcLayout();
    if (CFrameWnd* frame = GetParentFrame())
        frame->SetActiveView(this, FALSE);
}

void HeadlinesView::OnDestroy()
{
    if (m_subscriptions)
        m_subscriptions->RemoveAll();
    m_list.RemoveAllHeadlines();
    CView::OnDestroy();
}

void HeadlinesView::OnSize(UINT type, int cx, int cy)
{
    CView::OnSize(type, cx, cy);
    if (m_list.m_hWnd)
        m_list.MoveWindow(0, 0, cx, cy);
}

void HeadlinesView::OnSetFocus(CWnd* old)
{
    CView::OnSetFocus(old);
    if (m_list.m_hWnd)
        m_list.SetFocus();
}

void HeadlinesView::Tell(const CString& text)
{
    MessageBox(text, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

// Symbols and subscriptions.

void HeadlinesView::SetSymbols(const CString& text)
{
    m_symbols = text;
    m_symbols.MakeUpper();
    Resubscribe();
}

void HeadlinesView::SetHotNews(bool on)
{
    m_bHotNews = on;
    Resubscribe();
}

void HeadlinesView::SetAllNews(bool on)
{
    m_bAllNews = on;
    Resubscribe();
}

void HeadlinesView::SetAlertOnNews(bool on)
{
    m_bAlertOnNews = on;
    UpdateTitle();
}

void HeadlinesView::Resubscribe()
{
    m_resubscribed = std::chrono::steady_clock::now();
    if (m_subscriptions)
        m_subscriptions->Resubscribe(NewsKeysOf(m_symbols, m_bAllNews, m_bHotNews));
    UpdateTitle();
}

std::vector<CString> HeadlinesView::GetSubscribedKeys() const
{
    return m_subscriptions ? m_subscriptions->GetKeys() : std::vector<CString>();
}

CString HeadlinesView::ComposeTitle() const
{
    return NewsWindowTitle(m_symbols, m_bHotNews, m_bAllNews, m_bAlertOnNews);
}

void HeadlinesView::UpdateTitle()
{
    if (CDocument* doc = GetDocument())
        doc->SetTitle(ComposeTitle());
    if (CFrameWnd* frame = GetParentFrame())
        frame->OnUpdateFrameTitle(TRUE);
}

// New headlines.

LRESULT HeadlinesView::OnNewsChanged(WPARAM, LPARAM)
{
    TakeChanges();
    return 0;
}

void HeadlinesView::TakeChanges()
{
    if (!m_subscriptions)
        return;
    const std::vector<CNewsHeadline> changes = m_subscriptions->TakeChanges();
    if (changes.empty())
        return;
    const std::vector<CString> alerts = m_list.MergeHeadlines(changes);
    if (m_bAlertOnNews && std::chrono::steady_clock::now() - m_resubscribed >= m_quietPeriod)
        RaiseNewsAlerts(alerts);
}

void HeadlinesView::RaiseNewsAlerts(const std::vector<CString>& symbols)
{
    IAlertHost* host = GetAlertHost();
    for (const CString& symbol : symbols) {
        ++m_nAlertsRaised;
        if (!host)
            continue;
        auto alert = std::make_unique<CAlert>(m_newsAlert);
        alert->m_symbol = symbol;
        // The main window owns the copy from here on.
        host->DeliverAlert(nullptr, alert.release());
    }
}

// Stories.

void HeadlinesView::OpenStory(int item, bool desktop)
{
    CNewsHeadline* record = m_list.GetHeadline(item);
    if (!record)
        return;
    if (!record->read) {
        CHeadlineRows::MarkRead(*record);
        m_list.RedrawItems(item, item);
    }
    // The address comes from the feed: only a web page is opened, here or on the desktop.
    if (!IsWebLink(record->storyUrl)) {
        if (!record->storyUrl.IsEmpty())  // a headline without a story has nothing to open
            TellRefusedLink(record->storyUrl);
        return;
    }
    if (BrowserView* story = GetStoryPane())
        story->ShowStory(record->storyUrl);
    if (desktop)
        ShellOpenLink(record->storyUrl);
}

void HeadlinesView::TellRefusedLink(const CString& url)
{
    IWorkstationFrame* main = GetWorkstationFrame();
    if (!main)
        return;
    // Shown on one line and not without end.
    CString shown;
    for (int i = 0; i < url.GetLength() && i < kShownLinkLength; ++i) {
        const char c = url[i];
        shown += static_cast<unsigned char>(c) < 32 ? ' ' : c;
    }
    if (url.GetLength() > kShownLinkLength)
        shown += "...";
    main->SetMessageText("The story address \"" + shown + "\" was not opened: only http and https addresses are.");
}

void HeadlinesView::OnClick(NMHDR* header, LRESULT* result)
{
    *result = 0;
    const int item = reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem;
    const CNewsHeadline* record = m_list.GetHeadline(item);
    const bool justOpened = record && record == m_pOpenedBySelection;
    m_pOpenedBySelection = nullptr;
    if (!record || justOpened)
        return;
    // Selecting the row opens its story, unless it was selected already.
    m_list.SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    if (m_pOpenedBySelection != record)
        OpenStory(item, false);
    m_pOpenedBySelection = nullptr;
}

void HeadlinesView::OnDoubleClick(NMHDR* header, LRESULT* result)
{
    *result = 0;
    const int item = reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem;
    if (!m_list.GetHeadline(item))
        return;
    m_list.SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_pOpenedBySelection = nullptr;
    OpenStory(item, true);
}

void HeadlinesView::OnItemChanged(NMHDR* header, LRESULT* result)
{
    *result = 0;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (!(change->uNewState & LVIS_SELECTED) || (change->uOldState & LVIS_SELECTED))
        return;
    // A row the user moved to (mouse or keys) shows its story.
    m_pOpenedBySelection = m_list.GetHeadline(change->iItem);
    OpenStory(change->iItem, false);
}

void HeadlinesView::OnListKeyDown(NMHDR*, LRESULT* result)
{
    *result = 0;
    m_pOpenedBySelection = nullptr;
}

void HeadlinesView::OnTyped(char c)
{
    CCommonDoc* doc = GetCommonDoc();
    IWorkstationFrame* main = GetWorkstationFrame();
    if (main && !(doc && doc->IsDetached())) {
        main->TypeIntoSymbolBox(c);
        return;
    }
    // The story page hands back the keys it does not take after the prompt has opened.
    if (m_pTypingPrompt) {
        m_pTypingPrompt->Type(c);
        return;
    }
    const char text[2] = {c, '\0'};
    CSymbolsDlg dlg(text, FALSE, GetParentFrame());
    m_pTypingPrompt = &dlg;
    const INT_PTR answer = dlg.DoModal();
    m_pTypingPrompt = nullptr;
    if (answer == IDOK)
        SetSymbols(dlg.m_text);
}

void HeadlinesView::OnChar(UINT ch, UINT repeat, UINT flags)
{
    if (ch >= 0x20 && ch <= 0x7E)
        OnTyped(static_cast<char>(ch));
    else
        CView::OnChar(ch, repeat, flags);
}

void HeadlinesView::OnRightClick(NMHDR*, LRESULT* result)
{
    *result = 0;
    CMenu menu;
    if (!menu.LoadMenu(IDR_NEWS_CONTEXT))
        return;
    CMenu* popup = menu.GetSubMenu(0);
    if (!popup)
        return;
    popup->UpdateCommandUI(this, false);
    CPoint screen;
    ::GetCursorPos(&screen);
    const UINT command = popup->TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, this);
    if (command)
        SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command), 0), 0);
}

// Commands.

void HeadlinesView::OnHotNews()
{
    SetHotNews(!m_bHotNews);
}

void HeadlinesView::OnAllNews()
{
    SetAllNews(!m_bAllNews);
}

void HeadlinesView::OnAlertOnNews()
{
    SetAlertOnNews(!m_bAlertOnNews);
}

void HeadlinesView::OnSetSymbols()
{
    CSymbolsDlg dlg(m_symbols, FALSE, GetParentFrame());
    if (dlg.DoModal() == IDOK)
        SetSymbols(dlg.m_text);
}

void HeadlinesView::OnColumn(UINT id)
{
    m_list.ToggleField(static_cast<int>(id - ID_NEWS_COLUMN_FIRST));
    m_list.Invalidate();
}

void HeadlinesView::OnUpdateHotNews(CCmdUI* ui)
{
    ui->SetCheck(m_bHotNews ? 1 : 0);
}

void HeadlinesView::OnUpdateAllNews(CCmdUI* ui)
{
    ui->SetCheck(m_bAllNews ? 1 : 0);
}

void HeadlinesView::OnUpdateAlertOnNews(CCmdUI* ui)
{
    ui->SetCheck(m_bAlertOnNews ? 1 : 0);
}

void HeadlinesView::OnUpdateColumn(CCmdUI* ui)
{
    ui->SetCheck(m_list.IsFieldShown(static_cast<int>(ui->m_nID - ID_NEWS_COLUMN_FIRST)) ? 1 : 0);
}

void HeadlinesView::OnDefaultLayout()
{
    SaveLayout(DefaultLayoutPath());
}

// Layouts.

CString HeadlinesView::DefaultLayoutPath()
{
    const CAppSettings* settings = CAppSettings::Instance();
    const CString folder = settings ? settings->GetFilePath("Layouts") : CString("Layouts");
    return folder + "/default.nwl";
}

bool HeadlinesView::LoadLayout(const CString& path, bool tellMissing)
{
    CNewsLayout layout;
    CString message;
    switch (ReadNewsLayoutFile(path, layout, message)) {
    case ENewsLayoutRead::kLoaded:
        m_list.ApplyNewsLayout(layout);
        return true;
    case ENewsLayoutRead::kCannotOpen:
        if (tellMissing)
            Tell(message);
        return false;
    default:
        Tell(message);
        return false;
    }
}

bool HeadlinesView::SaveLayout(const CString& path)
{
    CString message;
    if (WriteNewsLayoutFile(path, m_list.GetNewsLayout(), message))
        return true;
    Tell(message);
    return false;
}

// Links.

LRESULT HeadlinesView::OnSetSymbol(WPARAM group, LPARAM message)
{
    const auto* msg = reinterpret_cast<const CSymbolIntervalMsg*>(message);
    CCommonDoc* doc = GetCommonDoc();
    if (doc && !doc->GetLinkState().AcceptsSymbolGroup(static_cast<int>(static_cast<LONG_PTR>(group))))
        return 0;
    IWorkstationFrame* main = GetWorkstationFrame();
    CString symbol = main ? main->GetSymbolBox() : CString();
    if (symbol.IsEmpty() && msg)
        symbol = msg->symbol;
    symbol.Trim();
    if (symbol.IsEmpty() || symbol.CompareNoCase(m_symbols) == 0)
        return 0;
    SetSymbols(symbol);
    return 1;
}

LRESULT HeadlinesView::OnFrameActivated(WPARAM, LPARAM)
{
    return 0;
}

// Workspace.

BOOL HeadlinesView::SaveToWorkspace(CArchive& ar)
{
    CCommonDoc* doc = GetCommonDoc();
    CPaneSplitterWnd* splitter = GetSplitter();
    if (!doc || !splitter)
        return FALSE;
    CNewsRecord record;
    record.symbols = m_symbols;
    record.alertOnNews = m_bAlertOnNews;
    record.hotNews = m_bHotNews;
    record.allNews = m_bAllNews;
    record.layout = m_list.GetNewsLayout();
    if (!SucceedsWithoutException([&] { return WriteNewsRecord(ar, record, doc->GetLinkState()); }))
        return FALSE;
    return splitter->SaveProportions(ar) ? TRUE : FALSE;
}

BOOL HeadlinesView::LoadFromWorkspace(CArchive& ar, DWORD version)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return FALSE;
    CNewsRecord record;
    if (!SucceedsWithoutException([&] { return ReadNewsRecord(ar, version, record, doc->GetLinkState()); }))
        return FALSE;
    doc->UpdateLinkButtons();
    m_symbols = record.symbols;
    m_bAlertOnNews = record.alertOnNews;
    if (record.hasLayout) {
        m_bHotNews = record.hotNews;
        m_bAllNews = record.allNews;
        m_list.ApplyNewsLayout(record.layout);
        CPaneSplitterWnd* splitter = GetSplitter();
        if (!splitter || !splitter->LoadProportions(ar))
            return FALSE;
    }
    Resubscribe();
    return TRUE;
}

// Looks.

void HeadlinesView::SetListFont(const CFontInfo& font, COLORREF textColor)
{
    m_list.SetListFont(font, textColor);
}

void HeadlinesView::SetListColors(const std::array<COLORREF, 8>& colors)
{
    m_list.SetBackground(colors[0]);
}

const CMessageMap& HeadlinesView::GetMessageMap() const
{
    static const CMessageMap map =
        MessageMapFor<HeadlinesView>(CView::GetMessageMap())
            .Command(ID_NEWS_HOT, &HeadlinesView::OnHotNews)
            .Command(ID_NEWS_ALL, &HeadlinesView::OnAllNews)
            .Command(ID_NEWS_ALERT, &HeadlinesView::OnAlertOnNews)
            .Command(ID_NEWS_DEFAULT_LAYOUT, &HeadlinesView::OnDefaultLayout)
            .Command(ID_NEWS_SET_SYMBOLS, &HeadlinesView::OnSetSymbols)
            .CommandRange(ID_NEWS_COLUMN_FIRST, ID_NEWS_COLUMN_FIRST + kNewsColumnCount - 1, &HeadlinesView::OnColumn)
            .UpdateUI(ID_NEWS_HOT, &HeadlinesView::OnUpdateHotNews)
            .UpdateUI(ID_NEWS_ALL, &HeadlinesView::OnUpdateAllNews)
            .UpdateUI(ID_NEWS_ALERT, &HeadlinesView::OnUpdateAlertOnNews)
            .UpdateUIRange(ID_NEWS_COLUMN_FIRST, ID_NEWS_COLUMN_FIRST + kNewsColumnCount - 1,
                           &HeadlinesView::OnUpdateColumn)
            .Notify(NM_CLICK, IDC_HEADLINES, &HeadlinesView::OnClick)
            .Notify(NM_DBLCLK, IDC_HEADLINES, &HeadlinesView::OnDoubleClick)
            .Notify(NM_RCLICK, IDC_HEADLINES, &HeadlinesView::OnRightClick)
            .Notify(LVN_ITEMCHANGED, IDC_HEADLINES, &HeadlinesView::OnItemChanged)
            .Notify(LVN_KEYDOWN, IDC_HEADLINES, &HeadlinesView::OnListKeyDown)
            .Message(WM_SET_SYMBOL_INTERVAL, &HeadlinesView::OnSetSymbol)
            .Message(WM_NEWS_CHANGED, &HeadlinesView::OnNewsChanged)
            .Message(WM_FRAME_ACTIVATED, &HeadlinesView::OnFrameActivated)
            .Build();
    return map;
}
