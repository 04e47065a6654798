#include "views/ui/BrowserView.h"

#include "common/windows/ShellIds.h"
#include "platform/ui/CSplitterWnd.h"
#include "views/BrowserAddress.h"
#include "views/ui/HeadlinesView.h"

BrowserView::BrowserView() = default;

BrowserView::~BrowserView() = default;

HeadlinesView* BrowserView::GetHeadlinesPane() const
{
    auto* splitter = dynamic_cast<CSplitterWnd*>(GetParent());
    return splitter ? dynamic_cast<HeadlinesView*>(splitter->GetPane(0, 0)) : nullptr;
}

void BrowserView::OnInitialUpdate()
{
    CHtmlView::OnInitialUpdate();
    SetSilent(TRUE);
    CBrowserSession::Prepare();
    m_session.Remember();
}

bool BrowserView::ShowStory(const CString& url)
{
    // The story shown already is not loaded again.
    if (url == GetLocationURL() && IsWebAddress(url))
        return true;
    CBrowserSession::Prepare();
    m_session.Remember();
    return Navigate2(url) != FALSE;
}

BOOL BrowserView::OnBeforeNavigate2(const CString& url, BOOL)
{
    if (IsLogOutAddress(url)) {
        ++m_nRefused;
        return TRUE;
    }
    return FALSE;
}

void BrowserView::OnNavigateComplete2(const CString&)
{
    m_session.Remember();
}

void BrowserView::OnDestroy()
{
    m_session.Restore();
    CHtmlView::OnDestroy();
}

void BrowserView::OnChar(UINT ch, UINT repeat, UINT flags)
{
    // The story pane sends a symbol where the headline list does.
    HeadlinesView* headlines = GetHeadlinesPane();
    if (headlines && ch >= 0x20 && ch <= 0x7E)
        headlines->OnTyped(static_cast<char>(ch));
    else
        CHtmlView::OnChar(ch, repeat, flags);
}

LRESULT BrowserView::OnSetSymbol(WPARAM, LPARAM message)
{
    HeadlinesView* headlines = GetHeadlinesPane();
    return headlines ? headlines->SendMessage(WM_SET_SYMBOL_INTERVAL, static_cast<WPARAM>(-1), message) : 0;
}

BOOL BrowserView::SaveToWorkspace(CArchive& ar)
{
    HeadlinesView* headlines = GetHeadlinesPane();
    return headlines ? headlines->SaveToWorkspace(ar) : FALSE;
}

BOOL BrowserView::LoadFromWorkspace(CArchive& ar, DWORD version)
{
    HeadlinesView* headlines = GetHeadlinesPane();
    return headlines ? headlines->LoadFromWorkspace(ar, version) : FALSE;
}

void BrowserView::SetListFont(const CFontInfo& font, COLORREF textColor)
{
    if (HeadlinesView* headlines = GetHeadlinesPane())
        headlines->SetListFont(font, textColor);
}

void BrowserView::SetListColors(const std::array<COLORREF, 8>& colors)
{
    if (HeadlinesView* headlines = GetHeadlinesPane())
        headlines->SetListColors(colors);
}

const CMessageMap& BrowserView::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<BrowserView>(CHtmlView::GetMessageMap())
                                       .Message(WM_SET_SYMBOL_INTERVAL, &BrowserView::OnSetSymbol)
                                       .Build();
    return map;
}
